// settings_keys.cpp — the table of every settings key, and the reads and
// writes that go through it.
#include "core/settings_keys.h"

#include <cassert>
#include <iterator>

#include "core/core.h"

// [SECTION] The table

// Each member of GameSettings is named by its key, so the key is the member's
// path spelled out ("settings.debbuger.titlered"); the type follows from the
// member, and its initial value is the key's default.
#define NUMBER_KEY(id, group, member, writers, edits) \
    {id, group, #member, SettingNumber, [](GameSettings& c) { return &c.member; }, nullptr, writers, edits}
#define TEXT_KEY(id, group, member, writers, edits) \
    {id, group, #member, SettingText, nullptr, [](GameSettings& c) { return &c.member; }, writers, edits}

constexpr SettingKeyRow SettingKeys[SettingKeyCount] = {
    {SettingPath, "Application", "Path", SettingText, nullptr, nullptr, WrittenAtStartUp, false},
    {SettingFile, "Application", "File", SettingText, nullptr, nullptr, WrittenAtStartUp, false},

    NUMBER_KEY(SettingScreenW, "Screen", ScreenW, WrittenByRestart, true),
    NUMBER_KEY(SettingScreenH, "Screen", ScreenH, WrittenByRestart, true),
    NUMBER_KEY(SettingScreenD, "Screen", ScreenD, WrittenByNobody, true),
    NUMBER_KEY(SettingScreenF, "Screen", ScreenF, WrittenByNobody, true),
    NUMBER_KEY(SettingScreenS, "Screen", ScreenS, WrittenByNobody, true),

    NUMBER_KEY(SettingFps, "Settings", settings.fps, WrittenByNobody, true),
    NUMBER_KEY(SettingInfo, "Settings", settings.info, WrittenByNobody, true),
    TEXT_KEY(SettingPage, "Settings", settings.page, WrittenAtStartUp | WrittenByRestart, false),
    NUMBER_KEY(SettingScreenshots, "Settings", settings.screenshots, WrittenByScreenshot, true),
    TEXT_KEY(SettingFont, "Settings", settings.font, WrittenByNobody, true),
    NUMBER_KEY(SettingFontSize, "Settings", settings.fontsize, WrittenByNobody, true),
    TEXT_KEY(SettingFontStyle, "Settings", settings.fontstyle, WrittenByNobody, true),
    TEXT_KEY(SettingLanguage, "Settings", settings.language, WrittenByLanguagePage, true),
    NUMBER_KEY(SettingScreenMode, "Settings", settings.screenmode, WrittenByNobody, true),
    NUMBER_KEY(SettingMusic, "Settings", settings.music, WrittenByMusicPage, true),
    TEXT_KEY(SettingSpeech, "Settings", settings.speech, WrittenByNobody, true),
    NUMBER_KEY(SettingEffects, "Settings", settings.effects, WrittenByNobody, false),
    NUMBER_KEY(SettingDebugger, "Settings", settings.debugger, WrittenByOverlayKey, true),
    NUMBER_KEY(SettingTitleRed, "Settings", settings.debbuger.titlered, WrittenByNobody, true),
    NUMBER_KEY(SettingTitleGreen, "Settings", settings.debbuger.titlegreen, WrittenByNobody, true),
    NUMBER_KEY(SettingTitleBlue, "Settings", settings.debbuger.titleblue, WrittenByNobody, true),
    NUMBER_KEY(SettingTextRed, "Settings", settings.debbuger.textred, WrittenByNobody, true),
    NUMBER_KEY(SettingTextGreen, "Settings", settings.debbuger.textgreen, WrittenByNobody, true),
    NUMBER_KEY(SettingTextBlue, "Settings", settings.debbuger.textblue, WrittenByNobody, true),

    TEXT_KEY(SettingForward, "Controls", Forward, WrittenByKeyCapture, true),
    TEXT_KEY(SettingBackward, "Controls", Backward, WrittenByKeyCapture, true),
    TEXT_KEY(SettingLeft, "Controls", Left, WrittenByKeyCapture, true),
    TEXT_KEY(SettingRight, "Controls", Right, WrittenByKeyCapture, true),
    TEXT_KEY(SettingDuck, "Controls", Duck, WrittenByKeyCapture, true),
    TEXT_KEY(SettingJump, "Controls", Jump, WrittenByKeyCapture, true),
    TEXT_KEY(SettingJournal, "Controls", Journal, WrittenByKeyCapture, true),
    TEXT_KEY(SettingScrshot, "Controls", Scrshot, WrittenByKeyCapture, true),
};

#undef NUMBER_KEY
#undef TEXT_KEY

namespace {

constexpr bool RowsInKeyOrder() {
    for (int i = 0; i < SettingKeyCount; ++i)
        if (SettingKeys[i].Id != i) return false;
    return true;
}
static_assert(RowsInKeyOrder(), "the rows of SettingKeys follow the enum SettingKey");

}  // namespace

// [SECTION] Reads and writes

void WriteSetting(SettingKey key, int32_t value) {
    const SettingKeyRow& row = SettingKeys[key];
    assert(row.Type == SettingNumber && "a number for a text key");
    SelectGroup(row.Group);
    WriteSettingNumber(row.Key, value);
}

void WriteSetting(SettingKey key, const std::string& value) {
    const SettingKeyRow& row = SettingKeys[key];
    assert(row.Type == SettingText && "a text for a number key");
    SelectGroup(row.Group);
    WriteSettingText(row.Key, value);
}

int32_t ReadStoredNumber(SettingKey key) {
    const SettingKeyRow& row = SettingKeys[key];
    assert(row.Number != nullptr && "not a number key");
    GameSettings defaults;
    SelectGroup(row.Group);
    return ReadSettingNumber(row.Key, *row.Number(defaults));
}

std::string SettingDefaultText(SettingKey key) {
    const SettingKeyRow& row = SettingKeys[key];
    GameSettings defaults;
    if (row.Number != nullptr) return std::to_string(*row.Number(defaults));
    if (row.Text != nullptr) return *row.Text(defaults);
    return "";
}
