// settings.cpp — the settings in memory, the reads that fill them from the
// settings file through the key table, and the captured bindings.
#include "core/core.h"

#include "assets/menu_words.h"

GameSettings Cfg;

bool IsGerman() { return Cfg.settings.language == "German"; }
const MenuWords& Words() { return IsGerman() ? GermanWords : EnglishWords; }

// [SECTION] Reads

// A key that is absent gives GameSettings' initial value, whatever Cfg held
// before.
namespace {

// Reads the keys of the table from `first` to `last` into Cfg, selecting each
// group as the rows reach it.
void ReadKeys(SettingKey first, SettingKey last) {
    GameSettings defaults;
    const char* group = nullptr;
    for (int k = first; k <= last; ++k) {
        const SettingKeyRow& row = SettingKeys[k];
        if (group != row.Group) SelectGroup(group = row.Group);
        if (row.Number != nullptr) *row.Number(Cfg) = ReadSettingNumber(row.Key, *row.Number(defaults));
        else *row.Text(Cfg) = ReadSettingText(row.Key, *row.Text(defaults));
    }
}

}  // namespace

// Every key but [Application], in the order of the table.
void ReadAllSettings() { ReadKeys(SettingScreenW, SettingScrshot); }

// The controls pages call this every frame, so a key captured a moment ago
// shows at once; the file is only read, never rewritten. A frame must never
// wait for another instance's lock, so the read takes none (the file is only
// ever replaced whole); bindings captured but not yet written show as they
// will be stored, and are written here as soon as the lock is free.
void ReadControls() {
    if (PendingBindingCount() > 0) WritePendingBindings(false);
    OpenSettingsFileToRead(SettingsFileName);
    ReadKeys(SettingForward, SettingScrshot);
    CloseSettingsFile();
    for (int i = 0; i < BindingCount; ++i)
        if (!CapturedBindings.Pending[i].empty()) *SettingKeys[SettingForward + i].Text(Cfg) = CapturedBindings.Pending[i];
}

// [SECTION] Captured bindings

BindingWrites CapturedBindings;
static_assert(SettingScrshot - SettingForward + 1 == BindingCount, "one waiting name per binding");

namespace {

int ControlsRow(const std::string& key) {
    for (int i = 0; i < BindingCount; ++i)
        if (key == SettingName(SettingKey(SettingForward + i))) return i;
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
    *SettingKeys[SettingForward + row].Text(Cfg) = keyName;
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
    for (int i = 0; i < BindingCount; ++i)
        if (!CapturedBindings.Pending[i].empty()) WriteSetting(SettingKey(SettingForward + i), CapturedBindings.Pending[i]);
    // A file that cannot be written loses the bindings without a word, as
    // every other write to it does.
    CloseSettingsFile();
    CapturedBindings = BindingWrites{};
}
