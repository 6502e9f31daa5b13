// overlay.cpp — the debug overlay: running time, menu state and pointer over
// the menu, and the Grave key that switches it, stored in the settings file.
#include <algorithm>
#include <string>

#include "assets/assets.h"
#include "core/core.h"
#include "menu/menu.h"

namespace {

uint8_t Component(int32_t value) { return uint8_t(std::clamp<int32_t>(value, 0, 255)); }

// The two spellings of the status line; the pieces are joined with no
// further spaces.
struct StatusWords {
    const char* Runtime;     // before the seconds
    const char* State;       // between the seconds and the state name
    const char* Pointer;     // between the state name and the pointer
};
const StatusWords German{"[ Laufzeit: ", " Sek ] [ MenuSelect: ", " ] [ MausLokation: "};
const StatusWords English{"[ Runtime: ", " Sec ] [ MenuSelect: ", " ] [ MouseLocate: "};

}  // namespace

// Runs inside the frame's text pass, before input handling, so it names the
// state the frame began with.
void DrawOverlay() {
    if (Cfg.settings.debugger != 1) return;
    // Rebuilt every frame from the settings in memory.
    const auto& c = Cfg.settings.debbuger;
    Color title{Component(c.titlered), Component(c.titlegreen), Component(c.titleblue)};
    Color text{Component(c.textred), Component(c.textgreen), Component(c.textblue)};
    UseFont(FontDebug);

    int state = Menu.MenuSelect;
    if (state < 0 || state >= MenuStateCount) return;
    bool german = IsGerman();
    const char* name = german ? MenuStates[state].GermanName : MenuStates[state].EnglishName;
    if (name == nullptr) return;   // the one-frame action states have no name

    const StatusWords& words = german ? German : English;
    std::string line = std::string(words.Runtime) + RuntimeText() + words.State + name +
                       words.Pointer + std::to_string(PointerX()) + "(x)" +
                       std::to_string(PointerY()) + "(y) ]";
    DrawTextAt(1, Layout.OverlayY - 20, "Debugger:", title);
    DrawTextAt(1, Layout.OverlayY, line, text);
}

// Follows the value stored in the file, not the one in memory: a file edited
// while the program runs decides what the key does.
void CheckOverlayToggle() {
    if (!KeyReleased(KeyGrave)) return;
    OpenSettingsFile(SettingsFileName);
    int32_t stored = ReadStoredNumber(SettingDebugger);
    int32_t flag = stored == 1 ? 0 : 1;
    WriteSetting(SettingDebugger, flag);
    Cfg.settings.debugger = flag;
    CloseSettingsFile();
}
