// settings_text.h — the settings file's text, on bytes in memory: parsing it (the mark, UTF-8 or
// Latin-1, the forms a hand-written line takes), finding groups and keys, where a write lands,
// and formatting it back to bytes with every comment and line in its place. No file I/O.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// [SECTION] The text in memory

enum SettingsEntryKind : int {
    EntryGroup = 0,    // Name: the group name
    EntryComment,      // Name: the comment text (without "; ")
    EntrySetting,      // Name: the key; Value: the value as stored
};

// One line of the file that is not blank.
struct SettingsEntry {
    SettingsEntryKind Kind = EntrySetting;   // what the line is
    std::string Name;                        // group name, comment text or key (see the kind)
    std::string Value;                       // a setting's value as stored, trailing blanks included
};

// A parsed file plus the group its reads and writes go to.
struct SettingsText {
    std::vector<SettingsEntry> Entries;   // the file's lines in order; blank lines are gone
    bool WithoutMark = false;             // parsed from an empty file: formatted without the mark when it may be
    int CurrentGroup = -1;                // index of the selected group's header, -1 for none
    bool HasPendingGroup = false;         // the selected group is not in the text yet
    std::string PendingGroup;             // its name; its header is added at the first write
    bool Modified = false;                // a write changed Entries since parsing
};

// [SECTION] Bytes in and out

// The whole file: the mark decides UTF-8; without it the bytes are UTF-8
// when they form valid UTF-8 and Latin-1 otherwise. No group is selected.
SettingsText ParseSettingsText(const std::string& bytes);
// The entries as the program writes them: CR LF line ends, "key = value",
// "; comment", "[group]", after the mark and an empty line.
std::string FormatSettingsText(const SettingsText& text);

// [SECTION] Reading and writing settings

// Selects the first group of that name (A to Z match in either case), or,
// when there is none, a pending group that the first write appends at the
// end. Returns whether the group exists.
bool SelectTextGroup(SettingsText& text, const std::string& group);
// The first setting of the key in the selected group, read as text (blanks
// around it dropped) or as a decimal number; fallback when it is not there.
std::string ReadTextSetting(const SettingsText& text, const std::string& key, const std::string& fallback);
int32_t ReadTextNumber(const SettingsText& text, const std::string& key, int32_t fallback);
// Replaces the first setting of the key in the selected group in place, or
// adds it at the group's end; CR and LF in the value are written as spaces.
// Without a selected group nothing is written.
void WriteTextSetting(SettingsText& text, const std::string& key, const std::string& value);
// Forgets the selected group, as a fresh parse has none.
void ClearTextGroup(SettingsText& text);
