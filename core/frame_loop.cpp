// frame_loop.cpp — one pass of the loop in its fixed order, the frame-rate
// counter and the texts of the frame's text pass.
#include <string>

#include "assets/assets.h"
#include "core/core.h"
#include "menu/menu.h"

FrameCounter FrameRate;

// [SECTION] One pass

// Every later step sees the effects of the earlier ones: the overlay shows the
// state the frame began with, a click (or a select) overrides a hotkey of the same frame,
// and the screenshot shows the finished page.
void RunFrame() {
    // The window's close box ends the program as Escape on the main page does,
    // and does not wait for the window to be activated again first.
    if (WindowCloseRequested()) App.QuitRequested = 1;
    if (!ScreenIsActive()) {
        if (App.QuitRequested != 1) {
            // Nothing plays while the game waits in the background.
            MusicToBackground();
            SpeechToBackground();
            FocusLossPath();
            if (App.QuitRequested != 1) MusicFromBackground();
        }
        return;
    }
    ClearFrame(Color{0, 0, 0});
    PollKeyboard();
    PollMouse();
    PollController();
    CountFrame();

    BeginTextOn(TextOnScreen);
    SetTextTransparent();
    UseFont(FontMenu);
    DrawFrameTexts();
    DrawOverlay();
    EndText();

    CheckOverlayToggle();
    NavigateByKeyboard();
    // After the hotkeys, so that a direction works on the page a hotkey has
    // just opened; before pointing, so that a select clicks where the
    // direction has just put the pointer.
    NavigateByDirection();
    PointWithMouse();
    ResetFadeInOnMainPages();
    RenderPage();
    if (App.RestartRequested == 1) RunRestart();
    CheckScreenshotKey();
    // Before the present, which may wait for the display: the words leave
    // in the frame that shows what they say.
    SpeakMenu();
    PresentFrame();
    BeginMusic();
}

// [SECTION] Frame-rate counter

// The figure is the number of frames drawn over a window of at least one
// second; the frame that closes a window counts in it.
void CountFrame() {
    if (FrameRate.FrameWindowStart == 0) FrameRate.FrameWindowStart = MillisecondsSinceStart();
    ++FrameRate.FramesInWindow;
    uint32_t now = MillisecondsSinceStart();
    if (now - FrameRate.FrameWindowStart >= 1000) {
        FrameRate.LastRate = FrameRate.FramesInWindow;
        FrameRate.FpsText = std::to_string(FrameRate.LastRate);
        FrameRate.FramesInWindow = 0;
        FrameRate.FrameWindowStart = now;
    }
}

// [SECTION] Frame texts

namespace {

struct FpsPlace {
    int x, y;
};
// Indexed by settings.fps 1..4; the same places at every screen size.
const FpsPlace FpsPlaces[5] = {
    {0, 0},      // 0: not shown
    {1, 10},     // 1: top left
    {740, 10},   // 2: top right (of an 800 x 600 screen)
    {1, 580},    // 3: bottom left
    {740, 580},  // 4: bottom right
};

const Color FrameTextColour{250, 250, 250};

}  // namespace

void DrawFrameTexts() {
    int corner = Cfg.settings.fps;
    if (corner >= 1 && corner <= 4)
        DrawTextAt(FpsPlaces[corner].x, FpsPlaces[corner].y, "FPS: " + FrameRate.FpsText,
                   FrameTextColour);
    if (Cfg.settings.info == 1) {
        std::string line = ScreenDriverName() + " " + std::to_string(Cfg.ScreenW) + "x" +
                           std::to_string(Cfg.ScreenH);
        DrawTextAt(1, 50, line, FrameTextColour);
    }
}
