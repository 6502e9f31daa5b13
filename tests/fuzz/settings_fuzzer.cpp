// settings_fuzzer.cpp — fuzzes the settings-file reader and writer: any bytes as the file, then a
// sequence of seven of its operations decoded from the input, checked against a model of what was written.
//
// Input layout: the last byte n says how many bytes before it are operations;
// everything before those is the file. A plain settings file from the corpus
// is therefore a file followed by a few operations taken from its own tail.
// Properties, checked on every input:
//   - no crash and no sanitizer report;
//   - every key written reads back its value (CR and LF written as spaces,
//     surrounding blanks dropped), in the same session and after reopening;
//   - a session without writes leaves the file byte for byte unchanged.
#include "platform/platform.h"

#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace {

// [SECTION] Where the file lives

std::string Folder, Cfg;

void RemoveFolder() {
    unlink(Cfg.c_str());
    rmdir(Folder.c_str());
}

void PrepareFolder() {
    if (!Cfg.empty()) return;
    char pattern[] = "/dev/shm/veldrune-fuzz-XXXXXX";
    char fallback[] = "/tmp/veldrune-fuzz-XXXXXX";
    const char* dir = mkdtemp(pattern);
    if (!dir) dir = mkdtemp(fallback);
    if (!dir) abort();
    Folder = dir;
    Cfg = Folder + "/Veldrune.cfg";
    atexit(RemoveFolder);
}

std::string Slurp() {
    std::string bytes;
    if (FILE* f = fopen(Cfg.c_str(), "rb")) {
        char buffer[4096];
        size_t n;
        while ((n = fread(buffer, 1, sizeof buffer, f)) > 0) bytes.append(buffer, n);
        fclose(f);
    }
    return bytes;
}

bool FileExists() {
    struct stat st {};
    return stat(Cfg.c_str(), &st) == 0;
}

void Spit(const uint8_t* data, size_t size) {
    FILE* f = fopen(Cfg.c_str(), "wb");
    if (!f) abort();
    if (size && fwrite(data, 1, size, f) != size) abort();
    fclose(f);
}

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

// Reads operation bytes; past the end it yields zeros.
struct Cursor {
    const uint8_t* Data;
    size_t Size, Pos = 0;
    bool Done() const { return Pos >= Size; }
    uint8_t Next() { return Pos < Size ? Data[Pos++] : 0; }
};

// Group names and keys come from the program's own constants, which are
// always well-formed lines; generated ones are made so (no "]" in a group
// name; no "=", no surrounding blanks, no leading ";" or "[" in a key; no
// line breaks in either).
std::string MakeName(Cursor& in, bool group) {
    uint8_t pick = in.Next();
    std::string name;
    if (pick < 200) {
        name = group ? Groups[pick % std::size(Groups)] : Keys[pick % std::size(Keys)];
        uint8_t flips = in.Next();   // vary the letter case
        for (size_t i = 0; i < name.size() && i < 8; ++i)
            if ((flips >> i) & 1 && ((name[i] >= 'a' && name[i] <= 'z') || (name[i] >= 'A' && name[i] <= 'Z')))
                name[i] ^= 0x20;
        return name;
    }
    size_t length = in.Next() % 8;
    for (size_t i = 0; i < length; ++i) {
        char c = char(in.Next());
        if (c == '\r' || c == '\n' || (group && c == ']') || (!group && c == '=')) c = '_';
        name += c;
    }
    if (!group) {
        while (!name.empty() && (name[0] == ' ' || name[0] == '\t')) name.erase(0, 1);
        while (!name.empty() && (name.back() == ' ' || name.back() == '\t')) name.pop_back();
        if (!name.empty() && (name[0] == ';' || name[0] == '[')) name.insert(0, "k");
    }
    return name;
}

std::string Fold(const std::string& s) {
    std::string out = s;
    for (char& c : out)
        if (c >= 'A' && c <= 'Z') c = char(c - 'A' + 'a');
    return out;
}

std::string ExpectedText(std::string value) {
    for (char& c : value)
        if (c == '\r' || c == '\n') c = ' ';
    size_t b = 0, e = value.size();
    while (b < e && (value[b] == ' ' || value[b] == '\t')) ++b;
    while (e > b && (value[e - 1] == ' ' || value[e - 1] == '\t')) --e;
    return value.substr(b, e - b);
}

// [SECTION] The model

using ModelKey = std::pair<std::string, std::string>;   // folded group, folded key

struct Model {
    std::map<ModelKey, std::string> Written;   // what reading must give
    bool Open = false;
    bool HasGroup = false;
    std::string Group;                          // folded
    bool WroteThisSession = false;
    bool ExistedAtOpen = false;
    std::string BytesAtOpen;
};

void CheckEverythingWritten(const Model& m) {
    OpenSettingsFile(Cfg);
    for (const auto& [where, value] : m.Written) {
        SelectGroup(where.first);
        std::string got = ReadSettingText(where.second, "\x01missing");
        if (got != value) Fail("written value lost after reopening", where.first + "/" + where.second + " = [" + value + "] read [" + got + "]");
    }
    CloseSettingsFile();
}

void CloseSession(Model& m) {
    if (!m.Open) {
        CloseSettingsFile();
        return;
    }
    CloseSettingsFile();
    m.Open = false;
    if (!m.WroteThisSession) {
        if (FileExists() != m.ExistedAtOpen) Fail("file created or removed by a session without writes", "");
        if (m.ExistedAtOpen && Slurp() != m.BytesAtOpen) Fail("file changed by a session without writes", "");
    }
    std::string before = Slurp();
    bool existed = FileExists();
    CheckEverythingWritten(m);
    if (FileExists() != existed || Slurp() != before) Fail("reading back changed the file", "");
}

}  // namespace

// [SECTION] Entry point

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    PrepareFolder();
    if (size == 0) return 0;
    size_t opCount = std::min<size_t>(data[size - 1], size - 1);
    size_t fileSize = size - 1 - opCount;
    Spit(data, fileSize);
    Cursor in{data + fileSize, opCount};

    Model m;
    while (!in.Done()) {
        switch (in.Next() % 8) {
            case 0: {   // open (closing any open session first)
                CloseSession(m);
                m.ExistedAtOpen = FileExists();
                m.BytesAtOpen = Slurp();
                bool opened = OpenSettingsFile(Cfg);
                if (opened != m.ExistedAtOpen) Fail("OpenSettingsFile misreports the file", "");
                m.Open = true;
                m.HasGroup = false;
                m.WroteThisSession = false;
                break;
            }
            case 1: {
                std::string group = MakeName(in, true);
                SelectGroup(group);
                if (m.Open) {
                    m.HasGroup = true;
                    m.Group = Fold(group);
                }
                break;
            }
            case 2: {
                std::string key = MakeName(in, false);
                std::string got = ReadSettingText(key, "\x01" "default");
                if (!m.Open || !m.HasGroup) {
                    if (got != "\x01" "default") Fail("read without a group gave a value", key);
                } else if (auto it = m.Written.find({m.Group, Fold(key)}); it != m.Written.end() && got != it->second) {
                    Fail("written value not read in the same session", key);
                }
                break;
            }
            case 3: {
                std::string key = MakeName(in, false);
                int32_t got = ReadSettingNumber(key, 424242);
                if ((!m.Open || !m.HasGroup) && got != 424242) Fail("number read without a group gave a value", key);
                break;
            }
            case 4:
            case 5: {
                bool number = false;
                std::string key = MakeName(in, false);
                std::string value;
                if (in.Next() & 1) {
                    number = true;
                    uint32_t raw = uint32_t(in.Next()) | uint32_t(in.Next()) << 8 | uint32_t(in.Next()) << 16 |
                                   uint32_t(in.Next()) << 24;
                    WriteSettingNumber(key, int32_t(raw));
                    value = std::to_string(int32_t(raw));
                    if (m.Open && m.HasGroup && ReadSettingNumber(key, 0) != int32_t(raw))
                        Fail("written number not read back", key);
                } else {
                    size_t length = in.Next() % 48;
                    for (size_t i = 0; i < length; ++i) value += char(in.Next());
                    WriteSettingText(key, value);
                }
                (void)number;
                if (m.Open && m.HasGroup) {
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
                unlink(Cfg.c_str());
                m.Written.clear();
                break;
        }
    }
    CloseSession(m);
    unlink(Cfg.c_str());
    return 0;
}
