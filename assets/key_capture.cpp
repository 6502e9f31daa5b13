// key_capture.cpp — taking the next named key for a binding and storing its
// name in the settings file.
#include "assets/assets.h"
#include "core/core.h"
#include "menu/menu.h"

// Runs once per frame while a binding waits for its key. The rows are asked
// in table order and KeyReleased consumes, so one frame takes at most one
// key and the releases of the others stay pending for a later question.
// Keys without a name are never asked about: releasing them changes nothing.
// There is no conflict check; two bindings may share a key. The settings file
// is touched only when a key was taken, and never waited for: a key taken
// while another instance holds the file shows at once and is written as soon
// as the file is free (StoreBinding).
void CaptureKey(const char* settingKey) {
    for (const KeyNameRow& row : KeyNameTable) {
        if (!KeyReleased(row.Key)) continue;
        StoreBinding(settingKey, row.Name);
        Menu.MenuSelect = MenuControl;
        return;
    }
}
