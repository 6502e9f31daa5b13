// settings_fuzzer.cpp — fuzzes the settings text in memory: any bytes as the file, then sessions
// (parse, select groups, read, write, format) decoded from the input, checked against a model of
// what was written. The input's last byte n says how many bytes before it are operations; the rest
// is the file (so a corpus file is a file and a few operations from its own tail). The stored file
// is a string, replaced whole at the end of a session that wrote something, as the file on disk is.
// Checked on every input: no crash or sanitizer report; every key written reads back its value (CR
// and LF as spaces, surrounding blanks dropped) in the same session and after parsing the formatted
// text again; a session without writes is not marked modified (the file stays byte for byte); and
// formatted text, parsed and formatted again, settles after one round.
#include "formats/settings_text.h"

#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <utility>

namespace {

[[noreturn]] void Fail(const char* what, const std::string& detail) {
    fprintf(stderr, "settings fuzzer: %s: %s\n", what, detail.c_str());
    abort();
}

// [SECTION] Names the operations use

const char* const Groups[] = {"Application", "Screen", "Settings", "Controls", "screen", "CONTROLS",
                              "Sprache \xC3\xA4", "", " spaced ", "x"};
const char* const Keys[] = {"ScreenW", "screenw", "SCREENH", "settings.page", "settings.font",
                            "Forward", "Jump", "Scrshot", "Path", "File", "", "k\xC3\xBChl",
                            "settings.debbuger.titlered", "a b"};

// Operation bytes; zeros past the end.
struct Cursor {
    const uint8_t* Data;
    size_t Size, Pos = 0;
    bool Done() const { return Pos >= Size; }
    uint8_t Next() { return Pos < Size ? Data[Pos++] : 0; }
};

bool IsLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// Names are mostly picked from the lists above (the program's own and a few
// odd ones), in any letter case; generated ones are made well-formed as the
// program's are (no "]" in a group name; no "=", surrounding blanks or
// leading ";" or "[" in a key; no line breaks in either).
std::string MakeName(Cursor& in, bool group) {
    uint8_t pick = in.Next();
    std::string name;
    if (pick < 200) {
        name = group ? Groups[pick % std::size(Groups)] : Keys[pick % std::size(Keys)];
        const uint8_t flips = in.Next();   // vary the letter case
        for (size_t i = 0; i < name.size() && i < 8; ++i)
            if ((flips >> i) & 1 && IsLetter(name[i])) name[i] ^= 0x20;
        return name;
    }
    size_t length = in.Next() % 8;
    for (size_t i = 0; i < length; ++i) {
        char c = char(in.Next());
        if (c == '\r' || c == '\n' || (group && c == ']') || (!group && c == '=')) c = '_';
        name += c;
    }
    if (!group) {
        while (!name.empty() && IsBlank(name[0])) name.erase(0, 1);
        while (!name.empty() && IsBlank(name.back())) name.pop_back();
        if (!name.empty() && (name[0] == ';' || name[0] == '[')) name.insert(0, "k");
    }
    return name;
}

std::string Fold(std::string s) {
    for (char& c : s)
        if (c >= 'A' && c <= 'Z') c ^= 0x20;
    return s;
}

// What reading gives back for a written value: line breaks as blanks, no surrounding blanks.
std::string ExpectedText(std::string value) {
    for (char& c : value)
        if (c == '\r' || c == '\n') c = ' ';
    size_t b = 0, e = value.size();
    while (b < e && IsBlank(value[b])) ++b;
    while (e > b && IsBlank(value[e - 1])) --e;
    return value.substr(b, e - b);
}

// [SECTION] The model

using ModelKey = std::pair<std::string, std::string>;   // folded group, folded key

struct Model {
    std::map<ModelKey, std::string> Written;   // what reading must give
    bool FileExists = false;                    // the stored file is there
    std::string File;                           // its bytes
    bool Open = false;                          // a session is open on Text
    SettingsText Text;                          // the open session's text
    bool HasGroup = false;                      // the session selected a group
    std::string Group;                          // which (folded)
    bool WroteThisSession = false;              // the session wrote a setting
};

// A missing file starts as an empty text that gets the mark, as on disk.
SettingsText Parse(const Model& m) { return m.FileExists ? ParseSettingsText(m.File) : SettingsText{}; }

void CheckEverythingWritten(const Model& m) {
    SettingsText text = Parse(m);
    for (const auto& [where, value] : m.Written) {
        SelectTextGroup(text, where.first);
        std::string got = ReadTextSetting(text, where.second, "\x01missing");
        if (got != value)
            Fail("written value lost after parsing again",
                 where.first + "/" + where.second + " = [" + value + "] read [" + got + "]");
    }
    if (text.Modified) Fail("reading marked the text modified", "");
}

void CloseSession(Model& m) {
    if (!m.Open) return;
    m.Open = false;
    if (!m.Text.Modified) {
        if (m.WroteThisSession) Fail("a write did not mark the text modified", "");
        return;
    }
    m.File = FormatSettingsText(m.Text);
    m.FileExists = true;
    // Parsing drops what reading ignores (blanks before a value) and a file
    // that was empty gains the mark, so the second round must change nothing.
    const std::string again = FormatSettingsText(ParseSettingsText(m.File));
    if (FormatSettingsText(ParseSettingsText(again)) != again) Fail("formatted text does not settle", "");
    CheckEverythingWritten(m);
}

}  // namespace

// [SECTION] Entry point

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    size_t opCount = std::min<size_t>(data[size - 1], size - 1);
    size_t fileSize = size - 1 - opCount;
    Cursor in{data + fileSize, opCount};

    Model m;
    m.FileExists = true;
    m.File.assign(reinterpret_cast<const char*>(data), fileSize);
    while (!in.Done()) {
        switch (in.Next() % 8) {
            case 0:   // open (closing any open session first)
                CloseSession(m);
                m.Text = Parse(m);
                m.Open = true;
                m.HasGroup = false;
                m.WroteThisSession = false;
                break;
            case 1: {
                std::string group = MakeName(in, true);
                if (m.Open) {
                    SelectTextGroup(m.Text, group);
                    m.HasGroup = true;
                    m.Group = Fold(group);
                }
                break;
            }
            case 2: {
                std::string key = MakeName(in, false);
                if (!m.Open) break;
                std::string got = ReadTextSetting(m.Text, key, "\x01" "default");
                if (!m.HasGroup) {
                    if (got != "\x01" "default") Fail("read without a group gave a value", key);
                } else if (auto it = m.Written.find({m.Group, Fold(key)}); it != m.Written.end() && got != it->second) {
                    Fail("written value not read in the same session", key);
                }
                break;
            }
            case 3: {
                std::string key = MakeName(in, false);
                if (!m.Open) break;
                int32_t got = ReadTextNumber(m.Text, key, 424242);
                if (!m.HasGroup && got != 424242) Fail("number read without a group gave a value", key);
                break;
            }
            case 4:
            case 5: {
                std::string key = MakeName(in, false);
                std::string value;
                bool number = false;
                int32_t raw = 0;
                if (in.Next() & 1) {
                    number = true;
                    for (int shift = 0; shift < 32; shift += 8) raw = int32_t(uint32_t(raw) | uint32_t(in.Next()) << shift);
                    value = std::to_string(raw);
                } else {
                    for (size_t length = in.Next() % 48; value.size() < length;) value += char(in.Next());
                }
                if (!m.Open) break;
                WriteTextSetting(m.Text, key, value);
                if (m.HasGroup) {
                    if (number && ReadTextNumber(m.Text, key, 0) != raw) Fail("written number not read back", key);
                    m.Written[{m.Group, Fold(key)}] = ExpectedText(value);
                    m.WroteThisSession = true;
                }
                break;
            }
            case 6:
                CloseSession(m);
                break;
            case 7:   // a player deletes the file between two sessions
                CloseSession(m);
                m.FileExists = false;
                m.File.clear();
                m.Written.clear();
                break;
        }
    }
    CloseSession(m);
    return 0;
}
