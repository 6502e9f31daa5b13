// harness.h — writing a frame-by-frame test of the game on the recording
// platform reads like the story it tells:
//
//   TEST_F(GameTest, EscapeOnTheMainPageQuits) {
//       Boot();
//       Release({KeyEscape});          // one frame held, the next let go
//       EXPECT_EQ(App.QuitRequested, 1);
//   }
//
// Every test runs in a fresh temporary working directory (the settings file
// is a real file there) with the game state and the recording reset.
#pragma once

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <vector>

#include "core/settings_keys.h"
#include "settings_lines.h"
#include "temp_dir.h"
#include "recording/recording_platform.h"

// Recorded calls as Described gives them, one a line.
using Lines = std::vector<std::string>;

class GameTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
    TempDir Folder;                           // removed with the fixture
    InFolder Here{Folder.Path};               // the working directory until the fixture goes
    std::string Dir = Folder.Path.string();   // Folder's path
};

// The settings file of the working directory, byte for byte ("" when absent).
void WriteSettingsFile(const std::string& bytes);
std::string ReadSettingsFile();
// The number the settings file holds under a key of the table; NotStored
// where it holds none.
constexpr int32_t NotStored = -99;
int32_t StoredNumber(SettingKey key);
// The text the settings file holds under a group's key; `absent` where it holds none.
std::string StoredText(const std::string& group, const std::string& key, const std::string& absent = "(absent)");
bool FileExists(const std::string& path);

// Runs the program's start-up, as the entry point does before its first frame.
void Boot();
// The settings file of these lines, then start-up.
void BootWith(const std::vector<std::string>& settingsLines);
// The game's state and the recording forgotten, as for a program started
// anew in the same folder (its settings file kept).
void StartAgain();
// The place in Rec.Calls of the first call named `op` at or after `from`; -1 none.
int IndexOfCall(const std::string& op, int from = 0);
// One frame with exactly these keys held (all others up).
void Frame(std::initializer_list<int> keysHeld = {});
// Two frames: the keys held in the first, all up in the second, so each
// key's release is seen in the second frame.
void Release(std::initializer_list<int> keys);
// Frames with nothing held.
void Frames(int count);
// Pointer position for the next frames.
void PointAt(int x, int y);
// Left button held (true) or up for the next frames.
void HoldLeftButton(bool held);
// One frame with the pointer at (x, y) and the left button held, then the
// button up again (no frame run for the release).
void ClickAt(int x, int y);
