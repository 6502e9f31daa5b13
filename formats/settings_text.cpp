// settings_text.cpp — the settings file's text on bytes in memory: parsing, lookup, where writes
// land, formatting. See settings_text.h.
#include "formats/settings_text.h"

#include <algorithm>
#include <cassert>
#include <climits>
#include <string>
#include <vector>

// [SECTION] Text helpers

static bool IsBlank(char c) { return c == ' ' || c == '\t'; }

static char LowerAsciiLetter(char c) { return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c; }

// Group names and keys match ignoring the case of A to Z only; every other
// byte (umlauts included) must be equal.
static bool NamesMatch(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (LowerAsciiLetter(a[i]) != LowerAsciiLetter(b[i])) return false;
    return true;
}

static std::string TrimBlanks(const std::string& s) {
    size_t begin = 0, end = s.size();
    while (begin < end && IsBlank(s[begin])) ++begin;
    while (end > begin && IsBlank(s[end - 1])) --end;
    return s.substr(begin, end - begin);
}

// Strict UTF-8: no overlong forms, no surrogates, nothing above U+10FFFF.
static bool IsValidUtf8(const std::string& s) {
    const auto* p = reinterpret_cast<const unsigned char*>(s.data());
    size_t n = s.size(), i = 0;
    while (i < n) {
        unsigned c = p[i];
        if (c < 0x80) { ++i; continue; }
        size_t len;
        unsigned lo = 0x80, hi = 0xBF;
        if (c >= 0xC2 && c <= 0xDF) len = 2;
        else if (c >= 0xE0 && c <= 0xEF) {
            len = 3;
            if (c == 0xE0) lo = 0xA0;
            if (c == 0xED) hi = 0x9F;
        } else if (c >= 0xF0 && c <= 0xF4) {
            len = 4;
            if (c == 0xF0) lo = 0x90;
            if (c == 0xF4) hi = 0x8F;
        } else return false;
        if (n - i < len) return false;
        if (p[i + 1] < lo || p[i + 1] > hi) return false;
        for (size_t k = 2; k < len; ++k)
            if (p[i + k] < 0x80 || p[i + k] > 0xBF) return false;
        i += len;
    }
    return true;
}

static std::string Latin1ToUtf8(const std::string& s) {
    std::string out;
    out.reserve(s.size() + s.size() / 4);
    for (char ch : s) {
        auto c = static_cast<unsigned char>(ch);
        if (c < 0x80) {
            out += ch;
        } else {
            out += char(0xC0 | (c >> 6));
            out += char(0x80 | (c & 0x3F));
        }
    }
    return out;
}

// Decimal with leading blanks and a sign; reading stops at the first
// character that is not a digit, and a value without digits is 0. A number
// too large for 32 bits is held at the nearest limit rather than wrapped.
static int32_t ParseSettingNumber(const std::string& value) {
    size_t i = 0;
    while (i < value.size() && IsBlank(value[i])) ++i;
    bool negative = false;
    if (i < value.size() && (value[i] == '+' || value[i] == '-')) negative = value[i++] == '-';
    int64_t magnitude = 0;
    const int64_t limit = negative ? -int64_t(INT32_MIN) : int64_t(INT32_MAX);
    for (; i < value.size() && value[i] >= '0' && value[i] <= '9'; ++i) {
        magnitude = magnitude * 10 + (value[i] - '0');
        if (magnitude > limit) magnitude = limit;
    }
    return static_cast<int32_t>(negative ? -magnitude : magnitude);
}

// [SECTION] Parsing

// One line, already split from its line ends, into an entry. Returns false
// for a line that holds nothing but blanks.
static bool ParseLine(const std::string& line, SettingsEntry& entry) {
    size_t i = 0;
    while (i < line.size() && IsBlank(line[i])) ++i;
    if (i == line.size()) return false;
    if (line[i] == ';') {
        ++i;
        if (i < line.size() && line[i] == ' ') ++i;   // one space only; a tab stays
        entry = {EntryComment, line.substr(i), {}};
    } else if (line[i] == '[') {
        size_t close = line.find(']', i + 1);
        size_t end = close == std::string::npos ? line.size() : close;
        entry = {EntryGroup, line.substr(i + 1, end - i - 1), {}};
    } else {
        size_t equals = line.find('=', i);
        if (equals == std::string::npos) {
            entry = {EntrySetting, TrimBlanks(line.substr(i)), {}};
        } else {
            std::string key = line.substr(i, equals - i);
            while (!key.empty() && IsBlank(key.back())) key.pop_back();
            size_t v = equals + 1;
            while (v < line.size() && IsBlank(line[v])) ++v;
            // Trailing blanks stay in the entry; reading the value as text drops them.
            entry = {EntrySetting, key, line.substr(v)};
        }
    }
    return true;
}

// Without the mark, valid UTF-8 is what an ordinary editor saves; anything
// else is taken as Latin-1. Runs of CR and LF separate lines, so blank lines
// vanish.
SettingsText ParseSettingsText(const std::string& bytes) {
    std::string text;
    if (bytes.size() >= 3 && bytes.compare(0, 3, "\xEF\xBB\xBF") == 0) text = bytes.substr(3);
    else if (IsValidUtf8(bytes)) text = bytes;
    else text = Latin1ToUtf8(bytes);

    SettingsText parsed;
    parsed.WithoutMark = bytes.empty();
    std::vector<SettingsEntry>& entries = parsed.Entries;
    size_t pos = 0;
    while (pos < text.size()) {
        size_t end = text.find_first_of("\r\n", pos);
        if (end == std::string::npos) end = text.size();
        SettingsEntry entry;
        if (end > pos && ParseLine(text.substr(pos, end - pos), entry)) entries.push_back(std::move(entry));
        pos = text.find_first_not_of("\r\n", end);
        if (pos == std::string::npos) break;
    }
    return parsed;
}

// [SECTION] Writing out

std::string FormatSettingsText(const SettingsText& text) {
    std::string body;
    for (const SettingsEntry& e : text.Entries) {
        switch (e.Kind) {
            case EntryGroup: body += "[" + e.Name + "]"; break;
            case EntryComment: body += "; " + e.Name; break;
            case EntrySetting: body += e.Name + " = " + e.Value; break;
        }
        body += "\r\n";
    }
    // A file without the mark is read back as Latin-1 unless it is valid
    // UTF-8, so content that is not valid UTF-8 keeps the mark even in a file
    // that was empty; otherwise its bytes would come back changed.
    if (text.WithoutMark && IsValidUtf8(body)) return body;
    return "\xEF\xBB\xBF\r\n" + body;
}

// [SECTION] Group and key lookup

static int FindGroup(const SettingsText& text, const std::string& group) {
    for (size_t i = 0; i < text.Entries.size(); ++i)
        if (text.Entries[i].Kind == EntryGroup && NamesMatch(text.Entries[i].Name, group)) return int(i);
    return -1;
}

// The end of a group: the index of the next header, or the list's end.
static size_t GroupEnd(const SettingsText& text, int header) {
    size_t i = size_t(header) + 1;
    while (i < text.Entries.size() && text.Entries[i].Kind != EntryGroup) ++i;
    return i;
}

// The first setting of the key in the selected group (the first one counts), or -1.
static int FindSetting(const SettingsText& text, const std::string& key) {
    if (text.CurrentGroup < 0 || text.HasPendingGroup) return -1;
    size_t end = GroupEnd(text, text.CurrentGroup);
    for (size_t i = size_t(text.CurrentGroup) + 1; i < end; ++i)
        if (text.Entries[i].Kind == EntrySetting && NamesMatch(text.Entries[i].Name, key)) return int(i);
    return -1;
}

// [SECTION] Reading and writing settings

bool SelectTextGroup(SettingsText& text, const std::string& group) {
    int header = FindGroup(text, group);
    text.CurrentGroup = header;
    text.HasPendingGroup = header < 0;
    text.PendingGroup = header < 0 ? group : std::string();
    return header >= 0;
}

void ClearTextGroup(SettingsText& text) {
    text.CurrentGroup = -1;
    text.HasPendingGroup = false;
    text.PendingGroup.clear();
}

std::string ReadTextSetting(const SettingsText& text, const std::string& key, const std::string& fallback) {
    const int at = FindSetting(text, key);
    return at >= 0 ? TrimBlanks(text.Entries[size_t(at)].Value) : fallback;
}

int32_t ReadTextNumber(const SettingsText& text, const std::string& key, int32_t fallback) {
    const int at = FindSetting(text, key);
    return at >= 0 ? ParseSettingNumber(text.Entries[size_t(at)].Value) : fallback;
}

void WriteTextSetting(SettingsText& text, const std::string& key, const std::string& value) {
    assert(key.find_first_of("=\r\n") == std::string::npos && "a settings key cannot hold '=' or a line break");
    if (text.HasPendingGroup) {
        assert(text.PendingGroup.find_first_of("]\r\n") == std::string::npos &&
               "a group name cannot hold ']' or a line break");
        text.Entries.push_back({EntryGroup, text.PendingGroup, {}});
        text.CurrentGroup = int(text.Entries.size()) - 1;
        text.HasPendingGroup = false;
        text.PendingGroup.clear();
    }
    if (text.CurrentGroup < 0) return;   // nothing selected: no group to write into

    // A line break inside a value would end the line and turn the rest into
    // a line of its own; each CR and LF is written as a space instead.
    std::string stored = value;
    std::replace(stored.begin(), stored.end(), '\r', ' ');
    std::replace(stored.begin(), stored.end(), '\n', ' ');

    if (const int at = FindSetting(text, key); at >= 0) {
        SettingsEntry& e = text.Entries[size_t(at)];
        e.Name = key;   // stored as this call spells it
        e.Value = stored;
    } else {
        size_t end = GroupEnd(text, text.CurrentGroup);
        text.Entries.insert(text.Entries.begin() + std::ptrdiff_t(end), SettingsEntry{EntrySetting, key, stored});
    }
    text.Modified = true;
}
