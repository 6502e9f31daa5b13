// core_frame_test.cpp — the order of one pass of the loop, the frame-rate
// counter's window arithmetic and the texts of the frame's text pass.
#include <string>
#include <vector>

#include "menu_test_support.h"

namespace {

// The calls of the frame loop's own steps (the page's drawing left out).
const std::vector<std::string> LoopOps = {
    "WindowCloseRequested", "ScreenIsActive", "ClearFrame", "PollKeyboard", "PollMouse",
    "BeginTextOn", "SetTextTransparent", "EndText", "LaunchProgram", "CaptureFrame", "PresentFrame"};

std::vector<RecordedCall> TextsOfFrame(int frame) {
    std::vector<RecordedCall> texts;
    for (const RecordedCall& call : CallsOf("DrawTextAt"))
        if (call.Frame == frame) texts.push_back(call);
    return texts;
}

}  // namespace

// [SECTION] Order

TEST_F(GameTest, OneFrameRunsItsStepsInOrder) {
    Boot();
    Assets.ScreenshotKey = KeyF12;
    ChooseScreenSize(1024, 768);
    Frame({KeyF12});
    Frame();   // F12 let go: the screenshot comes after the restart's launch
    EXPECT_EQ(Described(1, LoopOps),
              (Lines{"WindowCloseRequested", "ScreenIsActive", "ClearFrame (0,0,0)", "PollKeyboard",
                     "PollMouse", "BeginTextOn -1", "SetTextTransparent", "EndText",
                     "LaunchProgram /opt/veldrune/bin/veldrune", "CaptureFrame 0 0 0 800 600",
                     "PresentFrame"}));
}

TEST_F(GameTest, TheTextPassUsesTheMenuFontBeforeInputIsHandled) {
    BootWith({"[Settings]", "settings.fps = 1"});
    Frame({KeyGrave});
    Frame();   // Grave let go: the toggle's read comes after EndText
    Lines texts = Described(1, {"BeginTextOn", "UseFont", "DrawTextAt", "EndText", "KeyReleased"});
    texts.resize(5);
    EXPECT_EQ(texts, (Lines{"BeginTextOn -1", "UseFont 0", "DrawTextAt 1 10 FPS:  (250,250,250)", "EndText",
                            "KeyReleased 53"}))
        << "the overlay key is the first key checked";
    EXPECT_EQ(Cfg.settings.debugger, 1);
}

// [SECTION] Frame-rate counter

TEST_F(GameTest, FrameRateTextIsEmptyUntilAWindowOfOneSecondCloses) {
    BootWith({"[Settings]", "settings.fps = 1"});
    Rec.ClockMs = 5000;
    Rec.MsPerFrame = 100;
    // Frames read the clock at 5000, 5100, ..., 5900: ten frames in the window.
    Frames(10);
    EXPECT_EQ(FrameRate.FpsText, "");
    EXPECT_EQ(Described(9, {"DrawTextAt"}).at(0), "DrawTextAt 1 10 FPS:  (250,250,250)");
    Frame();   // clock 6000: the eleventh frame closes the window and counts in it
    EXPECT_EQ(FrameRate.FpsText, "11");
    EXPECT_EQ(FrameRate.FramesInWindow, 0);
    EXPECT_EQ(FrameRate.FrameWindowStart, 6000u);
    Frame();   // the figure shows from the next frame's text pass
    EXPECT_EQ(Described(11, {"DrawTextAt"}).at(0), "DrawTextAt 1 10 FPS: 11 (250,250,250)");
}

TEST_F(GameTest, FrameRateCountsOverAtLeastOneSecondByTheCoarseClock) {
    Boot();
    Rec.ClockMs = 10;
    Rec.MsPerFrame = 16;   // coarse steps: windows close at the first frame past 1000 ms
    Frames(64);            // clock 10 .. 1018: the 64th frame reads 1018
    EXPECT_EQ(FrameRate.LastRate, 64);
    EXPECT_EQ(FrameRate.FrameWindowStart, 1018u);
    Frames(62);            // 1034 .. 2010: 1000 ms have not passed since 1018
    EXPECT_EQ(FrameRate.LastRate, 64);
    Frame();               // 2026 closes the second window: 63 frames
    EXPECT_EQ(FrameRate.LastRate, 63);
    EXPECT_EQ(FrameRate.FpsText, "63");
    EXPECT_EQ(FrameRate.FrameWindowStart, 2026u);
}

TEST_F(GameTest, FrameRateTimeOfFocusLossCountsButItsPassesDoNot) {
    Boot();
    Rec.ClockMs = 100;
    Rec.MsPerFrame = 10;
    Frames(5);                     // window opened at 100, five frames
    Rec.ScreenActive = {false};
    Rec.ClockMs += 2000;           // the player was away for two seconds
    Frame();                       // focus-loss pass, not counted
    Frame();
    EXPECT_EQ(FrameRate.FpsText, "6") << "the first figure after coming back is low";
}

// [SECTION] Frame texts

TEST_F(GameTest, FrameRateTextStandsAtItsCornerWhateverTheSize) {
    // Settings 1..4 name the corners; any other value shows no counter.
    const std::pair<int, const char*> cases[] = {{0, nullptr}, {1, "1 10"},     {2, "740 10"}, {3, "1 580"},
                                                 {4, "740 580"}, {5, nullptr}, {-1, nullptr}};
    for (auto [fps, place] : cases) {
        ResetRecording();
        BootWith({"[Screen]", "ScreenW = 1280", "ScreenH = 720", "[Settings]",
                  "settings.fps = " + std::to_string(fps)});
        Frame();
        Lines texts;
        for (const std::string& text : Described(0, {"DrawTextAt"}))
            if (text.find(" FPS: ") != std::string::npos) texts.push_back(text);
        EXPECT_EQ(texts, place ? Lines{"DrawTextAt " + std::string(place) + " FPS:  (250,250,250)"} : Lines{})
            << "settings.fps = " << fps;
    }
}

TEST_F(GameTest, InformationLineShowsRendererAndSizeOnlyWhenInfoIsOne) {
    BootWith({"[Screen]", "ScreenW = 1024", "ScreenH = 768", "[Settings]",
              "settings.info = 1", "settings.fps = 3"});
    Frame();
    std::vector<RecordedCall> texts = TextsOfFrame(0);
    ASSERT_GE(texts.size(), 2u);
    EXPECT_EQ(Describe(texts[0]), "DrawTextAt 1 580 FPS:  (250,250,250)");
    EXPECT_EQ(Describe(texts[1]), "DrawTextAt 1 50 recording 1024x768 (250,250,250)");
    EXPECT_EQ(texts[1].Font, FontMenu);

    Cfg.settings.info = 2;
    Frame();
    for (const RecordedCall& call : TextsOfFrame(1)) EXPECT_NE(call.Text, "recording 1024x768");
}

// [SECTION] Loop end

TEST_F(GameTest, EscapeOnTheMainPageFinishesTheFrameThenEndsTheProgram) {
    Boot();
    Release({KeyEscape});
    EXPECT_EQ(App.QuitRequested, 1);
    EXPECT_EQ(Rec.Frame, 2) << "the frame that saw the release was still presented";
}
