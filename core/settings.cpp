// settings.cpp — the settings in memory and the reads that fill them from the
// settings file.
#include "core/core.h"

GameSettings Cfg;

bool IsGerman() { return Cfg.settings.language == "German"; }

// [SECTION] Key tables

// Every key in the order the file's groups list them. Each row names the key
// as the file spells it and the member of Cfg it fills; a key that is absent
// gives GameSettings' initial value, whatever Cfg held before.
namespace {

const GameSettings Defaults;

struct NumberKey {
    const char* Key;
    int32_t GameSettings::*Member;
};

const NumberKey ScreenKeys[] = {
    {"ScreenW", &GameSettings::ScreenW}, {"ScreenH", &GameSettings::ScreenH},
    {"ScreenD", &GameSettings::ScreenD}, {"ScreenF", &GameSettings::ScreenF},
    {"ScreenS", &GameSettings::ScreenS},
};

struct ControlsKey {
    const char* Key;
    std::string GameSettings::*Member;
};
const ControlsKey ControlKeys[] = {
    {"Forward", &GameSettings::Forward}, {"Backward", &GameSettings::Backward},
    {"Left", &GameSettings::Left},       {"Right", &GameSettings::Right},
    {"Duck", &GameSettings::Duck},       {"Jump", &GameSettings::Jump},
    {"Journal", &GameSettings::Journal}, {"Scrshot", &GameSettings::Scrshot},
};

void ReadControlsGroup() {
    SelectGroup("Controls");
    for (const ControlsKey& row : ControlKeys)
        Cfg.*row.Member = ReadSettingText(row.Key, Defaults.*row.Member);
}

}  // namespace

// [SECTION] Reads

void ReadAllSettings() {
    SelectGroup("Screen");
    for (const NumberKey& row : ScreenKeys)
        Cfg.*row.Member = ReadSettingNumber(row.Key, Defaults.*row.Member);

    // The [Settings] keys, in the order of the group: the dotted names mix
    // numbers and texts, so they are listed one per line.
    auto& s = Cfg.settings;
    const auto& d = Defaults.settings;
    SelectGroup("Settings");
    s.fps = ReadSettingNumber("settings.fps", d.fps);
    s.info = ReadSettingNumber("settings.info", d.info);
    s.page = ReadSettingText("settings.page", d.page);
    s.screenshots = ReadSettingNumber("settings.screenshots", d.screenshots);
    s.font = ReadSettingText("settings.font", d.font);
    s.fontsize = ReadSettingNumber("settings.fontsize", d.fontsize);
    s.fontstyle = ReadSettingText("settings.fontstyle", d.fontstyle);
    s.language = ReadSettingText("settings.language", d.language);
    s.screenmode = ReadSettingNumber("settings.screenmode", d.screenmode);
    s.music = ReadSettingNumber("settings.music", d.music);
    s.effects = ReadSettingNumber("settings.effects", d.effects);
    s.debugger = ReadSettingNumber("settings.debugger", d.debugger);
    s.debbuger.titlered = ReadSettingNumber("settings.debbuger.titlered", d.debbuger.titlered);
    s.debbuger.titlegreen = ReadSettingNumber("settings.debbuger.titlegreen", d.debbuger.titlegreen);
    s.debbuger.titleblue = ReadSettingNumber("settings.debbuger.titleblue", d.debbuger.titleblue);
    s.debbuger.textred = ReadSettingNumber("settings.debbuger.textred", d.debbuger.textred);
    s.debbuger.textgreen = ReadSettingNumber("settings.debbuger.textgreen", d.debbuger.textgreen);
    s.debbuger.textblue = ReadSettingNumber("settings.debbuger.textblue", d.debbuger.textblue);

    ReadControlsGroup();
}

// The controls pages call this every frame, so a key captured a moment ago
// shows at once; the file is only read, never rewritten.
void ReadControls() {
    OpenSettingsFile(SettingsFileName);
    ReadControlsGroup();
    CloseSettingsFile();
}
