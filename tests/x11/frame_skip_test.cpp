// frame_skip_test.cpp — unchanged frames are neither rendered nor presented:
// what counts as a change, that skipped passes keep the refresh rate, and
// that the back buffer read in a skipped frame is what a full redraw gives.
#include "platform_fixture.h"

#include <functional>

namespace {

constexpr Color Red{200, 30, 30}, Green{30, 200, 30}, White{250, 250, 250};

// Sprites 1 (red) and 2 (green) with blendables of the same numbers, sprite
// and blendable 3 a label with text rendered into it, font 0.
class FrameSkipTest : public PlatformTest {
protected:
    struct Frame {
        Color Clear{0, 0, 0};
        int Blendable = 1;
        int X = 10;
        int Alpha = 200;
        std::string Words = "FPS: 85";
        Color TextColour = White;
    };
    Frame F;

    void SetUp() override {
        PlatformTest::SetUp();
        if (IsSkipped() || HasFatalFailure()) return;
        ASSERT_TRUE(LoadPicture(1, SolidImage(16, 16, Red), 1));
        ASSERT_TRUE(LoadPicture(2, SolidImage(16, 16, Green), 2));
        ASSERT_TRUE(LoadFontFace(0, "DejaVu Sans", 12, 0));
        ASSERT_TRUE(CreateBlankSprite(3, 60, 20, SpriteBlendable));
        Label("Start");
        ASSERT_TRUE(MakeBlendable(3, 3));
    }

    static void Label(const std::string& words) { DrawWords(3, 0, 0, words, White, false); }

    // One pass as the game makes it: clear, text pass, blending run,
    // optionally a capture of the finished back buffer, present.
    void Pass(RgbaImage* capture = nullptr) {
        ClearFrame(F.Clear);
        DrawWords(TextOnScreen, 2, 2, F.Words, F.TextColour);
        BeginBlending();
        DrawBlended(F.Blendable, F.X, 40, F.Alpha);
        DrawBlended(3, 40, 80, 255);
        EndBlending();
        if (capture) *capture = Screen();
        PresentFrame();
    }

    // Passes until the window manager is done with the new window (it is
    // shown and holds the focus, each a window event that spoils the screen)
    // and QuietPasses unchanged passes in a row have presented nothing; then
    // the next unchanged pass presents nothing either.
    static constexpr int QuietPasses = 20;
    void Settle() {
        SDL_Window* w = ScreenWindowForTests();
        const uint32_t flags = SDL_WINDOW_SHOWN | SDL_WINDOW_INPUT_FOCUS;
        int quiet = 0;
        const bool settled = need_display::PollFor(20, [&] {
            for (int i = 0; i < QuietPasses && quiet < QuietPasses; ++i) {
                const uint64_t before = PresentCountForTests();
                Pass();
                quiet = PresentCountForTests() == before ? quiet + 1 : 0;
            }
            return (SDL_GetWindowFlags(w) & flags) == flags && quiet >= QuietPasses;
        });
        ASSERT_TRUE(settled) << "the new window never came to rest (shown, focused, nothing new to present)";
    }

    static void PushWindowEvent(uint8_t event) { ::PushWindowEvent(ScreenWindowForTests(), event); }
};

}  // namespace

TEST_F(FrameSkipTest, AnUnchangedFrameIsPresentedOnceWhilePassesKeepTheRefreshRate) {
    ASSERT_NO_FATAL_FAILURE(Settle());
    F.X += 1;
    const uint64_t before = PresentCountForTests();
    Pass();
    EXPECT_EQ(PresentCountForTests(), before + 1) << "a changed frame is presented";
    constexpr int Passes = 30;
    const uint32_t start = MillisecondsSinceStart();
    for (int i = 0; i < Passes; ++i) Pass();
    const uint32_t elapsed = MillisecondsSinceStart() - start;
    EXPECT_EQ(PresentCountForTests(), before + 1) << "unchanged frames are presented again";
    // A lower bound only (a busy machine makes passes longer, never shorter):
    // no display refreshes faster than 150 Hz, so passes that skip without
    // waiting for the refresh would spin.
    EXPECT_GE(elapsed, uint32_t(Passes * 1000 / 150)) << "skipped passes do not wait for the refresh";
}

TEST_F(FrameSkipTest, EveryChangePresentsAgainWithinOnePass) {
    struct Change {
        const char* What;
        std::function<void()> Make;
    };
    const std::vector<Change> changes = {
        {"a sprite drawn elsewhere (the pointer moved)", [&] { F.X += 5; }},
        {"another opacity (a fade, the blink)", [&] { F.Alpha = 201; }},
        {"another blendable (a page change)", [&] { F.Blendable = 2; }},
        {"a changed text (a new frame-rate figure)", [&] { F.Words = "FPS: 84"; }},
        {"a text in another colour", [&] { F.TextColour = Color{140, 140, 140}; }},
        {"another clear colour", [&] { F.Clear = Color{0, 0, 1}; }},
        {"a blendable bound to another sprite", [&] { MakeBlendable(2, 1); }},
        {"a sprite replaced under its number", [&] { LoadPicture(1, SolidImage(16, 16, Color{30, 30, 200})); }},
        {"a label rendered again", [&] { Label("Again"); }},
        {"a font loaded again", [&] { LoadFontFace(0, "DejaVu Sans", 13, 0); }},
        {"the window exposed", [&] { PushWindowEvent(SDL_WINDOWEVENT_EXPOSED); }},
        {"the window restored", [&] { PushWindowEvent(SDL_WINDOWEVENT_RESTORED); }},
        {"the window moved to another display", [&] { PushWindowEvent(SDL_WINDOWEVENT_DISPLAY_CHANGED); }},
        {"the focus regained", [&] { PushWindowEvent(SDL_WINDOWEVENT_FOCUS_GAINED); }},
        {"the renderer's targets reset", [&] { PushEvent(SDL_RENDER_TARGETS_RESET); }},
    };
    ASSERT_NO_FATAL_FAILURE(Settle());
    for (const Change& change : changes) {
        SCOPED_TRACE(change.What);
        Pass();
        const uint64_t before = PresentCountForTests();
        Pass();
        ASSERT_EQ(PresentCountForTests(), before) << "an unchanged frame before the change is presented";
        change.Make();
        Pass();
        EXPECT_EQ(PresentCountForTests(), before + 1) << "the change is not presented";
        Pass();
        EXPECT_EQ(PresentCountForTests(), before + 1) << "the frame after the change is presented again";
    }
}

TEST_F(FrameSkipTest, AScreenshotOfAnUnchangedFrameIsWhatAFullRedrawGives) {
    ASSERT_NO_FATAL_FAILURE(Settle());
    const uint64_t before = PresentCountForTests();
    RgbaImage skipped, redrawn;
    Pass(&skipped);
    EXPECT_EQ(PresentCountForTests(), before) << "the frame was not a skipped one";
    ForgetBackBuffer();   // as after a lost back buffer: the next frame is rendered from its record
    Pass(&redrawn);
    EXPECT_TRUE(NearColour(PixelOf(skipped, 12, 42), Red.r * 200 / 255, Red.g * 200 / 255, Red.b * 200 / 255, 2))
        << "the sprite is in the picture";
    EXPECT_TRUE(skipped.pixels == redrawn.pixels) << "the skipped frame's screenshot differs from a full redraw";
}

TEST_F(FrameSkipTest, ASpriteChangedAfterItWasDrawnShowsItsOldPixelsInThatFrame) {
    ASSERT_NO_FATAL_FAILURE(Settle());
    ClearFrame(F.Clear);
    BeginBlending();
    DrawBlended(1, 10, 40, 255);
    LoadPicture(1, SolidImage(16, 16, Green));   // after the draw
    DrawBlended(1, 30, 40, 255);
    EndBlending();
    const RgbaImage frame = Screen();
    PresentFrame();
    EXPECT_TRUE(ShowsColour(frame, 12, 42, Red, 1)) << "drawn before the change";
    EXPECT_TRUE(ShowsColour(frame, 32, 42, Green, 1)) << "drawn after the change";
}
