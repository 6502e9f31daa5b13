// key_capture.cpp — taking the next named key for a binding and storing its
// name in the settings file.
#include "assets/assets.h"
#include "core/core.h"
#include "menu/menu.h"

// Runs once per frame while a binding waits for its key. The rows are asked
// in table order and KeyReleased consumes, so one frame takes at most one
// key and the releases of the others stay pending for a later question.
// Keys without a name are never asked about: releasing them changes nothing.
// There is no conflict check; two bindings may share a key.
void CaptureKey(const char* settingKey) {
    OpenSettingsFile(SettingsFileName);
    SelectGroup("Controls");
    for (const KeyNameRow& row : KeyNameTable) {
        if (!KeyReleased(row.Key)) continue;
        WriteSettingText(settingKey, row.Name);
        CloseSettingsFile();   // writes the file back
        Menu.MenuSelect = MenuControl;
        return;
    }
    // Nothing was taken: nothing was changed, so the file is not rewritten.
    CloseSettingsFile();
}
