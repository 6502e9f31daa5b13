// sdl_fonts.cpp — fonts of the SDL platform: finding a face through
// fontconfig (with our alias for the default face name), loading it at the
// density the layout was made for, and the font files the game registers
// for its run.
#include "platform/sdl/sdl_internal.h"

#include <fontconfig/fontconfig.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstring>

// [SECTION] Font lookup

namespace {

FcConfig* FontConfig = nullptr;

// The default face name of the settings names a decorative face that free
// systems do not have; prefer a free face of similar character so that the
// default menu reads well, before fontconfig's plain sans-serif fallback.
const char* const FaceAliases = R"(<?xml version="1.0"?>
<!DOCTYPE fontconfig SYSTEM "fonts.dtd">
<fontconfig>
  <alias binding="strong">
    <family>Papyrus</family>
    <prefer>
      <family>Linux Biolinum O</family>
      <family>DejaVu Serif</family>
    </prefer>
  </alias>
</fontconfig>
)";

bool SameFaceName(const std::string& a, const std::string& b) {
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
           });
}

// Fontconfig's best file for the face; `bold` asks for weight 700. Tells
// whether the file found is itself bold (else bold is made up by the
// renderer).
bool FindFaceFile(const std::string& face, bool bold, std::string& file, int& index, bool& fileIsBold) {
    if (!FontConfig) return false;
    FcPattern* pattern = FcPatternCreate();
    FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(face.c_str()));
    FcPatternAddInteger(pattern, FC_WEIGHT, bold ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
    FcPatternAddInteger(pattern, FC_SLANT, FC_SLANT_ROMAN);
    FcPatternAddBool(pattern, FC_SCALABLE, FcTrue);
    FcConfigSubstitute(FontConfig, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult result = FcResultNoMatch;
    FcPattern* match = FcFontMatch(FontConfig, pattern, &result);
    FcPatternDestroy(pattern);
    if (!match) return false;
    FcChar8* path = nullptr;
    bool found = FcPatternGetString(match, FC_FILE, 0, &path) == FcResultMatch && path;
    if (found) {
        file = reinterpret_cast<const char*>(path);
        index = 0;
        FcPatternGetInteger(match, FC_INDEX, 0, &index);
        int weight = FC_WEIGHT_REGULAR;
        FcPatternGetInteger(match, FC_WEIGHT, 0, &weight);
        fileIsBold = weight >= FC_WEIGHT_DEMIBOLD;
    }
    FcPatternDestroy(match);
    return found;
}

// Every page is laid out in fixed pixels (150 x 25 label boxes, fixed rows)
// for text converted at 96 dpi. What the display reports instead is its
// panel's physical density (about 157 on a common 14-inch laptop panel),
// which would make every label too large for its box; it is not used.
constexpr int LayoutDpi = 96;

// The density the display reports, for the platform tests: text does not
// depend on it.
int DisplayDpi() {
    const float reported = Sdl.Graphics.ReportedDpiForTests;
    if (reported > 0) return int(std::lround(reported));
    float ddpi = 0, hdpi = 0, vdpi = 0;
    if (SDL_WasInit(SDL_INIT_VIDEO) && SDL_GetDisplayDPI(0, &ddpi, &hdpi, &vdpi) == 0 && vdpi >= 48 && vdpi <= 480)
        return int(std::lround(vdpi));
    return 96;
}

std::string FamilyOf(TTF_Font* font) {
    const char* name = TTF_FontFaceFamilyName(font);
    return name ? name : "";
}

}  // namespace

bool StartFontLookup() {
    FontConfig = FcInitLoadConfigAndFonts();
    if (!FontConfig) return false;
    if (!FcConfigParseAndLoadFromMemory(FontConfig, reinterpret_cast<const FcChar8*>(FaceAliases), FcTrue))
        return false;
    return true;
}

void StopFontLookup() {
    if (FontConfig) FcConfigDestroy(FontConfig);
    FontConfig = nullptr;
}

// [SECTION] Fonts

bool LoadFontFace(int font, const std::string& face, int points, int style) {
    auto old = Sdl.Graphics.Fonts.find(font);
    if (old != Sdl.Graphics.Fonts.end()) {
        BeforePixelsChange();
        if (old->second.Font) TTF_CloseFont(old->second.Font);
        Sdl.Graphics.Fonts.erase(old);
    }
    if (points <= 0 || points > 1000) return false;
    const bool bold = (style & FontStyleBold) != 0;

    std::string file;
    int index = 0;
    bool fileIsBold = false;
    // A file the game registered for this face comes first (the latest one
    // when several name the same face).
    for (const auto& [path, registration] : Sdl.Graphics.FontFiles)
        if (SameFaceName(registration.Family, face)) file = path;
    if (file.empty() && !FindFaceFile(face, bold, file, index, fileIsBold)) return false;

    const int dpi = LayoutDpi;
    TTF_Font* opened = TTF_OpenFontIndexDPI(file.c_str(), points, index, dpi, dpi);
    if (!opened) return false;
    if (bold && !fileIsBold) {
        // The file found is regular (a registered file, or a face without a bold
        // cut): embolden it, unless the file itself is already bold.
        const char* styleName = TTF_FontFaceStyleName(opened);
        if (!styleName || !std::strstr(styleName, "Bold")) TTF_SetFontStyle(opened, TTF_STYLE_BOLD);
    }
    SdlFont& loaded = Sdl.Graphics.Fonts[font];
    loaded.Font = opened;
    loaded.File = file;
    loaded.Family = FamilyOf(opened);
    return true;
}

int RegisterFontFile(const std::string& path) {
    const std::string native = NativePath(path);
    TTF_Font* probe = TTF_OpenFont(native.c_str(), 12);
    if (!probe) return 0;
    const int faces = int(std::max<long>(1, TTF_FontFaces(probe)));
    const std::string family = FamilyOf(probe);
    TTF_CloseFont(probe);
    auto& registration = Sdl.Graphics.FontFiles[native];
    registration.Family = family;
    registration.Count += 1;
    return faces;
}

// Fonts on this system are found through fontconfig at load time; nothing
// else needs telling.
void BroadcastFontChange() {}

bool UnregisterFontFile(const std::string& path) {
    auto it = Sdl.Graphics.FontFiles.find(NativePath(path));
    if (it == Sdl.Graphics.FontFiles.end()) return false;
    if (--it->second.Count <= 0) Sdl.Graphics.FontFiles.erase(it);
    return true;
}

// [SECTION] Views for the platform tests

std::string FontFileForTests(int font) {
    auto it = Sdl.Graphics.Fonts.find(font);
    return it == Sdl.Graphics.Fonts.end() ? "" : it->second.File;
}

std::string FontFamilyForTests(int font) {
    auto it = Sdl.Graphics.Fonts.find(font);
    return it == Sdl.Graphics.Fonts.end() ? "" : it->second.Family;
}

void ReportDisplayDpiForTests(float dpi) { Sdl.Graphics.ReportedDpiForTests = dpi; }

int DisplayDpiForTests() { return DisplayDpi(); }
