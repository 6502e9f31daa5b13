// core_settings_keys_test.cpp — the manual page's list of settings against
// the key table: every key a player may edit, in its group, with its default;
// the hotkeys the README and the manual name against the menu's words.
#include <gtest/gtest.h>

#include <fstream>
#include <iomanip>
#include <iterator>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "core/command_line.h"
#include "core/core.h"

namespace {

struct ManualEntry {
    std::string Group;
    std::string Default;
};

// The SETTINGS section's entries: lines such as
//   .BR settings.debbuger.titlered ", " titlegreen ", " titleblue " (200, 30, 30)"
// whose bare words are keys (a word without the first key's dotted prefix
// takes it) and whose last quoted piece holds their defaults in parentheses.
std::map<std::string, ManualEntry> ManualSettings() {
    std::ifstream file(VELDRUNE_SOURCE_DIR "/packaging/veldrune.6.in");
    std::map<std::string, ManualEntry> entries;
    std::string line, group;
    bool inSettings = false;
    while (std::getline(file, line)) {
        if (line.rfind(".SH ", 0) == 0) inSettings = line == ".SH SETTINGS";
        if (!inSettings) continue;
        if (line.rfind(".SS [", 0) == 0) group = line.substr(5, line.find(']') - 5);
        if (line.rfind(".BR ", 0) != 0) continue;
        std::istringstream words(line.substr(4));
        std::vector<std::string> keys;
        std::string quoted;
        for (std::string word; words >> std::ws && !words.eof();) {
            const bool isQuoted = words.peek() == '"';
            words >> std::quoted(word);
            if (isQuoted) quoted = word;
            else keys.push_back(word);
        }
        if (quoted.rfind(" (", 0) != 0 || quoted.back() != ')') continue;
        std::vector<std::string> defaults;
        std::stringstream list(quoted.substr(2, quoted.size() - 3));
        for (std::string value; std::getline(list, value, ',');) defaults.push_back(value.substr(value[0] == ' '));
        EXPECT_EQ(keys.size(), defaults.size()) << line;
        if (keys.size() != defaults.size()) continue;
        const std::string prefix = keys[0].substr(0, keys[0].rfind('.') + 1);
        for (size_t k = 0; k < keys.size(); ++k) {
            std::string key = keys[k].find('.') == std::string::npos ? prefix + keys[k] : keys[k];
            entries[key] = {group, defaults[k]};
        }
    }
    return entries;
}

}  // namespace

TEST(SettingKeys, TheManualListsEveryKeyAPlayerMayEditInItsGroupWithItsDefault) {
    const std::map<std::string, ManualEntry> manual = ManualSettings();
    size_t editable = 0;
    for (const SettingKeyRow& row : SettingKeys) {
        auto found = manual.find(row.Key);
        if (!row.PlayerEdits) {
            EXPECT_EQ(found, manual.end()) << row.Key << " is not for players to edit";
            continue;
        }
        ++editable;
        ASSERT_NE(found, manual.end()) << row.Key << " is missing from the manual";
        EXPECT_EQ(found->second.Group, row.Group) << row.Key;
        EXPECT_EQ(found->second.Default, SettingDefaultText(row.Id)) << row.Key;
    }
    EXPECT_EQ(manual.size(), editable) << "the manual lists a key the table does not know";
}

// The README's key table and the manual page name the items' red letters as
// --help prints them from the menu's words.
TEST(SettingKeys, TheReadmeAndTheManualNameTheHotkeysOfTheWordsTable) {
    for (const char* doc : {VELDRUNE_SOURCE_DIR "/README.md", VELDRUNE_SOURCE_DIR "/packaging/veldrune.6.in"}) {
        std::ifstream file(doc);
        const std::string text((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
        EXPECT_NE(text.find("opens it (" + HotkeyRows() + ")"), std::string::npos) << doc;
    }
}
