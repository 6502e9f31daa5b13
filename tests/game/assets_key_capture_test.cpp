// assets_key_capture_test.cpp — taking a key for a binding: what is stored,
// which key wins, which keys are ignored and when the file is left alone.
#include <gtest/gtest.h>

#include <initializer_list>
#include <string>

#include "assets/assets.h"
#include "core/core.h"
#include "menu/menu.h"
#include "recording/harness.h"

namespace {

const std::string StartFile = SettingsText({"[Controls]", "Forward = W", "Backward = S",
                                            "Duck = Strg", "Jump = Alt", "Scrshot = F12"});

// One keyboard snapshot with exactly these keys down.
void Snapshot(std::initializer_list<int> held) {
    for (bool& down : Rec.KeyDown) down = false;
    for (int key : held) Rec.KeyDown[key] = true;
    PollKeyboard();
}

// Two frames of a binding page waiting for its key: the keys held in the
// first, all up in the second.
void CaptureRelease(MenuSelectValue page, const char* settingKey, std::initializer_list<int> keys) {
    Menu.MenuSelect = page;
    Snapshot(keys);
    CaptureKey(settingKey);
    Snapshot({});
    if (Menu.MenuSelect == page) CaptureKey(settingKey);
}

std::string Stored(const std::string& key) {
    OpenSettingsFile(SettingsFileName);
    SelectGroup("Controls");
    std::string value = ReadSettingText(key, "(absent)");
    CloseSettingsFile();
    return value;
}

class KeyCapture : public GameTest {
protected:
    void SetUp() override {
        GameTest::SetUp();
        WriteSettingsFile(StartFile);
        StartKeyboardInput();
        Menu = MenuPageState{};
    }
    void TearDown() override {
        Menu = MenuPageState{};
        GameTest::TearDown();
    }
};

}  // namespace

TEST_F(KeyCapture, ReleasingWStoresWUnderForwardAndReturnsToControls) {
    CaptureRelease(MenuForward, "Forward", {KeyD});   // first a different key
    EXPECT_EQ(Stored("Forward"), "D");
    EXPECT_EQ(Menu.MenuSelect, MenuControl);
    CaptureRelease(MenuForward, "Forward", {KeyW});
    EXPECT_EQ(Stored("Forward"), "W");
    EXPECT_EQ(Stored("Backward"), "S");   // the other bindings are untouched
    EXPECT_EQ(Menu.MenuSelect, MenuControl);
}

TEST_F(KeyCapture, DigitBeatsLetterAndTheLetterStaysPending) {
    CaptureRelease(MenuRight, "Right", {KeyA, Key5});
    EXPECT_EQ(Stored("Right"), "5");
    EXPECT_EQ(Menu.MenuSelect, MenuControl);
    // A's release was not asked for yet: the next capture takes it at once,
    // without A being pressed again.
    Menu.MenuSelect = MenuLeft;
    Snapshot({});
    CaptureKey("Left");
    EXPECT_EQ(Stored("Left"), "A");
    EXPECT_EQ(Menu.MenuSelect, MenuControl);
}

TEST_F(KeyCapture, UnnamedKeysAreIgnoredAndTheFileIsNotWritten) {
    CaptureRelease(MenuJournal, "Journal",
                   {KeyRightCtrl, KeyRightShift, KeyRightAlt, KeyUp, KeyDown, KeyLeft, KeyRight,
                    KeyBackspace, KeyKeypad1, KeyKeypadEnter, KeyEscape, KeyGrave});
    EXPECT_EQ(Menu.MenuSelect, MenuJournal);
    EXPECT_EQ(ReadSettingsFile(), StartFile);   // byte for byte
    // Still waiting: the next named key is taken.
    CaptureRelease(MenuJournal, "Journal", {KeyJ});
    EXPECT_EQ(Stored("Journal"), "J");
}

TEST_F(KeyCapture, TwoBindingsMayShareAKey) {
    CaptureRelease(MenuDuck, "Duck", {KeyLeftCtrl});
    CaptureRelease(MenuJump, "Jump", {KeyLeftCtrl});
    EXPECT_EQ(Stored("Duck"), "Strg");
    EXPECT_EQ(Stored("Jump"), "Strg");
}

TEST_F(KeyCapture, ShiftIsStoredAsShiftAndShownAsUmschaltInGerman) {
    Cfg.settings.language = "German";
    CaptureRelease(MenuScreenshot, "Scrshot", {KeyLeftShift});
    EXPECT_EQ(Stored("Scrshot"), "Shift");
    Rec.Calls.clear();
    DrawKeyGlyph(Stored("Scrshot"), 485, 390, 255);
    ASSERT_EQ(CallsOf("DrawBlended").size(), 1u);
    EXPECT_EQ(CallsOf("DrawBlended")[0].Args[0], 978);
}

TEST_F(KeyCapture, EveryNamedKeyIsStoredUnderItsName) {
    for (const KeyNameRow& row : KeyNameTable) {
        SCOPED_TRACE(row.Name);
        CaptureRelease(MenuBackward, "Backward", {row.Key});
        EXPECT_EQ(Stored("Backward"), row.Name);
    }
}

// The whole road on the recording platform: open Control, click Forward once
// the sub column has slid away, let go of W.
TEST_F(KeyCapture, ClickingForwardAndReleasingWInTheRunningMenu) {
    WriteSettingsFile(SettingsText({"[Settings]", "settings.screenmode = 1", "[Controls]",
                                    "Forward = S"}));
    Boot();
    ClickAt(400, 190);   // Control, in the home column
    ASSERT_EQ(Menu.MenuSelect, MenuControl);
    Frames(40);          // the sub column slides to the shifted column
    ClickAt(400, 190);   // Forward now stands there
    ASSERT_EQ(Menu.MenuSelect, MenuForward);
    Release({KeyRightCtrl});
    EXPECT_EQ(Menu.MenuSelect, MenuForward);
    Release({KeyW});
    EXPECT_EQ(Menu.MenuSelect, MenuControl);
    EXPECT_EQ(Stored("Forward"), "W");
}
