// option_actions.cpp — what choosing a language or a screen size does: the
// two kinds of items that do more than open a page.
#include <cassert>

#include "core/core.h"
#include "menu/menu.h"
#include "platform/platform.h"

// Writes the language to the file every time, even when it is already the
// one in use, and switches the language in memory whatever the write did.
// The state goes back to the Language page only after the frame's drawing
// (RenderPage), so the rest of this frame is drawn as the action state.
void ApplyLanguage(const char* language) {
    assert(language != nullptr && "ApplyLanguage needs a language text");
    OpenSettingsFile(SettingsFileName);
    WriteSetting(SettingLanguage, language);
    CloseSettingsFile();
    Cfg.settings.language = language;
}

// The current size changes nothing and writes nothing. Another size is only
// requested here; the frame loop writes it and restarts after this frame.
void ChooseScreenSize(int width, int height) {
    if (Cfg.ScreenW == width && Cfg.ScreenH == height) {
        Menu.MenuSelect = MenuResolution;
        return;
    }
    App.NewScreenWidth = width;
    App.NewScreenHeight = height;
    App.RestartRequested = 1;
}
