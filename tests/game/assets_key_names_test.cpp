// assets_key_names_test.cpp — the key-name table both ways, the aliases, the
// two letter keys named by their US caps, and the glyph each name draws.
#include <string>
#include <vector>

#include "menu_test_support.h"

namespace {

struct Row {
    std::string Name;
    int Key;
    std::string Alias;   // "" = none
};

// The vocabulary built from the key codes, independently of the table.
std::vector<Row> ExpectedRows() {
    std::vector<Row> rows;
    for (int d = 0; d <= 9; ++d)
        rows.push_back({std::to_string(d), d == 0 ? int{Key0} : Key1 + d - 1, ""});
    for (int i = 0; i < 26; ++i)
        rows.push_back({std::string(1, char('A' + i)), KeyA + i, std::string(1, char('a' + i))});
    for (int f = 1; f <= 12; ++f)
        rows.push_back({"F" + std::to_string(f), KeyF1 + f - 1, "f" + std::to_string(f)});
    rows.insert(rows.end(), {{"Strg", KeyLeftCtrl, "strg"}, {"Alt", KeyLeftAlt, "alt"}, {"Tab", KeyTab, "tab"},
                             {"Shift", KeyLeftShift, "shift"}, {"Space", KeySpace, "space"},
                             {"Return", KeyReturn, "return"}});
    return rows;
}

}  // namespace

// [SECTION] Both directions

TEST(KeyNames, EveryRowInOrderAndBothWays) {
    std::vector<Row> rows = ExpectedRows();
    ASSERT_EQ(rows.size(), size_t{KeyNameRowCount});
    for (int i = 0; i < KeyNameRowCount; ++i) {
        const Row& e = rows[i];
        SCOPED_TRACE(e.Name);
        const KeyNameRow& row = KeyNameTable[i];
        EXPECT_EQ(std::string(row.Name), e.Name);
        EXPECT_EQ(row.Key, e.Key);
        EXPECT_EQ(row.Alias ? std::string(row.Alias) : "", e.Alias);
        EXPECT_EQ(KeyFromName(e.Name), e.Key);
        ASSERT_NE(NameFromKey(e.Key), nullptr);
        EXPECT_EQ(std::string(NameFromKey(e.Key)), e.Name);
        if (!e.Alias.empty()) {
            EXPECT_EQ(KeyFromName(e.Alias), e.Key);
        }
    }
}

TEST(KeyNames, TheTwoLayoutDependentLettersRoundTrip) {
    // Y is the key between T and U, Z the key left of X, in both directions,
    // so a key captured under a name is served by that same key afterwards.
    EXPECT_STREQ(NameFromKey(KeyY), "Y");
    EXPECT_STREQ(NameFromKey(KeyZ), "Z");
    for (int key : {int{KeyY}, int{KeyZ}}) {
        EXPECT_EQ(KeyFromName(NameFromKey(key)), key);
        std::string lower(1, char(NameFromKey(key)[0] - 'A' + 'a'));
        EXPECT_EQ(KeyFromName(lower), key);
    }
}

TEST(KeyNames, UnnamedKeysAndNonNames) {
    for (int key : {int{KeyRightCtrl}, int{KeyRightShift}, int{KeyRightAlt}, int{KeyEscape},
                    int{KeyBackspace}, int{KeyUp}, int{KeyLeft}, int{KeyKeypad1},
                    int{KeyKeypadEnter}, int{KeyGrave}, int{KeyNone}})
        EXPECT_EQ(NameFromKey(key), nullptr) << key;
    // Label words, empty, the Escape key, case variants and partial names are no names.
    for (const char* name : {"Umschalt", "Leertaste", "Enter", "", "Escape", "Esc", "STRG",
                             "SHIFT", "F13", "F0", "ff", "00", "W ", " W", "Ctrl"})
        EXPECT_EQ(KeyFromName(name), KeyNone) << '"' << name << '"';
}

// [SECTION] Glyphs

class KeyGlyphs : public GameTest {};

TEST_F(KeyGlyphs, ShiftSpaceReturnFollowTheLanguageAtEachCall) {
    struct Case {
        const char* Name;
        int German, English;   // places in the text labels
    } cases[] = {{"Shift", TextUmschalt, TextShift}, {"Space", TextLeertaste, TextSpace},
                 {"Return", TextEnter, TextReturn}, {"Strg", TextStrg, TextStrg}};
    for (const Case& c : cases) {
        for (const char* language : {"German", "English", "german", ""}) {
            SCOPED_TRACE(std::string(c.Name) + " " + language);
            Cfg.settings.language = language;
            Rec.Calls.clear();
            DrawKeyGlyph(c.Name, 1, 2, 255);
            const int place = std::string(language) == "German" ? c.German : c.English;
            EXPECT_EQ(Described(-1, {"DrawBlended"}),
                      Lines{"DrawBlended " + std::to_string(TextLabelBlend(place)) + " 1 2 255"});
        }
    }
}

TEST_F(KeyGlyphs, NamesWithoutALabelDrawNothing) {
    for (const char* language : {"German", "English"}) {
        Cfg.settings.language = language;
        for (const char* name : {"f12", "f1", "strg", "shift", "space", "return", "Umschalt",
                                 "Leertaste", "Enter", "", "Escape", "00", "F13", "F0", "FF",
                                 "Taste wählen", "Choose a key", "ä"})
            DrawKeyGlyph(name, 0, 0, 255);
    }
    EXPECT_EQ(CallsOf("DrawBlended").size(), 0u);
}
