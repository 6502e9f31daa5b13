// platform_fixture.h — what the SDL platform tests share: a started platform
// with a small framed window and screen, PNG bytes made on the fly, and
// reading pixels back from the back buffer.
#pragma once

#include <gtest/gtest.h>

#include <SDL.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "platform/shared/png_file.h"
#include "platform/sdl/sdl_internal.h"
#include "../need_display.h"
#include "../temp_dir.h"

// The X window behind an SDL window (x_window_id.cpp), 0 when there is none.
unsigned long XWindowOf(SDL_Window* w);


// An RGBA image of one colour, every pixel opaque as the embedded images are.
inline RgbaImage SolidImage(int w, int h, Color c) {
    RgbaImage img;
    img.width = w;
    img.height = h;
    img.pixels.resize(size_t(w) * h * 4);
    for (size_t i = 0; i < img.pixels.size(); i += 4) {
        img.pixels[i] = c.r;
        img.pixels[i + 1] = c.g;
        img.pixels[i + 2] = c.b;
        img.pixels[i + 3] = 255;
    }
    return img;
}

inline void SetPixel(RgbaImage& img, int x, int y, Color c) {
    uint8_t* p = &img.pixels[(size_t(y) * img.width + x) * 4];
    p[0] = c.r;
    p[1] = c.g;
    p[2] = c.b;
}

inline std::vector<uint8_t> PngBytes(const RgbaImage& img) {
    TempDir dir;
    const auto path = dir.Path / "image.png";
    EXPECT_TRUE(WriteRgbaPng(path.string(), img)) << "could not write the test image";
    return ReadBytes(path);
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

// The back buffer as drawn so far, through CaptureFrame into a scratch sprite.
inline RgbaImage CaptureScreen(int w, int h, int scratch = 0) {
    RgbaImage out;
    EXPECT_TRUE(CaptureFrame(scratch, 0, 0, w, h));
    EXPECT_TRUE(SpritePixelsForTests(scratch, out));
    return out;
}

// Started platform, window 0 framed, a screen of ScreenW x ScreenH in it.
class PlatformTest : public ::testing::Test {
protected:
    static constexpr int ScreenW = 320, ScreenH = 240;
    void SetUp() override {
        NEED_DISPLAY();
        ASSERT_TRUE(StartPlatform());
        ASSERT_TRUE(StartKeyboardInput());
        ASSERT_TRUE(StartMouseInput());
        ASSERT_TRUE(OpenGameWindow(0, 0, 0, ScreenW, ScreenH, "Veldrune", WindowFramed));
        ASSERT_TRUE(OpenScreenInWindow(0, 0, 0, ScreenW, ScreenH, false, 0, 0, true));
    }
    void TearDown() override { StopPlatform(); }
};
