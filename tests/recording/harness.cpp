// harness.cpp — helpers for writing frame-by-frame tests of the game on the
// recording platform: a fresh working directory per test, the settings file
// as bytes, and frames driven by the keys held in them.
#include "recording/harness.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "core/core.h"
#include "platform/shared/file_safety.h"
#include "platform/shared/shared_services.h"

// [SECTION] Test fixture

void GameTest::SetUp() { StartAgain(); }

// The shared services as they were at the start, the seams a case set included.
void GameTest::TearDown() {
    CloseSettingsFile();
    ResetSharedServicesForTests();
}

// [SECTION] Files

void WriteSettingsFile(const std::string& bytes) {
    std::ofstream out(SettingsFileName, std::ios::binary | std::ios::trunc);
    ASSERT_TRUE(out.good()) << "cannot write " << SettingsFileName;
    out << bytes;
}

std::string ReadSettingsFile() {
    std::string bytes;
    ReadWholeFile(SettingsFileName, bytes);
    return bytes;
}

int32_t StoredNumber(SettingKey key) {
    OpenSettingsFile(SettingsFileName);
    SelectGroup(SettingKeys[key].Group);
    const int32_t value = ReadSettingNumber(SettingKeys[key].Key, NotStored);
    CloseSettingsFile();
    return value;
}

std::string StoredText(const std::string& group, const std::string& key, const std::string& absent) {
    OpenSettingsFile(SettingsFileName);
    SelectGroup(group);
    std::string value = ReadSettingText(key, absent);
    CloseSettingsFile();
    return value;
}

bool FileExists(const std::string& path) {
    std::error_code ignored;
    return std::filesystem::exists(path, ignored);
}

// [SECTION] Driving frames

// Start-up's calls are recorded as frame -1, so that Described(0) is the
// first frame alone.
void Boot() {
    Rec.Booting = true;
    StartUp();
    Rec.Booting = false;
}

void BootWith(const std::vector<std::string>& settingsLines) {
    WriteSettingsFile(SettingsText(settingsLines));
    Boot();
}

void StartAgain() {
    ResetGameState();
    ResetRecording();
}

int IndexOfCall(const std::string& op, int from) {
    for (int i = from; i < int(Rec.Calls.size()); ++i)
        if (Rec.Calls[i].Op == op) return i;
    return -1;
}

void Frame(std::initializer_list<int> keysHeld) {
    for (bool& down : Rec.KeyDown) down = false;
    for (int key : keysHeld) {
        ASSERT_TRUE(key > 0 && key < KeySlotCount) << "key " << key << " has no slot";
        Rec.KeyDown[key] = true;
    }
    RunFrame();
}

void Release(std::initializer_list<int> keys) {
    Frame(keys);
    Frame({});
}

void Frames(int count) {
    for (int i = 0; i < count; ++i) Frame({});
}

void PointAt(int x, int y) {
    Rec.MouseX = x;
    Rec.MouseY = y;
}

void HoldLeftButton(bool held) { Rec.ButtonDown[1] = held; }

void ClickAt(int x, int y) {
    PointAt(x, y);
    HoldLeftButton(true);
    Frame({});
    HoldLeftButton(false);
}
