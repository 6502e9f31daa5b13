// sdl_graphics.cpp — sprites, blended drawing, frame capture, text, and the
// replay of the frame record, for the SDL platform. Fonts themselves are
// sdl_fonts.cpp's.
//
// A picture decoded from PNG is held once: as the texture the renderer draws
// from, cut to the box of its visible pixels. When a renderer goes (the
// screen closed, a device reset) it is decoded again from its PNG for the
// next one. Sprites that are drawn into (blank sprites for text, captures)
// keep their pixels in an SDL surface, the truth their texture is uploaded
// from when it is first needed.
#include "platform/sdl/sdl_internal.h"
#include "platform/shared/picture_decode.h"

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

// Keys an ARGB surface in place, as decoded pictures are keyed.
void KeyOnBlack(SDL_Surface* s) {
    SDL_LockSurface(s);
    for (int y = 0; y < s->h; ++y) {
        auto* row = reinterpret_cast<uint32_t*>(static_cast<uint8_t*>(s->pixels) + y * s->pitch);
        for (int x = 0; x < s->w; ++x) row[x] = KeyedOnBlack(row[x]);
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
SdlSprite& StoreSprite(int number, SdlSprite sprite) {
    BeforePixelsChange();
    auto it = Sdl.Graphics.Sprites.find(number);
    if (it != Sdl.Graphics.Sprites.end()) FreeSprite(it->second);
    return Sdl.Graphics.Sprites[number] = sprite;
}

// A sprite that holds all of itself in `pixels` (blank sprites, captures).
SdlSprite WholeSprite(SDL_Surface* pixels, int flags) {
    SdlSprite sprite;
    sprite.Width = pixels->w;
    sprite.Height = pixels->h;
    sprite.Held = {0, 0, pixels->w, pixels->h};
    sprite.Pixels = pixels;
    sprite.Flags = flags;
    return sprite;
}

SdlSprite* FindSprite(int number) {
    auto it = Sdl.Graphics.Sprites.find(number);
    return it == Sdl.Graphics.Sprites.end() ? nullptr : &it->second;
}

bool HeldIsEmpty(const SdlSprite& sprite) { return sprite.Held.w <= 0 || sprite.Held.h <= 0; }

// A texture of the held part for the current renderer, from `argb`.
SDL_Texture* UploadHeld(SdlSprite& sprite, const void* argb, int pitch) {
    SDL_Texture* t = SDL_CreateTexture(Sdl.Screen.Renderer, SDL_PIXELFORMAT_ARGB8888, SDL_TEXTUREACCESS_STATIC,
                                       sprite.Held.w, sprite.Held.h);
    if (!t) return nullptr;
    SDL_SetTextureBlendMode(t, SDL_BLENDMODE_BLEND);
    SDL_UpdateTexture(t, nullptr, argb, pitch);
    sprite.Texture = t;
    sprite.TextureGeneration = Sdl.Screen.Generation;
    sprite.TextureStale = false;
    return t;
}

// The sprite's texture for the current renderer: uploaded when the pixels
// changed or the renderer is new. A decoded picture whose pixels went with
// its last texture is decoded again from its PNG.
SDL_Texture* SpriteTexture(SdlSprite& sprite) {
    if (!Sdl.Screen.Renderer || HeldIsEmpty(sprite)) return nullptr;
    if (sprite.Texture && sprite.TextureGeneration != Sdl.Screen.Generation) {
        // Made for a renderer that is gone; its memory went with it.
        sprite.Texture = nullptr;
    }
    if (sprite.Texture && !sprite.TextureStale) return sprite.Texture;
    if (sprite.Pixels) {
        if (sprite.Texture) {
            SDL_UpdateTexture(sprite.Texture, nullptr, sprite.Pixels->pixels, sprite.Pixels->pitch);
            sprite.TextureStale = false;
        } else if (!UploadHeld(sprite, sprite.Pixels->pixels, sprite.Pixels->pitch)) {
            return nullptr;
        }
        if (sprite.Png) {
            // A picture's pixels are held once: by the texture from now on.
            SDL_FreeSurface(sprite.Pixels);
            sprite.Pixels = nullptr;
        }
        return sprite.Texture;
    }
    KeyedPicture picture;
    if (!sprite.Png || !DecodeKeyedPicture(sprite.Png, sprite.PngSize, picture) || picture.CropW != sprite.Held.w ||
        picture.CropH != sprite.Held.h)
        return nullptr;
    return UploadHeld(sprite, picture.Pixels.data(), picture.CropW * 4);
}

// The whole sprite as pixels, from what it holds: its surface, else its
// texture read back, else its PNG decoded again. Outside the held part it
// is see-through black. The caller frees the surface.
SDL_Surface* WholePixels(SdlSprite& sprite) {
    SDL_Surface* whole = NewSurface(sprite.Width, sprite.Height);
    if (!whole) return nullptr;
    SDL_FillRect(whole, nullptr, 0);
    if (HeldIsEmpty(sprite)) return whole;
    SDL_Surface* held = nullptr;
    if (sprite.Pixels) {
        held = sprite.Pixels;
    } else if (SDL_Texture* texture = SpriteTexture(sprite)) {
        // Drawn unblended into a target of its own and read back.
        SDL_Renderer* r = Sdl.Screen.Renderer;
        SDL_Texture* target = SDL_CreateTexture(r, SDL_PIXELFORMAT_ARGB8888, SDL_TEXTUREACCESS_TARGET,
                                                sprite.Held.w, sprite.Held.h);
        SDL_Texture* previous = SDL_GetRenderTarget(r);
        held = NewSurface(sprite.Held.w, sprite.Held.h);
        bool read = false;
        if (target && held && SDL_SetRenderTarget(r, target) == 0) {
            SDL_SetTextureBlendMode(texture, SDL_BLENDMODE_NONE);
            SDL_SetTextureAlphaMod(texture, 255);
            SDL_RenderCopy(r, texture, nullptr, nullptr);
            read = SDL_RenderReadPixels(r, nullptr, SDL_PIXELFORMAT_ARGB8888, held->pixels, held->pitch) == 0;
            SDL_SetTextureBlendMode(texture, SDL_BLENDMODE_BLEND);
        }
        SDL_SetRenderTarget(r, previous);
        if (target) SDL_DestroyTexture(target);
        if (!read && held) {
            SDL_FreeSurface(held);
            held = nullptr;
        }
    } else {
        KeyedPicture picture;
        if (sprite.Png && DecodeKeyedPicture(sprite.Png, sprite.PngSize, picture) && picture.CropW == sprite.Held.w &&
            picture.CropH == sprite.Held.h) {
            held = NewSurface(picture.CropW, picture.CropH);
            if (held)
                for (int y = 0; y < picture.CropH; ++y)
                    std::memcpy(static_cast<uint8_t*>(held->pixels) + y * held->pitch,
                                picture.Pixels.data() + size_t(y) * picture.CropW, size_t(picture.CropW) * 4);
        }
    }
    if (!held) {
        SDL_FreeSurface(whole);
        return nullptr;
    }
    SDL_Rect at = sprite.Held;
    SDL_SetSurfaceBlendMode(held, SDL_BLENDMODE_NONE);
    SDL_BlitSurface(held, nullptr, whole, &at);
    SDL_SetSurfaceBlendMode(held, SDL_BLENDMODE_BLEND);
    if (held != sprite.Pixels) SDL_FreeSurface(held);
    return whole;
}

// Makes the sprite hold all of itself as pixels, to be drawn into: it is
// no longer the picture it was decoded from.
bool HoldWholePixels(SdlSprite& sprite) {
    if (sprite.Pixels && sprite.Held.x == 0 && sprite.Held.y == 0 && sprite.Held.w == sprite.Width &&
        sprite.Held.h == sprite.Height && !sprite.Png)
        return true;
    SDL_Surface* whole = WholePixels(sprite);
    if (!whole) return false;
    if (sprite.Pixels) SDL_FreeSurface(sprite.Pixels);
    if (sprite.Texture) SDL_DestroyTexture(sprite.Texture);
    sprite.Pixels = whole;
    sprite.Texture = nullptr;
    sprite.TextureStale = true;
    sprite.Held = {0, 0, sprite.Width, sprite.Height};
    sprite.Png = nullptr;
    sprite.PngSize = 0;
    sprite.PngCopy.reset();
    return true;
}

}  // namespace

// Draws go to the window itself when the frame is drawn there directly,
// else to the back buffer.
bool SelectFrameTarget() {
    if (!Sdl.Screen.BackBuffer) return false;
    SDL_Texture* want = Sdl.Screen.DrawDirect ? nullptr : Sdl.Screen.BackBuffer;
    if (SDL_GetRenderTarget(Sdl.Screen.Renderer) != want) SDL_SetRenderTarget(Sdl.Screen.Renderer, want);
    return true;
}

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


// [SECTION] Replaying the frame record

namespace {

void RenderOp(const FrameOp& op) {
    switch (op.Kind) {
        case FrameOpClear: RenderClearNow(op.Colour); break;
        case FrameOpSprite: RenderSpriteNow(op.Number, op.X, op.Y, op.Alpha); break;
        case FrameOpText: RenderTextNow(op.Number, op.X, op.Y, op.Words, op.Colour); break;
    }
}

}  // namespace

void RenderFrameOps(const std::vector<FrameOp>& ops) {
    for (const FrameOp& op : ops) RenderOp(op);
}

void RenderFrameOpsInside(const std::vector<FrameOp>& ops, const std::vector<FrameBox>& rects) {
    SDL_Renderer* r = Sdl.Screen.Renderer;
    for (const FrameBox& box : rects) {
        const SDL_Rect clip{box.X, box.Y, box.W, box.H};
        SDL_RenderSetClipRect(r, &clip);
        for (const FrameOp& op : ops) {
            if (!BoxesOverlap(op.Box, box)) continue;
            if (op.Kind == FrameOpClear) {
                // A clear ignores the clip; a fill keeps to it.
                SDL_SetRenderDrawBlendMode(r, SDL_BLENDMODE_NONE);
                SDL_SetRenderDrawColor(r, op.Colour.r, op.Colour.g, op.Colour.b, 255);
                SDL_RenderFillRect(r, &clip);
            } else {
                RenderOp(op);
            }
        }
    }
    SDL_RenderSetClipRect(r, nullptr);
}

void BringBackBufferUpToDate() {
    if (!SelectFrameTarget()) return;
    if (StartDrawingThrough()) RenderFrameOps(Frames.Open);
}

void BeforePixelsChange() {
    if (PixelsChangeNeedsRendering()) BringBackBufferUpToDate();
}

// [SECTION] Sprites and blending

bool LoadSpriteFromMemory(int sprite, const uint8_t* png, size_t pngSize, int flags) {
    if (sprite < 0 || !png) return false;
    KeyedPicture picture;
    bool decoded = false;
    if (!TakePictureDecodedAhead(png, pngSize, decoded, picture)) decoded = DecodeKeyedPicture(png, pngSize, picture);
    if (!decoded || picture.Width > MaxSurfaceSide || picture.Height > MaxSurfaceSide) return false;
    SdlSprite made;
    made.Width = picture.Width;
    made.Height = picture.Height;
    made.Held = {picture.CropX, picture.CropY, picture.CropW, picture.CropH};
    made.Flags = flags;
    made.Png = png;
    made.PngSize = pngSize;
    if (!PictureBytesLiveForTheRun(png, pngSize)) {
        made.PngCopy = std::make_shared<std::vector<uint8_t>>(png, png + pngSize);
        made.Png = made.PngCopy->data();
    }
    SdlSprite& stored = StoreSprite(sprite, made);
    if (HeldIsEmpty(stored)) return true;
    // With a renderer the pixels go straight into the texture and are not
    // kept; without one they wait in a surface for the first draw.
    if (Sdl.Screen.Renderer && UploadHeld(stored, picture.Pixels.data(), picture.CropW * 4)) return true;
    SDL_Surface* s = NewSurface(picture.CropW, picture.CropH);
    if (!s) {
        DeleteSprite(sprite);
        return false;
    }
    for (int y = 0; y < picture.CropH; ++y)
        std::memcpy(static_cast<uint8_t*>(s->pixels) + y * s->pitch, picture.Pixels.data() + size_t(y) * picture.CropW,
                    size_t(picture.CropW) * 4);
    stored.Pixels = s;
    return true;
}

bool CreateBlankSprite(int sprite, int width, int height, int flags) {
    if (sprite < 0) return false;
    SDL_Surface* s = NewSurface(width, height);
    if (!s) return false;
    SDL_FillRect(s, nullptr, 0);   // black, see-through
    StoreSprite(sprite, WholeSprite(s, flags));
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

bool BeginBlending() { return SelectFrameTarget(); }

void EndBlending() {}

// Recorded; rendered at the present, or at once when the frame already draws
// through (frame_record.h).
void DrawBlended(int blendable, int x, int y, int alpha) {
    auto it = Sdl.Graphics.Blendables.find(blendable);
    if (it == Sdl.Graphics.Blendables.end()) return;
    SdlSprite* sprite = FindSprite(it->second);
    if (!sprite || alpha <= 0 || !Sdl.Screen.BackBuffer) return;
    alpha = std::min(alpha, 255);
    const FrameBox box{x + sprite->Held.x, y + sprite->Held.y, sprite->Held.w, sprite->Held.h};
    if (RecordSprite(it->second, sprite->Identity, x, y, alpha, box) && SelectFrameTarget())
        RenderSpriteNow(it->second, x, y, alpha);
}

void RenderSpriteNow(int number, int x, int y, int alpha) {
    SdlSprite* sprite = FindSprite(number);
    if (!sprite) return;
    SDL_Texture* texture = SpriteTexture(*sprite);
    if (!texture) return;
    SDL_SetTextureAlphaMod(texture, uint8_t(alpha));
    // Only the held part: the rest of the sprite is see-through.
    SDL_Rect dst{x + sprite->Held.x, y + sprite->Held.y, sprite->Held.w, sprite->Held.h};
    SDL_RenderCopy(Sdl.Screen.Renderer, texture, nullptr, &dst);
}

void RenderClearNow(Color c) {
    SDL_SetRenderDrawColor(Sdl.Screen.Renderer, c.r, c.g, c.b, 255);
    SDL_RenderClear(Sdl.Screen.Renderer);
}

bool CaptureFrame(int sprite, int x, int y, int width, int height) {
    if (sprite < 0 || !SelectFrameTarget()) return false;
    if (x < 0 || y < 0 || width <= 0 || height <= 0 || x > Sdl.Screen.Width - width ||
        y > Sdl.Screen.Height - height)
        return false;
    // The frame's draws may still be only recorded, or the back buffer may
    // hold an earlier frame: render what this frame drew so far first.
    BringBackBufferUpToDate();
    // A captured sprite of the same size is read into in place (repeated
    // captures then cost no large allocation); otherwise a new one replaces it.
    SdlSprite* existing = FindSprite(sprite);
    const bool reuse = existing && existing->Pixels && !existing->Png && existing->Width == width &&
                       existing->Height == height;
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
        StoreSprite(sprite, WholeSprite(s, 0));
    }
    return true;
}

SaveResult SaveSpriteAsPng(int sprite, const std::string& path, bool exclusive) {
    SdlSprite* s = FindSprite(sprite);
    if (!s) return SaveFailed;
    SDL_Surface* whole = s->Pixels && s->Held.w == s->Width && s->Held.h == s->Height ? s->Pixels : WholePixels(*s);
    if (!whole) return SaveFailed;
    const int w = whole->w, h = whole->h;
    std::vector<uint8_t> rgb(size_t(w) * h * 3);
    SDL_LockSurface(whole);
    for (int y = 0; y < h; ++y) {
        auto* row = reinterpret_cast<const uint32_t*>(static_cast<const uint8_t*>(whole->pixels) + y * whole->pitch);
        uint8_t* out = rgb.data() + size_t(y) * w * 3;
        for (int x = 0; x < w; ++x) {
            *out++ = uint8_t(row[x] >> 16);
            *out++ = uint8_t(row[x] >> 8);
            *out++ = uint8_t(row[x]);
        }
    }
    SDL_UnlockSurface(whole);
    if (whole != s->Pixels) SDL_FreeSurface(whole);
    return WriteRgbPng(NativePath(path), w, h, rgb.data(), size_t(w) * 3, exclusive);
}

void DecodeImagesAhead(const uint8_t* const* pngs, const size_t* sizes, int count) {
    if (Sdl.Started && pngs && sizes) DecodePicturesAhead(pngs, sizes, count);
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
    if (Sdl.Graphics.TextTarget == sprite) Sdl.Graphics.TextTarget = NoTextTarget;
}

// [SECTION] Text

namespace {

TTF_Font* SelectedFont() {
    auto it = Sdl.Graphics.Fonts.find(Sdl.Graphics.SelectedFont);
    return it == Sdl.Graphics.Fonts.end() ? nullptr : it->second.Font;
}

}  // namespace

bool BeginTextOn(int target) {
    Sdl.Graphics.TextTarget = NoTextTarget;
    if (target == TextOnScreen) {
        if (!SelectFrameTarget()) return false;
    } else {
        // Text is drawn into the sprite's pixels, so it holds them all.
        SdlSprite* sprite = FindSprite(target);
        if (!sprite || !HoldWholePixels(*sprite)) return false;
    }
    Sdl.Graphics.TextTarget = target;
    return true;
}

// Text is always drawn without a background box; nothing to set.
void SetTextTransparent() {}

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
    if (!font || utf8.empty() || target == NoTextTarget) return;
    if (target == TextOnScreen) {
        if (!Sdl.Screen.BackBuffer) return;
        // The box is the rendered line's: its extent, with a pixel to spare
        // on every side for glyphs that reach past it.
        const int number = Sdl.Graphics.SelectedFont;
        SdlFont& selected = Sdl.Graphics.Fonts[number];
        auto known = selected.Extents.find(utf8);
        if (known == selected.Extents.end()) {
            int w = 0, h = 0;
            if (TTF_SizeUTF8(font, utf8.c_str(), &w, &h) != 0) return;
            // Texts that change every frame (a counter) must not grow it for ever.
            if (selected.Extents.size() >= 512) selected.Extents.clear();
            known = selected.Extents.emplace(utf8, std::make_pair(w, h)).first;
        }
        const FrameBox box{x - 1, y - 1, known->second.first + 2, known->second.second + 2};
        if (RecordText(number, selected.Identity, x, y, utf8, c, box) && SelectFrameTarget())
            RenderTextNow(number, x, y, utf8, c);
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
    Sdl.Graphics.TextTarget = NoTextTarget;
    if (target == TextOnScreen || target == NoTextTarget) return;
    if (SdlSprite* sprite = FindSprite(target); sprite && sprite->Pixels) {
        BeforePixelsChange();
        KeyOnBlack(sprite->Pixels);
        sprite->TextureStale = true;
        sprite->Identity = NewPixelsIdentity();
    }
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
    SDL_Surface* whole = WholePixels(*s);
    if (!whole) return false;
    out.width = whole->w;
    out.height = whole->h;
    out.pixels.resize(size_t(out.width) * out.height * 4);
    uint8_t* o = out.pixels.data();
    for (int y = 0; y < out.height; ++y) {
        auto* row = reinterpret_cast<const uint32_t*>(static_cast<const uint8_t*>(whole->pixels) + y * whole->pitch);
        for (int x = 0; x < out.width; ++x) {
            *o++ = uint8_t(row[x] >> 16);
            *o++ = uint8_t(row[x] >> 8);
            *o++ = uint8_t(row[x]);
            *o++ = uint8_t(row[x] >> 24);
        }
    }
    SDL_FreeSurface(whole);
    return true;
}

SpriteHoldingForTests SpriteHoldingOfForTests(int sprite) {
    SpriteHoldingForTests h;
    if (SdlSprite* s = FindSprite(sprite)) {
        h.Exists = true;
        h.HoldsPixels = s->Pixels != nullptr;
        h.HoldsTexture = s->Texture != nullptr && s->TextureGeneration == Sdl.Screen.Generation;
        h.HeldX = s->Held.x;
        h.HeldY = s->Held.y;
        h.HeldW = s->Held.w;
        h.HeldH = s->Held.h;
    }
    return h;
}
