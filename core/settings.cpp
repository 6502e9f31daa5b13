// settings.cpp — the settings in memory and the reads that fill them from the
// settings file.
#include "core/core.h"

#include <iterator>
#include <type_traits>

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
// shows at once; the file is only read, never rewritten. A frame must never
// wait for another instance's lock, so the read takes none (the file is only
// ever replaced whole); bindings captured but not yet written show as they
// will be stored, and are written here as soon as the lock is free.
void ReadControls() {
    if (PendingBindingCount() > 0) WritePendingBindings(false);
    OpenSettingsFileToRead(SettingsFileName);
    ReadControlsGroup();
    CloseSettingsFile();
    for (size_t i = 0; i < std::size(ControlKeys); ++i)
        if (!CapturedBindings.Pending[i].empty()) Cfg.*ControlKeys[i].Member = CapturedBindings.Pending[i];
}

// [SECTION] Captured bindings

BindingWrites CapturedBindings;
static_assert(std::size(ControlKeys) == std::extent_v<decltype(BindingWrites::Pending)>, "one waiting name per binding");

namespace {

int ControlsRow(const std::string& key) {
    for (size_t i = 0; i < std::size(ControlKeys); ++i)
        if (key == ControlKeys[i].Key) return int(i);
    return -1;
}

}  // namespace

int PendingBindingCount() {
    int count = 0;
    for (const std::string& name : CapturedBindings.Pending) count += !name.empty();
    return count;
}

// The binding shows at once; it is on disk when this returns, unless another
// instance holds the settings file right now: then it waits in CapturedBindings and
// the controls pages write it at a later frame.
void StoreBinding(const char* settingKey, const std::string& keyName) {
    const int row = ControlsRow(settingKey);
    if (row < 0 || keyName.empty()) return;
    Cfg.*ControlKeys[row].Member = keyName;
    CapturedBindings.Pending[row] = keyName;
    WritePendingBindings(false);
}

void WritePendingBindings(bool wait) {
    if (PendingBindingCount() == 0) return;
    if (wait) OpenSettingsFile(SettingsFileName);
    else OpenSettingsFileWithoutWaiting(SettingsFileName);
    if (SettingsFileBusy()) {   // written at a later frame
        CloseSettingsFile();
        return;
    }
    SelectGroup("Controls");
    for (size_t i = 0; i < std::size(ControlKeys); ++i)
        if (!CapturedBindings.Pending[i].empty()) WriteSettingText(ControlKeys[i].Key, CapturedBindings.Pending[i]);
    // A file that cannot be written loses the bindings without a word, as
    // every other write to it does.
    CloseSettingsFile();
    CapturedBindings = BindingWrites{};
}
