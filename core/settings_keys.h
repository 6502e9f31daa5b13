// settings_keys.h — the table of every settings key: its group, its name in
// the file, its type, its member in memory (whose initial value is its
// default) and who writes it. Every other file names a key through it.
#pragma once

#include <cstdint>
#include <string>

struct GameSettings;

// [SECTION] The keys, in the order of the file's groups

enum SettingKey : int {
    // [Application]: written at every start, never read
    SettingPath, SettingFile,
    // [Screen]
    SettingScreenW, SettingScreenH, SettingScreenD, SettingScreenF, SettingScreenS,
    // [Settings]
    SettingFps, SettingInfo, SettingPage, SettingScreenshots, SettingFont, SettingFontSize,
    SettingFontStyle, SettingLanguage, SettingScreenMode, SettingMusic, SettingSpeech, SettingEffects, SettingDebugger,
    SettingTitleRed, SettingTitleGreen, SettingTitleBlue, SettingTextRed, SettingTextGreen, SettingTextBlue,
    // [Controls]: the stored key names of the eight bindings, Forward first
    SettingForward, SettingBackward, SettingLeft, SettingRight, SettingDuck, SettingJump,
    SettingJournal, SettingScrshot,
    SettingKeyCount
};

enum SettingType { SettingNumber, SettingText };

// Who writes a key to the file while the program runs; a key nobody writes is
// only read, at start-up.
enum SettingWriter : unsigned {
    WrittenByNobody = 0,
    WrittenAtStartUp = 1u << 0,       // every start, and the return to the Resolution page
    WrittenByRestart = 1u << 1,       // the restart for a new screen size
    WrittenByKeyCapture = 1u << 2,    // the capture pages of the bindings
    WrittenByOverlayKey = 1u << 3,    // the key that shows or hides the debug overlay
    WrittenByScreenshot = 1u << 4,    // the screenshot key: the counter
    WrittenByLanguagePage = 1u << 5,  // German or English chosen
    WrittenByMusicPage = 1u << 6,     // On or Off chosen
};

struct SettingKeyRow {
    SettingKey Id;                          // its own place in the table (checked when compiled)
    const char* Group;                      // the group, as the file spells it
    const char* Key;                        // the key, as the file spells it
    SettingType Type;
    int32_t* (*Number)(GameSettings&);      // the member of a number key; null for a text key
    std::string* (*Text)(GameSettings&);    // the member of a text key; null for a number key and
                                            // for [Application], which has none
    unsigned WrittenBy;                     // SettingWriter bits
    bool PlayerEdits;                       // listed by --help and the manual page
};
extern const SettingKeyRow SettingKeys[SettingKeyCount];

inline const char* SettingName(SettingKey key) { return SettingKeys[key].Key; }

// [SECTION] Reads and writes through the table (on the open settings file)

// Selects the key's group and writes the value under the key.
void WriteSetting(SettingKey key, int32_t value);
void WriteSetting(SettingKey key, const std::string& value);
// Selects the key's group and reads a number key as the file holds it now,
// its default when absent.
int32_t ReadStoredNumber(SettingKey key);
// The default of a key as the file would hold it ("" for [Application]).
std::string SettingDefaultText(SettingKey key);
