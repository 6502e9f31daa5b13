// assets_key_capture_test.cpp — taking a key for a binding: what is stored,
// which key wins, which keys are ignored and when the file is left alone.
#include <fcntl.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

#include "menu_test_support.h"
#include "platform/shared/shared_services.h"

namespace {

const std::string StartFile = SettingsText({"[Controls]", "Forward = W", "Backward = S",
                                            "Duck = Strg", "Jump = Alt", "Scrshot = F12"});

// Two frames of a binding page waiting for its key: the keys held in the
// first, all up in the second.
void CaptureRelease(MenuSelectValue page, const char* settingKey, std::initializer_list<int> keys) {
    Menu.MenuSelect = page;
    Snapshot(keys);
    CaptureKey(settingKey);
    Snapshot({});
    if (Menu.MenuSelect == page) CaptureKey(settingKey);
}

std::string Stored(const std::string& key) { return StoredText("Controls", key); }

class KeyCapture : public GameTest {
protected:
    void SetUp() override {
        GameTest::SetUp();
        WriteSettingsFile(StartFile);
        StartKeyboardInput();
    }
};

// Another instance's lock on the settings file, held until Release().
struct HeldElsewhere {
    int Fd = open(SettingsFileName, O_RDWR);
    HeldElsewhere() { EXPECT_EQ(flock(Fd, LOCK_EX), 0); }
    void Release() {
        if (Fd >= 0) close(Fd);
        Fd = -1;
    }
    ~HeldElsewhere() { Release(); }
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
    EXPECT_EQ(Described(-1, {"DrawBlended"}),
              Lines{"DrawBlended " + std::to_string(TextLabelBlend(TextUmschalt)) + " 485 390 255"});
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
    BootWith({"[Settings]", "settings.screenmode = 1", "[Controls]", "Forward = S"});
    ClickItem(Layout.ControlBox);   // in the home column
    ASSERT_EQ(Menu.MenuSelect, MenuControl);
    Frames(40);                     // the sub column slides to the shifted column
    ASSERT_EQ(Layout.ControlBox.x, ShiftedColumnX());
    ClickItem(Layout.ForwardBox);   // Forward now stands where Control stood
    ASSERT_EQ(Menu.MenuSelect, MenuForward);
    Release({KeyRightCtrl});
    EXPECT_EQ(Menu.MenuSelect, MenuForward);
    Release({KeyW});
    EXPECT_EQ(Menu.MenuSelect, MenuControl);
    EXPECT_EQ(Stored("Forward"), "W");
}

// [SECTION] Another instance holds the settings file

// The control pages read the bindings every frame: with the file held for
// as long as the holder likes, frames go on (a frame that waited would be
// stopped by the alarm).
TEST_F(KeyCapture, ControlPageFramesNeverWaitForTheLock) {
    Boot();
    HeldElsewhere holder;
    pid_t frames = fork();
    if (frames == 0) {
        Services.LockWaitMilliseconds = 600000;
        alarm(20);
        Menu.MenuSelect = MenuControl;
        Frames(3);
        Menu.MenuSelect = MenuForward;
        Frames(3);
        _exit(Cfg.Duck == "Strg" ? 0 : 1);
    }
    int status = 0;
    waitpid(frames, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0)
        << (WIFSIGNALED(status) ? "a frame waited for the lock" : "the bindings were not read");
}

// A key taken while the file is held shows at once and reaches the file as
// soon as the holder lets go; it is never dropped.
TEST_F(KeyCapture, KeyTakenWhileTheFileIsHeldIsWrittenWhenItIsFree) {
    Boot();
    Services.LockWaitMilliseconds = 50;
    HeldElsewhere holder;
    Menu.MenuSelect = MenuForward;
    Release({KeyK});
    EXPECT_EQ(Menu.MenuSelect, MenuControl);
    EXPECT_EQ(Cfg.Forward, "K");
    Frames(2);
    EXPECT_EQ(Cfg.Forward, "K") << "the control page shows the key taken, not the old binding";
    EXPECT_EQ(ReadSettingsFile().find("Forward = K"), std::string::npos) << "not yet: the file is held";
    holder.Release();
    Frame();
    EXPECT_EQ(Stored("Forward"), "K");
    EXPECT_EQ(Cfg.Forward, "K");
}
