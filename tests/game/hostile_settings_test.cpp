// hostile_settings_test.cpp — settings files a player could write by hand:
// every number key at 0, negative, huge and not a number, every text key
// empty, 1 MB long, with NUL bytes and invalid UTF-8, path-like font names,
// impossible screen modes and sizes. Each one starts (or waits in the stand-by
// window), shows every page, takes a screenshot, toggles the overlay and ends
// on Escape, without garbage drawn and without the hand-written value lost.
#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "menu_test_support.h"

namespace {

// [SECTION] The cases

enum Outcome : int {
    Starts,          // the screen opens at start-up and every page shows
    NoScreenshot,    // as Starts, but the screenshot key names no key, so F12 does nothing
    StandByFirst,    // nothing opens at start-up; the first frame takes the full-screen
                     // focus-loss path and the game comes up after the activation
    NeverOpens,      // no screen of that size exists: every frame waits in the stand-by
                     // window; closing that window ends the program
};

// Which test runs a case: one test per group of keys keeps a failure's message pointed at the key.
enum CaseGroup { ScreenNumbers, SettingsNumbers, TextValues, FontPaths, ScreenModes, ScreenSizes };

struct HostileCase {
    CaseGroup Group;
    std::vector<std::string> Lines;   // the file's lines after the mark
    Outcome Expect;
};

using Values = std::vector<std::string>;
const std::string Huge = "99999999999999999999";
const std::string OneMegabyte(1 << 20, 'x');
const std::string WithNul = std::string("W\0X", 3);
const std::string BadUtf8 = "\xC3\x28\xFF\xFE\xE2\x82";

// Every number key and every text key of the program's table, except the screen mode, whose values have
// an outcome of their own.
std::vector<HostileCase> AllCases() {
    std::vector<HostileCase> cases;
    for (int k = SettingScreenW; k < SettingKeyCount; ++k) {
        const SettingKeyRow& row = SettingKeys[k];
        if (row.Id == SettingScreenMode) continue;
        const bool number = row.Type == SettingNumber, sizeKey = row.Id == SettingScreenW || row.Id == SettingScreenH;
        const CaseGroup group = !number ? TextValues : row.Id <= SettingScreenS ? ScreenNumbers : SettingsNumbers;
        for (const std::string& value :
             number ? Values{"0", "-1", "-2147483648", Huge, "abc"} : Values{"", OneMegabyte, WithNul, BadUtf8}) {
            Outcome expect = row.Id == SettingScrshot ? NoScreenshot : Starts;
            if (sizeKey && value != Huge) expect = NeverOpens;
            cases.push_back({group, {"[" + std::string(row.Group) + "]", row.Key + (" = " + value)}, expect});
        }
    }
    for (const char* name : {"../../etc/passwd", "/tmp/x", "a\\b", "..", "C:\\Windows\\x"})
        cases.push_back({FontPaths, {"[Settings]", "settings.font = " + std::string(name)}, Starts});
    for (const char* mode : {"0", "4", "-1", "2147483647", "mode"})
        cases.push_back({ScreenModes, {"[Settings]", "settings.screenmode = " + std::string(mode)}, StandByFirst});
    const std::pair<std::vector<std::string>, Outcome> sizes[] = {
        {{"ScreenW = 0", "ScreenH = 0"}, NeverOpens},
        {{"ScreenW = 1", "ScreenH = 1"}, Starts},
        {{"ScreenW = 100000", "ScreenH = 100000"}, Starts},
        {{"ScreenW = -800", "ScreenH = -600"}, NeverOpens},
        {{"ScreenW = -800", "ScreenH = 600"}, NeverOpens},
        {{"ScreenW = 1", "ScreenH = 1", "[Settings]", "settings.screenmode = 1"}, Starts},
        {{"ScreenW = 0", "ScreenH = 0", "[Settings]", "settings.screenmode = 1"}, NeverOpens},
        {{"ScreenW = 100000", "ScreenH = 100000", "[Settings]", "settings.screenmode = 2"}, Starts},
        {{"ScreenW = 1024", "ScreenH = 768", "[Settings]", "settings.page = GraphicRes", "settings.fps = 4",
          "settings.info = 1", "settings.debugger = 1", "settings.font = ..", "settings.fontsize = -5"},
         Starts},
    };
    for (const auto& [lines, expect] : sizes) {
        cases.push_back({ScreenSizes, {"[Screen]"}, expect});
        cases.back().Lines.insert(cases.back().Lines.end(), lines.begin(), lines.end());
    }
    return cases;
}

// [SECTION] Checks

// A case as a failure's message names it: long lines cut short, NUL bytes shown as @.
std::string Shown(const HostileCase& c) {
    std::string text;
    for (std::string line : c.Lines) {
        if (line.size() > 60) line = line.substr(0, 40) + "...(" + std::to_string(line.size()) + " bytes)";
        std::replace(line.begin(), line.end(), '\0', '@');
        text += line + " | ";
    }
    return text;
}

bool ValidUtf8(const std::string& s) {
    for (size_t i = 0; i < s.size();) {
        const unsigned char c = static_cast<unsigned char>(s[i]);
        const int more = c < 0x80 ? 0 : c < 0xC2 ? -1 : c < 0xE0 ? 1 : c < 0xF0 ? 2 : c < 0xF5 ? 3 : -1;
        if (more < 0 || (more > 0 && i + more >= s.size())) return false;
        for (int k = 1; k <= more; ++k)
            if ((static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80) return false;
        i += more + 1;
    }
    return true;
}

// The settings file's value of every key of the case as the program would
// read it ("<absent>" when missing), so a rewrite that mangled a hand-written
// value shows as a difference.
std::vector<std::string> StoredValues(const HostileCase& c) {
    std::vector<std::string> values;
    std::string group;
    for (const std::string& line : c.Lines) {
        const std::string key = line.substr(0, line.find(" = "));
        if (line.front() == '[') group = line.substr(1, line.size() - 2);
        else values.push_back(key + "=" + StoredText(group, key, "<absent>"));
    }
    return values;
}

bool WritesKeyItself(const HostileCase& c) {
    for (const std::string& line : c.Lines)
        for (const char* key : {"settings.screenshots", "settings.debugger", "settings.page"})
            if (line.rfind(key, 0) == 0) return true;
    return false;
}

// Everything drawn is a loaded object at an opacity the screen can show, and
// every text is short, valid UTF-8 without NUL bytes: no hand-written value
// reaches the screen as raw bytes.
void ExpectNoGarbage() {
    for (const RecordedCall& call : CallsOf("DrawBlended")) {
        ASSERT_EQ(call.Args.size(), 4u);
        EXPECT_TRUE(Rec.Blendables.count(int(call.Args[0]))) << "drew blendable " << call.Args[0] << ", never made";
        EXPECT_GE(call.Args[3], 0);
        EXPECT_LE(call.Args[3], 255);
    }
    for (const RecordedCall& call : CallsOf("DrawTextAt")) {
        EXPECT_TRUE(ValidUtf8(call.Text)) << "text is not UTF-8";
        EXPECT_EQ(call.Text.find('\0'), std::string::npos) << "text holds a NUL";
        EXPECT_LE(call.Text.size(), 200u) << "text of " << call.Text.size() << " bytes";
    }
    for (const RecordedCall& call : CallsOf("RegisterFontFile")) {
        SCOPED_TRACE(call.Text);
        EXPECT_EQ(call.Text.rfind("Media\\Fonts\\", 0), 0u);
        EXPECT_EQ(call.Text.find(".."), std::string::npos);
        EXPECT_EQ(call.Text.find('/'), std::string::npos);
        EXPECT_EQ(std::count(call.Text.begin(), call.Text.end(), '\\'), 2);
    }
}

int CountOf(const std::string& op, int fromFrame = 0) {
    int n = 0;
    for (const RecordedCall& call : Rec.Calls)
        if (call.Op == op && call.Frame >= fromFrame) ++n;
    return n;
}

// Shows every page that has a name, a few frames each (the sub column
// slides, the capture pages blink and re-read the bindings).
void VisitEveryPage() {
    for (int state = 0; state < MenuStateCount; ++state) {
        if (MenuStates[state].GermanName == nullptr) continue;
        Menu.MenuSelect = state;
        Frames(3);
    }
    Menu.MenuSelect = MenuMain;
    Frames(1);
}

// Each case starts in an empty folder, as if the program had never run.
void ForgetEverything() {
    StartAgain();
    std::error_code ignored;
    for (const auto& entry : std::filesystem::directory_iterator(".", ignored))
        std::filesystem::remove_all(entry.path(), ignored);
}

void RunCase(const HostileCase& c) {
    ForgetEverything();
    SCOPED_TRACE(Shown(c));
    std::string file = "\xEF\xBB\xBF\r\n";
    for (const std::string& line : c.Lines) file += line + "\r\n";
    WriteSettingsFile(file);
    const std::vector<std::string> before = StoredValues(c);

    Boot();
    const bool openedAtStart = CountOf("OpenGameScreen") + CountOf("OpenScreenInWindow") > 0;
    if (c.Expect == NeverOpens) {
        EXPECT_FALSE(Rec.ScreenOpen);
        Frames(3);
        EXPECT_EQ(CountOf("AwaitWindowEvent"), 3) << "one stand-by wait per frame";
        EXPECT_EQ(CountOf("ClearFrame"), 0) << "nothing is drawn without a screen";
        Rec.CloseRequested = true;
        Frames(1);
        EXPECT_EQ(App.QuitRequested, 1) << "closing the stand-by window ends it";
        ExpectNoGarbage();
        return;
    }
    if (c.Expect == StandByFirst) {
        EXPECT_FALSE(openedAtStart) << "nothing is opened at start-up";
        Frames(1);
        EXPECT_EQ(CountOf("OpenGameWindow"), 1);
        EXPECT_EQ(Described(0, {"OpenGameWindow"}), Lines{"OpenGameWindow 0 0 0 0 0 2 Veldrune"})
            << "the stand-by window is minimised and has no size";
        EXPECT_EQ(CountOf("OpenGameScreen"), 1) << "full screen after activation";
    } else {
        EXPECT_TRUE(Rec.ScreenOpen) << "the screen opens at start-up";
    }

    Frames(2);
    ASSERT_TRUE(Rec.ScreenOpen);
    VisitEveryPage();
    EXPECT_GT(CountOf("DrawBlended"), 0);

    const int shotFrame = Rec.Frame;
    Release({KeyF12});
    const auto saves = CallsOf("SaveSpriteAsPng");
    if (c.Expect == NoScreenshot) {
        EXPECT_TRUE(saves.empty()) << "a key name that names no key takes no screenshot";
    } else {
        ASSERT_EQ(CountOf("SaveSpriteAsPng", shotFrame), 1);
        const auto captures = CallsOf("CaptureFrame");
        ASSERT_FALSE(captures.empty());
        EXPECT_EQ(captures.back().Args[3], Cfg.ScreenW);
        EXPECT_EQ(captures.back().Args[4], Cfg.ScreenH);
        // The number in the file names the file just written.
        EXPECT_EQ(saves.back().Text, "Screenshot_" + StoredText("Settings", "settings.screenshots", "") + ".png");
        EXPECT_TRUE(FileExists(saves.back().Text));
    }

    const int32_t overlay = Cfg.settings.debugger;
    Release({KeyGrave});
    EXPECT_NE(Cfg.settings.debugger, overlay) << "the overlay key switches";
    Frames(2);
    Release({KeyGrave});
    Frames(2);

    ExpectNoGarbage();
    if (!WritesKeyItself(c)) {
        EXPECT_EQ(StoredValues(c), before) << "the hand-written value was changed";
    }
    const std::string written = ReadSettingsFile();
    EXPECT_EQ(written.rfind("\xEF\xBB\xBF\r\n", 0), 0u) << "the file keeps its mark";
    EXPECT_NE(written.find("\r\n[Application]\r\n"), std::string::npos);

    Menu.MenuSelect = MenuMain;
    Release({KeyEscape});
    EXPECT_EQ(App.QuitRequested, 1) << "Escape on the main page ends the program";
    ShutDown();
    for (const RecordedCall& call : CallsOf("UnregisterFontFile")) EXPECT_EQ(call.Text, Assets.RegisteredFontPath);
}

}  // namespace

// [SECTION] Tests

class HostileSettings : public GameTest {
protected:
    void RunAll(CaseGroup group) {
        int ran = 0;
        for (const HostileCase& c : AllCases()) {
            if (c.Group != group) continue;
            RunCase(c);
            ++ran;
            if (HasFatalFailure()) return;
        }
        EXPECT_GT(ran, 0);
    }
};

TEST_F(HostileSettings, ScreenNumbersAtZeroNegativeHugeAndText) { RunAll(ScreenNumbers); }

TEST_F(HostileSettings, SettingsNumbersAtZeroNegativeHugeAndText) { RunAll(SettingsNumbers); }

TEST_F(HostileSettings, TextSettingsEmptyHugeWithNulAndInvalidUtf8) { RunAll(TextValues); }

TEST_F(HostileSettings, PathLikeFontNamesRegisterNothingOutsideTheFontFolder) {
    RunAll(FontPaths);
    ForgetEverything();
    BootWith({"[Settings]", "settings.font = ../../etc/passwd"});
    EXPECT_TRUE(CallsOf("RegisterFontFile").empty()) << "a name that leaves the folder registers nothing";
    EXPECT_EQ(Assets.RegisteredFontPath, "");
}

TEST_F(HostileSettings, ScreenModesThatOpenNothingComeUpFullScreenAfterActivation) { RunAll(ScreenModes); }

TEST_F(HostileSettings, ScreenSizesZeroOneHugeAndNegative) { RunAll(ScreenSizes); }

TEST_F(HostileSettings, OverlayColoursOutOfRangeAreHeldAtTheNearestLimit) {
    BootWith({"[Settings]", "settings.debugger = 1", "settings.debbuger.titlered = -7",
              "settings.debbuger.titlegreen = " + Huge, "settings.debbuger.titleblue = blue",
              "settings.debbuger.textred = 256", "settings.debbuger.textgreen = -2147483648",
              "settings.debbuger.textblue = 12abc"});
    Frames(1);
    bool sawTitle = false, sawLine = false;
    for (const RecordedCall& call : CallsOf("DrawTextAt")) {
        if (call.Text == "Debugger:") {
            sawTitle = true;
            EXPECT_EQ(Describe(call).substr(Describe(call).rfind('(')), "(0,255,0)");
        } else if (call.Text.rfind("[ ", 0) == 0) {
            sawLine = true;
            EXPECT_EQ(Describe(call).substr(Describe(call).rfind('(')), "(255,0,12)");
        }
    }
    EXPECT_TRUE(sawTitle);
    EXPECT_TRUE(sawLine);
}

TEST_F(HostileSettings, FrameRateCornerOutsideOneToFourShowsNoText) {
    for (const std::string& corner : Values{"0", "-1", "5", Huge, "top"}) {
        ForgetEverything();
        BootWith({"[Settings]", "settings.fps = " + corner});
        Frames(90);   // long enough for the counter to have a figure
        for (const RecordedCall& call : CallsOf("DrawTextAt"))
            EXPECT_NE(call.Text.rfind("FPS:", 0), 0u) << "settings.fps = " << corner;
    }
}

TEST_F(HostileSettings, LanguagesOtherThanGermanExactlyAreEnglish) {
    for (const std::string& language : Values{"german", "German ", "", WithNul, BadUtf8, OneMegabyte}) {
        ForgetEverything();
        BootWith({"[Settings]", "settings.language = " + language});
        EXPECT_EQ(IsGerman(), language == "German ") << "a value is read without its blanks";
    }
}

// The counter stored as 2147483647 (a hand-edited or clamped huge number):
// the next number does not fit in the counter, so it must neither wrap to a
// negative number nor name a file the counter cannot name.
TEST_F(HostileSettings, ScreenshotCounterAtItsLimitNeverWrapsBelowZero) {
    BootWith({"[Settings]", "settings.screenshots = 2147483647"});
    Release({KeyF12});
    Release({KeyF12});
    const int32_t stored = StoredNumber(SettingScreenshots);
    EXPECT_GE(stored, 0) << "the screenshot counter ran backwards";
    for (const RecordedCall& call : CallsOf("SaveSpriteAsPng"))
        EXPECT_EQ(call.Text.find('-'), std::string::npos) << call.Text;
    const auto saves = CallsOf("SaveSpriteAsPng");
    ASSERT_FALSE(saves.empty());
    EXPECT_EQ(saves.back().Text, "Screenshot_" + std::to_string(stored) + ".png");
}
