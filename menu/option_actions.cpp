// option_actions.cpp — what choosing a language, a screen size or music on
// or off does: the kinds of items that do more than open a page.
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

// Written at every press, even when it is already the setting, but once for
// a button held over the item (chosen again in every frame it is held), and
// in force at once whatever the write did. The music fades in or out within
// half a second; the state goes back to the Music page after the frame's
// drawing.
void ChooseMusic(int32_t music) {
    if (Menu.HeldMusicChoice != music) {
        OpenSettingsFile(SettingsFileName);
        WriteSetting(SettingMusic, music);
        CloseSettingsFile();
        Menu.HeldMusicChoice = music;
    }
    Cfg.settings.music = music;
    FollowMusicSetting(MusicChoiceFadeMs);
}
