// platform_fixture.h — what the SDL platform tests share: a started platform
// with a small framed window and screen, PNG bytes made on the fly, and
// reading pixels back from the back buffer.
#pragma once

#include <gtest/gtest.h>

#include <SDL.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "platform/platform.h"
#include "platform/shared/png_file.h"
#include "platform/sdl/sdl_internal.h"
#include "../need_display.h"
#include "../temp_dir.h"

// The X window behind an SDL window (x_window_id.cpp), 0 when there is none.
unsigned long XWindowOf(SDL_Window* w);

inline void SetPixel(RgbaImage& img, int x, int y, Color c) {
    uint8_t* p = &img.pixels[(size_t(y) * img.width + x) * 4];
    p[0] = c.r;
    p[1] = c.g;
    p[2] = c.b;
}

// An RGBA image of one colour, every pixel opaque as the embedded images are.
inline RgbaImage SolidImage(int w, int h, Color c) {
    RgbaImage img{w, h, std::vector<uint8_t>(size_t(w) * h * 4, 255)};
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) SetPixel(img, x, y, c);
    return img;
}

inline std::vector<uint8_t> PngBytes(const RgbaImage& img) {
    TempDir dir;
    const auto path = dir.Path / "image.png";
    EXPECT_TRUE(WriteRgbaPng(path.string(), img)) << "could not write the test image";
    return ReadBytes(path);
}

// Sprite `sprite` loaded from img's PNG bytes as SpriteBlendable, and bound to
// blendable `blendable` when one is given; false when a step fails.
inline bool LoadPicture(int sprite, const RgbaImage& img, int blendable = -1) {
    const auto png = PngBytes(img);
    return LoadSpriteFromMemory(sprite, png.data(), png.size(), SpriteBlendable) &&
           (blendable < 0 || MakeBlendable(blendable, sprite));
}

struct Rgba {
    int r, g, b, a;
};

inline Rgba PixelOf(const RgbaImage& img, int x, int y) {
    const uint8_t* p = &img.pixels[(size_t(y) * img.width + x) * 4];
    return {p[0], p[1], p[2], p[3]};
}

// Within `tolerance` of the expected colour on each channel.
inline ::testing::AssertionResult NearColour(Rgba got, int r, int g, int b, int tolerance = 1) {
    if (std::abs(got.r - r) <= tolerance && std::abs(got.g - g) <= tolerance && std::abs(got.b - b) <= tolerance)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "got (" << got.r << "," << got.g << "," << got.b << "), expected (" << r
                                         << "," << g << "," << b << ") within " << tolerance;
}

// Exactly (or within `tolerance` of) colour c at (x, y).
inline ::testing::AssertionResult ShowsColour(const RgbaImage& img, int x, int y, Color c, int tolerance = 0) {
    return NearColour(PixelOf(img, x, y), c.r, c.g, c.b, tolerance) << " at " << x << "," << y;
}

// How many pixels of img in the box (x, y, w, h) `count` says yes to.
template <class Count>
int CountPixels(const RgbaImage& img, int x0, int y0, int w, int h, Count count) {
    int n = 0;
    for (int y = y0; y < y0 + h; ++y)
        for (int x = x0; x < x0 + w; ++x) n += count(PixelOf(img, x, y), x, y) ? 1 : 0;
    return n;
}

// An event of `type` (SDL_QUIT, SDL_RENDER_DEVICE_RESET, ...), its fields set by `fill`, on SDL's queue.
inline void PushEvent(uint32_t type, const std::function<void(SDL_Event&)>& fill = {}) {
    SDL_Event e{};
    e.type = type;
    if (fill) fill(e);
    ASSERT_EQ(SDL_PushEvent(&e), 1);
}

// A window event of `event` for window w on SDL's queue.
inline void PushWindowEvent(SDL_Window* w, uint8_t event) {
    PushEvent(SDL_WINDOWEVENT, [&](SDL_Event& e) {
        e.window.event = event;
        e.window.windowID = SDL_GetWindowID(w);
    });
}

// Words in font 0 at (x, y) on `target` (a sprite or TextOnScreen), with
// their background left alone when `transparent`; false when the text pass
// could not begin.
inline bool DrawWords(int target, int x, int y, const std::string& words, Color colour, bool transparent = true) {
    if (!BeginTextOn(target)) return false;
    if (transparent) SetTextTransparent();
    UseFont(0);
    DrawTextAt(x, y, words, colour);
    EndText();
    return true;
}

// Where the pointer stands on the screen.
inline std::pair<int, int> Pointer() { return {PointerX(), PointerY()}; }

// The back buffer as drawn so far, through CaptureFrame into a scratch sprite.
inline RgbaImage CaptureScreen(int w, int h, int scratch = 0) {
    RgbaImage out;
    EXPECT_TRUE(CaptureFrame(scratch, 0, 0, w, h));
    EXPECT_TRUE(SpritePixelsForTests(scratch, out));
    return out;
}

// Window 0, framed, of w x h with a screen of its size in it, on a started platform.
inline void OpenFramedScreen(int w, int h) {
    ASSERT_TRUE(OpenGameWindow(0, 0, 0, w, h, "Veldrune", WindowFramed));
    ASSERT_TRUE(OpenScreenInWindow(0, 0, 0, w, h, false, 0, 0, true));
}

// A started platform, stopped at the end; the tests open their own windows.
class StartedPlatform : public ::testing::Test {
protected:
    void SetUp() override {
        NEED_DISPLAY();
        ASSERT_TRUE(StartPlatform());
    }
    void TearDown() override { StopPlatform(); }
};

// Started platform, window 0 framed, a screen of ScreenW x ScreenH in it.
class PlatformTest : public StartedPlatform {
protected:
    static constexpr int ScreenW = 320, ScreenH = 240;
    void SetUp() override {
        StartedPlatform::SetUp();
        if (IsSkipped() || HasFatalFailure()) return;
        ASSERT_TRUE(StartKeyboardInput());
        ASSERT_TRUE(StartMouseInput());
        ASSERT_NO_FATAL_FAILURE(OpenFramedScreen(ScreenW, ScreenH));
    }
    RgbaImage Screen() { return CaptureScreen(ScreenW, ScreenH); }
};
