// key_names.cpp — the key-name vocabulary of the bindings (stored name, key,
// alias), both lookups, and the glyph that shows a stored name on screen.
#include <string_view>

#include "assets/assets.h"
#include "assets/menu_words.h"
#include "core/core.h"

// [SECTION] The table

// Capture walks these rows in this order and takes the first released key,
// so digits beat letters, letters beat function keys, and so on. The two
// letters whose caps differ between US and German keyboards are named by
// their US caps in both directions ("Y" is the key between T and U, "Z" the
// key left of X): a key captured under a name is the key that name reads
// back as. Only the left Ctrl, Alt and Shift have names.
constexpr KeyNameRow KeyNameTable[KeyNameRowCount] = {
    // digits of the main block, no alias
    {"0", Key0, nullptr}, {"1", Key1, nullptr}, {"2", Key2, nullptr}, {"3", Key3, nullptr},
    {"4", Key4, nullptr}, {"5", Key5, nullptr}, {"6", Key6, nullptr}, {"7", Key7, nullptr},
    {"8", Key8, nullptr}, {"9", Key9, nullptr},
    // letters, alias in lower case
    {"A", KeyA, "a"}, {"B", KeyB, "b"}, {"C", KeyC, "c"}, {"D", KeyD, "d"}, {"E", KeyE, "e"},
    {"F", KeyF, "f"}, {"G", KeyG, "g"}, {"H", KeyH, "h"}, {"I", KeyI, "i"}, {"J", KeyJ, "j"},
    {"K", KeyK, "k"}, {"L", KeyL, "l"}, {"M", KeyM, "m"}, {"N", KeyN, "n"}, {"O", KeyO, "o"},
    {"P", KeyP, "p"}, {"Q", KeyQ, "q"}, {"R", KeyR, "r"}, {"S", KeyS, "s"}, {"T", KeyT, "t"},
    {"U", KeyU, "u"}, {"V", KeyV, "v"}, {"W", KeyW, "w"}, {"X", KeyX, "x"},
    {"Y", KeyY, "y"},   // between T and U
    {"Z", KeyZ, "z"},   // left of X
    // function keys
    {"F1", KeyF1, "f1"}, {"F2", KeyF2, "f2"}, {"F3", KeyF3, "f3"}, {"F4", KeyF4, "f4"},
    {"F5", KeyF5, "f5"}, {"F6", KeyF6, "f6"}, {"F7", KeyF7, "f7"}, {"F8", KeyF8, "f8"},
    {"F9", KeyF9, "f9"}, {"F10", KeyF10, "f10"}, {"F11", KeyF11, "f11"}, {"F12", KeyF12, "f12"},
    // the special keys; Ctrl is "Strg" in both languages
    {"Strg", KeyLeftCtrl, "strg"},
    {"Alt", KeyLeftAlt, "alt"},
    {"Tab", KeyTab, "tab"},
    {"Shift", KeyLeftShift, "shift"},
    {"Space", KeySpace, "space"},
    {"Return", KeyReturn, "return"},   // the main Enter key, not the keypad's
};

// [SECTION] Lookups

int KeyFromName(const std::string& name) {
    for (const KeyNameRow& row : KeyNameTable) {
        if (name == row.Name) return row.Key;
        if (row.Alias != nullptr && name == row.Alias) return row.Key;
    }
    return KeyNone;
}

const char* NameFromKey(int key) {
    for (const KeyNameRow& row : KeyNameTable)
        if (row.Key == key) return row.Name;
    return nullptr;
}

// [SECTION] Glyphs

namespace {

// The glyphs are the rendered text labels (numbered_objects.h); the
// function-key rows of the table name them in the labels' order.
constexpr bool FunctionRowsMatchTheirLabels() {
    for (int f = 0; f < 12; ++f)
        if (std::string_view(KeyNameTable[KeyRowFunctionFirst + f].Name) != TextLabels[TextFunctionFirst + f]) return false;
    return KeyNameTable[KeyRowFunctionFirst].Key == KeyF1;
}
static_assert(FunctionRowsMatchTheirLabels(), "the function-key rows must be F1..F12 from KeyRowFunctionFirst");

// Shift, Space and Return show the German key-cap words on a German screen.
struct SpecialGlyph {
    const char* Name;
    int German;   // the text label while the language is "German"
    int Other;    // the text label otherwise
};
constexpr SpecialGlyph SpecialGlyphs[] = {
    {"Strg",   TextStrg,      TextStrg},
    {"Alt",    TextAlt,       TextAlt},
    {"Tab",    TextTab,       TextTab},
    {"Shift",  TextUmschalt,  TextShift},
    {"Space",  TextLeertaste, TextSpace},
    {"Return", TextEnter,     TextReturn},
};

// The place in TextLabels of the label that shows `name`, or -1. Names are
// compared whole and case-sensitively; the lower-case aliases of the
// function and special keys have no glyph, the small letters do.
int GlyphPlace(const std::string& name) {
    if (name.size() == 1) {
        char c = name[0];
        if (c >= '0' && c <= '9') return TextDigitFirst + (c - '0');
        if (c >= 'A' && c <= 'Z') return TextCapitalFirst + (c - 'A');
        if (c >= 'a' && c <= 'z') return TextSmallFirst + (c - 'a');
        return -1;
    }
    for (int f = 0; f < 12; ++f)
        if (name == KeyNameTable[KeyRowFunctionFirst + f].Name) return TextFunctionFirst + f;
    for (const SpecialGlyph& g : SpecialGlyphs)
        if (name == g.Name) return IsGerman() ? g.German : g.Other;
    return -1;
}

}  // namespace

// One DrawBlended of the name's label, or nothing for a name without one.
// The language is read at every call, so a language switch changes the
// Shift/Space/Return glyphs from the next frame on.
void DrawKeyGlyph(const std::string& name, int x, int y, int alpha) {
    const int place = GlyphPlace(name);
    if (place >= 0) DrawBlended(TextLabelBlend(place), x, y, alpha);
}

// The key a stored name denotes, said as its glyph reads in the menu's
// language, with the two abbreviations spelled out as words: "Strg" would
// be read letter by letter.
std::string SpokenKeyName(const std::string& name) {
    const char* stored = NameFromKey(KeyFromName(name));   // "w" and "f12" are W and F12
    if (stored == nullptr) return Words().NoKey;
    const std::string canonical = stored;
    if (canonical == "Strg") return Words().CtrlKey;
    if (canonical == "Tab") return Words().TabKey;
    return TextLabels[GlyphPlace(canonical)];
}
