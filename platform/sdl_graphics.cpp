// sdl_graphics.cpp — sprites, blended drawing, frame capture, text and fonts
// of the SDL platform.
//
// A sprite's pixels live in an SDL surface, so they survive the screen being
// closed and reopened and text can be drawn straight into them; the texture
// the renderer draws from is uploaded from the surface when first needed.
#include "platform/sdl_internal.h"

#include <fontconfig/fontconfig.h>

#include <algorithm>
#include <cassert>
#include <cctype>
#include <cmath>
#include <cstring>
#include <sys/stat.h>
#include <vector>

// [SECTION] Sprite pixels

namespace {

SDL_Surface* NewSurface(int width, int height) {
    if (width <= 0 || height <= 0 || width > MaxSurfaceSide || height > MaxSurfaceSide) return nullptr;
    return SDL_CreateRGBSurfaceWithFormat(0, width, height, 32, SDL_PIXELFORMAT_ARGB8888);
}

// Exact black becomes see-through, every other colour opaque.
void KeyOnBlack(SDL_Surface* s) {
    SDL_LockSurface(s);
    for (int y = 0; y < s->h; ++y) {
        auto* row = reinterpret_cast<uint32_t*>(static_cast<uint8_t*>(s->pixels) + y * s->pitch);
        for (int x = 0; x < s->w; ++x) {
            uint32_t rgb = row[x] & 0x00FFFFFFu;
            row[x] = rgb == 0 ? 0u : (rgb | 0xFF000000u);
        }
    }
    SDL_UnlockSurface(s);
}

void FreeSprite(SdlSprite& sprite) {
    if (sprite.Texture) SDL_DestroyTexture(sprite.Texture);
    if (sprite.Pixels) SDL_FreeSurface(sprite.Pixels);
    sprite = SdlSprite{};
}

// Replaces whatever was under the number; the blendables bound to the old
// sprite now show the new one, as a reload by number expects.
void StoreSprite(int number, SDL_Surface* pixels, int flags) {
    BeforePixelsChange();
    auto it = Sdl.Graphics.Sprites.find(number);
    if (it != Sdl.Graphics.Sprites.end()) FreeSprite(it->second);
    SdlSprite sprite;
    sprite.Pixels = pixels;
    sprite.Flags = flags;
    Sdl.Graphics.Sprites[number] = sprite;
}

SdlSprite* FindSprite(int number) {
    auto it = Sdl.Graphics.Sprites.find(number);
    return it == Sdl.Graphics.Sprites.end() ? nullptr : &it->second;
}

// The sprite's texture for the current renderer, uploading it when the
// pixels changed or the renderer is new.
SDL_Texture* SpriteTexture(SdlSprite& sprite) {
    SDL_Renderer* renderer = Sdl.Screen.Renderer;
    if (!renderer) return nullptr;
    if (sprite.Texture && sprite.TextureGeneration != Sdl.Screen.Generation) {
        // Made for a renderer that is gone; its memory went with it.
        sprite.Texture = nullptr;
    }
    if (!sprite.Texture) {
        sprite.Texture = SDL_CreateTexture(renderer, SDL_PIXELFORMAT_ARGB8888, SDL_TEXTUREACCESS_STATIC,
                                           sprite.Pixels->w, sprite.Pixels->h);
        if (!sprite.Texture) return nullptr;
        SDL_SetTextureBlendMode(sprite.Texture, SDL_BLENDMODE_BLEND);
        sprite.TextureGeneration = Sdl.Screen.Generation;
        sprite.TextureStale = true;
    }
    if (sprite.TextureStale) {
        SDL_UpdateTexture(sprite.Texture, nullptr, sprite.Pixels->pixels, sprite.Pixels->pitch);
        sprite.TextureStale = false;
    }
    return sprite.Texture;
}

bool DrawingOnBackBuffer() {
    if (!Sdl.Screen.BackBuffer) return false;
    if (SDL_GetRenderTarget(Sdl.Screen.Renderer) != Sdl.Screen.BackBuffer)
        SDL_SetRenderTarget(Sdl.Screen.Renderer, Sdl.Screen.BackBuffer);
    return true;
}

}  // namespace

void DropSpriteTextures() {
    // Textures of a renderer about to be destroyed (or already reset) are
    // freed with it; only forget them here.
    for (auto& [number, sprite] : Sdl.Graphics.Sprites) {
        (void)number;
        sprite.Texture = nullptr;
        sprite.TextureStale = true;
        sprite.Identity = NewPixelsIdentity();
    }
}

bool SelectBackBuffer() { return DrawingOnBackBuffer(); }

// [SECTION] Sprites and blending

bool LoadSpriteFromMemory(int sprite, const uint8_t* png, size_t pngSize, int flags) {
    if (sprite < 0 || !png) return false;
    RgbaImage image;
    if (!DecodePng(png, pngSize, image)) return false;
    SDL_Surface* s = NewSurface(image.width, image.height);
    if (!s) return false;
    SDL_LockSurface(s);
    for (int y = 0; y < image.height; ++y) {
        auto* row = reinterpret_cast<uint32_t*>(static_cast<uint8_t*>(s->pixels) + y * s->pitch);
        const uint8_t* in = image.pixels.data() + size_t(y) * image.width * 4;
        for (int x = 0; x < image.width; ++x, in += 4)
            row[x] = (uint32_t(in[0]) << 16) | (uint32_t(in[1]) << 8) | in[2];
    }
    SDL_UnlockSurface(s);
    KeyOnBlack(s);
    StoreSprite(sprite, s, flags);
    return true;
}

bool CreateBlankSprite(int sprite, int width, int height, int flags) {
    if (sprite < 0) return false;
    SDL_Surface* s = NewSurface(width, height);
    if (!s) return false;
    SDL_FillRect(s, nullptr, 0);   // black, see-through
    StoreSprite(sprite, s, flags);
    return true;
}

bool MakeBlendable(int blendable, int sprite) {
    SdlSprite* s = FindSprite(sprite);
    if (!s || !(s->Flags & SpriteBlendable)) {
        Sdl.Graphics.Blendables.erase(blendable);
        return false;
    }
    Sdl.Graphics.Blendables[blendable] = sprite;
    return true;
}

bool BeginBlending() { return DrawingOnBackBuffer(); }

void EndBlending() {}

// Recorded; rendered at the present, or at once when the frame already draws
// through (frame_record.h).
void DrawBlended(int blendable, int x, int y, int alpha) {
    auto it = Sdl.Graphics.Blendables.find(blendable);
    if (it == Sdl.Graphics.Blendables.end()) return;
    SdlSprite* sprite = FindSprite(it->second);
    if (!sprite || alpha <= 0 || !Sdl.Screen.BackBuffer) return;
    RecordSprite(it->second, sprite->Identity, x, y, std::min(alpha, 255));
}

void RenderSpriteNow(int number, int x, int y, int alpha) {
    SdlSprite* sprite = FindSprite(number);
    if (!sprite) return;
    SDL_Texture* texture = SpriteTexture(*sprite);
    if (!texture) return;
    SDL_SetTextureAlphaMod(texture, uint8_t(alpha));
    SDL_Rect dst{x, y, sprite->Pixels->w, sprite->Pixels->h};
    SDL_RenderCopy(Sdl.Screen.Renderer, texture, nullptr, &dst);
}

void RenderClearNow(Color c) {
    SDL_SetRenderDrawColor(Sdl.Screen.Renderer, c.r, c.g, c.b, 255);
    SDL_RenderClear(Sdl.Screen.Renderer);
}

bool CaptureFrame(int sprite, int x, int y, int width, int height) {
    if (sprite < 0 || !DrawingOnBackBuffer()) return false;
    if (x < 0 || y < 0 || width <= 0 || height <= 0 || x > Sdl.Screen.Width - width ||
        y > Sdl.Screen.Height - height)
        return false;
    // The frame's draws may still be only recorded, or the back buffer may
    // hold an earlier frame: render what this frame drew so far first.
    BringBackBufferUpToDate();
    // A sprite of the same size is read into in place (repeated captures
    // then cost no large allocation); otherwise a new one replaces it.
    SdlSprite* existing = FindSprite(sprite);
    const bool reuse = existing && existing->Pixels->w == width && existing->Pixels->h == height;
    SDL_Surface* s = reuse ? existing->Pixels : NewSurface(width, height);
    if (!s) return false;
    SDL_Rect rect{x, y, width, height};
    if (SDL_RenderReadPixels(Sdl.Screen.Renderer, &rect, SDL_PIXELFORMAT_ARGB8888, s->pixels, s->pitch) != 0) {
        if (reuse) DeleteSprite(sprite);
        else SDL_FreeSurface(s);
        return false;
    }
    KeyOnBlack(s);
    if (reuse) {
        existing->Flags = 0;
        existing->TextureStale = true;
        existing->Identity = NewPixelsIdentity();
    } else {
        StoreSprite(sprite, s, 0);
    }
    return true;
}

SaveResult SaveSpriteAsPng(int sprite, const std::string& path, bool exclusive) {
    SdlSprite* s = FindSprite(sprite);
    if (!s) return SaveFailed;
    const int w = s->Pixels->w, h = s->Pixels->h;
    std::vector<uint8_t> rgb(size_t(w) * h * 3);
    SDL_LockSurface(s->Pixels);
    for (int y = 0; y < h; ++y) {
        auto* row = reinterpret_cast<const uint32_t*>(static_cast<const uint8_t*>(s->Pixels->pixels) +
                                                      y * s->Pixels->pitch);
        uint8_t* out = rgb.data() + size_t(y) * w * 3;
        for (int x = 0; x < w; ++x) {
            *out++ = uint8_t(row[x] >> 16);
            *out++ = uint8_t(row[x] >> 8);
            *out++ = uint8_t(row[x]);
        }
    }
    SDL_UnlockSurface(s->Pixels);
    return WriteRgbPng(NativePath(path), w, h, rgb.data(), size_t(w) * 3, exclusive);
}

bool PathTaken(const std::string& path) {
    struct stat st {};
    return lstat(NativePath(path).c_str(), &st) == 0;
}

void DeleteSprite(int sprite) {
    auto it = Sdl.Graphics.Sprites.find(sprite);
    if (it == Sdl.Graphics.Sprites.end()) return;
    BeforePixelsChange();
    FreeSprite(it->second);
    Sdl.Graphics.Sprites.erase(it);
    if (Sdl.Graphics.TextTarget == sprite) Sdl.Graphics.TextTarget = -2;
}

// [SECTION] Text

namespace {

TTF_Font* SelectedFont() {
    auto it = Sdl.Graphics.Fonts.find(Sdl.Graphics.SelectedFont);
    return it == Sdl.Graphics.Fonts.end() ? nullptr : it->second.Font;
}

}  // namespace

bool BeginTextOn(int target) {
    Sdl.Graphics.TextTarget = -2;
    if (target == TextOnScreen) {
        if (!DrawingOnBackBuffer()) return false;
    } else if (!FindSprite(target)) {
        return false;
    }
    Sdl.Graphics.TextTarget = target;
    return true;
}

void SetTextTransparent() { Sdl.Graphics.TextTransparent = true; }

void UseFont(int font) { Sdl.Graphics.SelectedFont = font; }

int MeasureTextWidth(const std::string& utf8) {
    TTF_Font* font = SelectedFont();
    int w = 0, h = 0;
    if (!font || utf8.empty() || TTF_SizeUTF8(font, utf8.c_str(), &w, &h) != 0) return 0;
    return w;
}

int MeasureTextHeight(const std::string& utf8) {
    TTF_Font* font = SelectedFont();
    if (!font) return 0;
    // An empty text still has the height of a line, as the extent of any text does.
    int w = 0, h = 0;
    if (utf8.empty() || TTF_SizeUTF8(font, utf8.c_str(), &w, &h) != 0) return TTF_FontHeight(font);
    return h;
}

// On the screen the text is recorded and rendered at the present, or at once
// when the frame already draws through (frame_record.h); into a sprite it is
// drawn at once.
void DrawTextAt(int x, int y, const std::string& utf8, Color c) {
    TTF_Font* font = SelectedFont();
    const int target = Sdl.Graphics.TextTarget;
    if (!font || utf8.empty() || target == -2) return;
    if (target == TextOnScreen) {
        if (Sdl.Screen.BackBuffer)
            RecordText(Sdl.Graphics.SelectedFont, Sdl.Graphics.Fonts[Sdl.Graphics.SelectedFont].Identity, x, y,
                       utf8, c);
        return;
    }
    SdlSprite* sprite = FindSprite(target);
    if (!sprite) return;
    SDL_Surface* text = TTF_RenderUTF8_Blended(font, utf8.c_str(), SDL_Color{c.r, c.g, c.b, 255});
    if (!text) return;
    BeforePixelsChange();
    // Blended over the sprite's pixels: on a black label the edges become
    // grey, which the re-keying at EndText then makes opaque.
    SDL_SetSurfaceBlendMode(text, SDL_BLENDMODE_BLEND);
    SDL_Rect dst{x, y, text->w, text->h};
    SDL_BlitSurface(text, nullptr, sprite->Pixels, &dst);
    sprite->TextureStale = true;
    sprite->Identity = NewPixelsIdentity();
    SDL_FreeSurface(text);
}

void RenderTextNow(int fontNumber, int x, int y, const std::string& utf8, Color c) {
    auto it = Sdl.Graphics.Fonts.find(fontNumber);
    if (it == Sdl.Graphics.Fonts.end() || !it->second.Font) return;
    SDL_Surface* text = TTF_RenderUTF8_Blended(it->second.Font, utf8.c_str(), SDL_Color{c.r, c.g, c.b, 255});
    if (!text) return;
    SDL_Texture* t = SDL_CreateTextureFromSurface(Sdl.Screen.Renderer, text);
    if (t) {
        SDL_SetTextureBlendMode(t, SDL_BLENDMODE_BLEND);
        SDL_Rect dst{x, y, text->w, text->h};
        SDL_RenderCopy(Sdl.Screen.Renderer, t, nullptr, &dst);
        SDL_DestroyTexture(t);
    }
    SDL_FreeSurface(text);
}

void EndText() {
    const int target = Sdl.Graphics.TextTarget;
    Sdl.Graphics.TextTarget = -2;
    if (target == TextOnScreen || target == -2) return;
    if (SdlSprite* sprite = FindSprite(target)) {
        BeforePixelsChange();
        KeyOnBlack(sprite->Pixels);
        sprite->TextureStale = true;
        sprite->Identity = NewPixelsIdentity();
    }
}

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

float ReportedDpiOverride = 0;   // test seam: what the display reports, 0 = ask SDL

// The density the display reports, for the platform tests: text does not
// depend on it.
int DisplayDpi() {
    if (ReportedDpiOverride > 0) return int(std::lround(ReportedDpiOverride));
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
    Sdl.Graphics.Fonts[font] = SdlFont{opened, file, FamilyOf(opened)};
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

// [SECTION] Freeing everything

void FreeAllGraphics() {
    for (auto& [number, sprite] : Sdl.Graphics.Sprites) {
        (void)number;
        FreeSprite(sprite);
    }
    for (auto& [number, font] : Sdl.Graphics.Fonts) {
        (void)number;
        if (font.Font) TTF_CloseFont(font.Font);
    }
    Sdl.Graphics = SdlGraphics{};
}

// [SECTION] Views for the platform tests

bool SpritePixelsForTests(int sprite, RgbaImage& out) {
    SdlSprite* s = FindSprite(sprite);
    if (!s) return false;
    out.width = s->Pixels->w;
    out.height = s->Pixels->h;
    out.pixels.resize(size_t(out.width) * out.height * 4);
    uint8_t* o = out.pixels.data();
    for (int y = 0; y < out.height; ++y) {
        auto* row = reinterpret_cast<const uint32_t*>(static_cast<const uint8_t*>(s->Pixels->pixels) +
                                                      y * s->Pixels->pitch);
        for (int x = 0; x < out.width; ++x) {
            *o++ = uint8_t(row[x] >> 16);
            *o++ = uint8_t(row[x] >> 8);
            *o++ = uint8_t(row[x]);
            *o++ = uint8_t(row[x] >> 24);
        }
    }
    return true;
}

std::string FontFileForTests(int font) {
    auto it = Sdl.Graphics.Fonts.find(font);
    return it == Sdl.Graphics.Fonts.end() ? "" : it->second.File;
}

std::string FontFamilyForTests(int font) {
    auto it = Sdl.Graphics.Fonts.find(font);
    return it == Sdl.Graphics.Fonts.end() ? "" : it->second.Family;
}

void ReportDisplayDpiForTests(float dpi) { ReportedDpiOverride = dpi; }

int DisplayDpiForTests() { return DisplayDpi(); }
