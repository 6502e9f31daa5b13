// graphics_test.cpp — sprites keyed on black, blended drawing, capture and
// PNG saving, text on the screen and into sprites, font lookup, and sizes
// the renderer cannot make.
#include "platform_fixture.h"
#include "menu/menu.h"

#include <array>
#include <filesystem>
#include <tuple>
#include <utility>

namespace {

constexpr Color Black{0, 0, 0};
constexpr Color White{255, 255, 255};
constexpr Color Orange{200, 100, 50};

// A 4 x 2 sprite: white, black, near-black, orange / orange, white, black, white.
RgbaImage KeyingImage() {
    RgbaImage img = SolidImage(4, 2, White);
    SetPixel(img, 1, 0, Black);
    SetPixel(img, 2, 0, Color{1, 0, 0});
    SetPixel(img, 3, 0, Orange);
    SetPixel(img, 0, 1, Orange);
    SetPixel(img, 2, 1, Black);
    return img;
}

}  // namespace

// [SECTION] Keying on black

TEST_F(PlatformTest, DecodedSpriteIsKeyedOnExactBlackOnly) {
    ASSERT_TRUE(LoadPicture(5, KeyingImage()));
    RgbaImage px;
    ASSERT_TRUE(SpritePixelsForTests(5, px));
    ASSERT_EQ(px.width, 4);
    ASSERT_EQ(px.height, 2);
    // Exact black is see-through; near-black (2, 0) is still a colour.
    for (auto [x, y, alpha] : {std::tuple{0, 0, 255}, {1, 0, 0}, {2, 0, 255}, {3, 0, 255}, {2, 1, 0}})
        EXPECT_EQ(PixelOf(px, x, y).a, alpha) << x << "," << y;
    EXPECT_TRUE(ShowsColour(px, 3, 0, Orange));
}

TEST_F(PlatformTest, DamagedPngAndMissingObjectsDoNothing) {
    auto png = PngBytes(KeyingImage());
    png.resize(png.size() / 2);
    EXPECT_FALSE(LoadSpriteFromMemory(6, png.data(), png.size(), SpriteBlendable));
    EXPECT_FALSE(MakeBlendable(6, 6)) << "no sprite 6";
    png = PngBytes(KeyingImage());
    ASSERT_TRUE(LoadSpriteFromMemory(7, png.data(), png.size(), 0));
    EXPECT_FALSE(MakeBlendable(7, 7)) << "sprite made without the blending flag";
    ClearFrame(Color{9, 9, 9});
    DrawBlended(6, 0, 0, 255);
    DrawBlended(12345, 0, 0, 255);
    EXPECT_TRUE(ShowsColour(Screen(), 0, 0, Color{9, 9, 9}));
    EXPECT_EQ(SaveSpriteAsPng(999, "nothing.png", false), SaveFailed);
    DeleteSprite(999);   // no such sprite: nothing happens
}

// [SECTION] Blending

TEST_F(PlatformTest, BlendingIsSourceOverWithAlphaTimesSpriteAlpha) {
    ASSERT_TRUE(LoadPicture(10, KeyingImage(), 3));
    const Color ground{20, 40, 60};
    ASSERT_TRUE(BeginBlending());
    ClearFrame(ground);
    DrawBlended(3, 10, 10, 0);
    DrawBlended(3, 20, 10, 140);
    DrawBlended(3, 30, 10, 255);
    EndBlending();
    const RgbaImage f = Screen();
    // Alpha 0: nothing shows.
    for (int x = 10; x < 14; ++x) EXPECT_TRUE(ShowsColour(f, x, 10, ground));
    // Alpha 140: result = source * a + destination * (1 - a).
    auto mix = [](int s, int d) { return int(s * 140 / 255.0 + d * (1 - 140 / 255.0) + 0.5); };
    EXPECT_TRUE(NearColour(PixelOf(f, 20, 10), mix(255, 20), mix(255, 40), mix(255, 60)));
    EXPECT_TRUE(NearColour(PixelOf(f, 23, 10), mix(200, 20), mix(100, 40), mix(50, 60)));
    EXPECT_TRUE(ShowsColour(f, 21, 10, ground)) << "black never shows";
    // Alpha 255: opaque pixels replace the destination, black still never
    // shows; unscaled, the column after the sprite (34) is untouched.
    for (auto [x, y, c] : {std::tuple{30, 10, White}, {32, 10, Color{1, 0, 0}}, {33, 10, Orange}, {31, 10, ground},
                           {32, 11, ground}, {34, 10, ground}})
        EXPECT_TRUE(ShowsColour(f, x, y, c));
}

TEST_F(PlatformTest, WhiteOverBlackAtIdleAlphaReadsExactly140) {
    ASSERT_TRUE(LoadPicture(11, SolidImage(8, 8, White), 4));
    ClearFrame(Black);
    DrawBlended(4, 0, 0, 140);
    EXPECT_TRUE(ShowsColour(Screen(), 4, 4, Color{140, 140, 140}));
}

TEST_F(PlatformTest, ReloadingASpriteNumberShowsTheNewPixelsThroughTheSameBlendable) {
    ASSERT_TRUE(LoadPicture(12, SolidImage(4, 4, Color{255, 0, 0}), 5));
    ClearFrame(Black);
    DrawBlended(5, 0, 0, 255);
    ASSERT_TRUE(LoadPicture(12, SolidImage(4, 4, Color{0, 255, 0}), 5));
    DrawBlended(5, 10, 0, 255);
    const RgbaImage f = Screen();
    EXPECT_TRUE(ShowsColour(f, 1, 1, Color{255, 0, 0}));
    EXPECT_TRUE(ShowsColour(f, 11, 1, Color{0, 255, 0}));
}

// [SECTION] Capture and PNG files

TEST_F(PlatformTest, PngRoundTripThroughCaptureAndSave) {
    TempDir dir;
    RgbaImage img = SolidImage(16, 8, Color{10, 200, 30});
    for (int x = 0; x < 16; ++x) SetPixel(img, x, 3, Color{uint8_t(x * 15), uint8_t(255 - x), 77});
    ASSERT_TRUE(LoadPicture(20, img, 20));
    ClearFrame(Color{0, 0, 255});
    DrawBlended(20, 0, 0, 255);
    ASSERT_TRUE(CaptureFrame(0, 0, 0, ScreenW, ScreenH));
    const std::string path = (dir.Path / "Screenshot_1.png").string();
    ASSERT_EQ(SaveSpriteAsPng(0, path, true), SaveOk);

    RgbaImage back;
    ASSERT_TRUE(DecodePngFile(path, back));
    ASSERT_EQ(back.width, ScreenW) << "a screenshot has the screen's size";
    ASSERT_EQ(back.height, ScreenH);
    for (int x = 0; x < 16; ++x)
        EXPECT_TRUE(ShowsColour(back, x, 3, Color{uint8_t(x * 15), uint8_t(255 - x), 77}));
    EXPECT_TRUE(ShowsColour(back, 100, 100, Color{0, 0, 255}));
    PngHeader header;
    const auto bytes = ReadBytes(path);
    ASSERT_TRUE(ReadPngHeader(bytes.data(), bytes.size(), header));
    EXPECT_EQ(header.colorType, 2);
    EXPECT_EQ(header.bitDepth, 8);

    // Exclusive saving refuses an existing file and leaves it alone.
    ClearFrame(Color{255, 0, 0});
    ASSERT_TRUE(CaptureFrame(0, 0, 0, ScreenW, ScreenH));
    EXPECT_EQ(SaveSpriteAsPng(0, path, true), SaveExists);
    EXPECT_EQ(ReadBytes(path), bytes);
    // Otherwise the file is replaced.
    EXPECT_EQ(SaveSpriteAsPng(0, path, false), SaveOk);
    ASSERT_TRUE(DecodePngFile(path, back));
    EXPECT_TRUE(ShowsColour(back, 5, 5, Color{255, 0, 0}));
    DeleteSprite(0);
    EXPECT_EQ(SaveSpriteAsPng(0, path, false), SaveFailed) << "sprite 0 was deleted";
}

TEST_F(PlatformTest, CaptureOfAPartAndOutsideTheScreen) {
    ClearFrame(Color{1, 2, 3});
    EXPECT_TRUE(CaptureFrame(0, 300, 200, 20, 40));
    RgbaImage part;
    ASSERT_TRUE(SpritePixelsForTests(0, part));
    EXPECT_EQ(part.width, 20);
    EXPECT_EQ(part.height, 40);
    EXPECT_FALSE(CaptureFrame(1, 301, 200, 20, 40)) << "reaches past the right edge";
    EXPECT_FALSE(CaptureFrame(1, -1, 0, 10, 10));
    EXPECT_FALSE(CaptureFrame(1, 0, 0, 0, 10));
    EXPECT_FALSE(SpritePixelsForTests(1, part)) << "a failed capture creates no sprite";
}

TEST_F(PlatformTest, SavingIntoAMissingFolderFailsAndBackslashesAreFolders) {
    TempDir dir;
    ClearFrame(Color{1, 2, 3});
    ASSERT_TRUE(CaptureFrame(0, 0, 0, 8, 8));
    EXPECT_EQ(SaveSpriteAsPng(0, (dir.Path / "no-such-folder" / "x.png").string(), false), SaveFailed);
    std::filesystem::create_directories(dir.Path / "Shots");
    EXPECT_EQ(SaveSpriteAsPng(0, dir.Path.string() + "\\Shots\\x.png", false), SaveOk);
    EXPECT_TRUE(std::filesystem::exists(dir.Path / "Shots" / "x.png"));
}

// [SECTION] Sizes the renderer cannot make

TEST_F(PlatformTest, ImpossibleScreenSizesFailCleanly) {
    CloseGameScreen();
    ASSERT_TRUE(OpenGameWindow(0, 0, 0, 200, 100, "Veldrune", WindowFramed));
    for (auto [w, h] : {std::pair{0, 600}, {800, 0}, {-800, 600}, {100000, 600}, {800, 2000000000}}) {
        EXPECT_FALSE(OpenScreenInWindow(0, 0, 0, w, h, true, 0, 0, true)) << w << " x " << h;
        EXPECT_FALSE(ScreenIsActive());
        ClearFrame(Color{1, 1, 1});
        DrawBlended(0, 0, 0, 255);
        EXPECT_FALSE(BeginBlending());
        EXPECT_FALSE(BeginTextOn(TextOnScreen));
        EXPECT_FALSE(CaptureFrame(0, 0, 0, 10, 10));
        PresentFrame();
        EXPECT_FALSE(OpenGameScreen(w, h, OfferedDepth, "Veldrune", true, OfferedRefresh)) << w << " x " << h;
    }
    EXPECT_FALSE(OpenGameWindow(1, 0, 0, 0, 0, "Veldrune", WindowFramed));
    EXPECT_FALSE(OpenGameWindow(1, 0, 0, -5, 100000, "Veldrune", WindowBorderlessMaximised));
    EXPECT_FALSE(CreateBlankSprite(1, 0, 10, SpriteBlendable));
    EXPECT_FALSE(CreateBlankSprite(1, -3, 10, SpriteBlendable));
    EXPECT_FALSE(CreateBlankSprite(1, 100000, 100000, SpriteBlendable));
    EXPECT_FALSE(MakeBlendable(1, 1));
    // A screen that can be made still can after all that.
    EXPECT_TRUE(OpenScreenInWindow(0, 0, 0, 200, 100, false, 0, 0, true));
    EXPECT_TRUE(CaptureFrame(0, 0, 0, 200, 100));
}

TEST_F(PlatformTest, SpritesOutliveAClosedScreen) {
    ASSERT_TRUE(LoadPicture(30, SolidImage(4, 4, Color{0, 0, 250}), 30));
    ClearFrame(Black);
    DrawBlended(30, 0, 0, 255);   // uploaded for the first renderer
    CloseGameScreen();
    DrawBlended(30, 0, 0, 255);   // no screen: nothing happens
    ASSERT_TRUE(OpenScreenInWindow(0, 0, 0, ScreenW, ScreenH, false, 0, 0, true));
    ClearFrame(Black);
    DrawBlended(30, 2, 2, 255);   // uploaded again for the new one
    EXPECT_TRUE(ShowsColour(Screen(), 3, 3, Color{0, 0, 250}));
}

// [SECTION] Text

TEST_F(PlatformTest, TextIsMeasuredAndDrawnInsideItsExtent) {
    ASSERT_TRUE(LoadFontFace(0, "DejaVu Sans", 11, 0));
    ASSERT_TRUE(LoadFontFace(1, "DejaVu Sans", 11, FontStyleBold));
    UseFont(0);
    const int w = MeasureTextWidth("Neues Spiel"), h = MeasureTextHeight("Neues Spiel");
    // 11 points at 96 dpi are about 15 pixels of character height.
    EXPECT_NEAR(w, 89, 12);
    EXPECT_NEAR(h, 18, 3);
    EXPECT_GT(MeasureTextWidth("Neues Spiel Neues Spiel"), w);
    EXPECT_EQ(MeasureTextWidth(""), 0);
    UseFont(1);
    EXPECT_GT(MeasureTextWidth("Neues Spiel"), w) << "bold is wider";
    UseFont(7);
    EXPECT_EQ(MeasureTextWidth("Neues Spiel"), 0) << "no font 7";

    ClearFrame(Black);
    ASSERT_TRUE(DrawWords(TextOnScreen, 40, 30, "Neues Spiel", Color{250, 250, 250}));
    int inside = 0, outside = 0, brightest = 0;
    CountPixels(Screen(), 0, 0, ScreenW, ScreenH, [&](Rgba p, int x, int y) {
        if (p.r == 0 && p.g == 0 && p.b == 0) return false;
        (x >= 40 && x < 40 + w && y >= 30 && y < 30 + h ? inside : outside) += 1;
        brightest = std::max(brightest, p.r);
        return true;
    });
    EXPECT_GT(inside, 50) << "the letters show";
    EXPECT_EQ(outside, 0) << "nothing is painted outside the text's extent (transparent text)";
    EXPECT_GE(brightest, 245);
}

TEST_F(PlatformTest, TextIntoASpriteEndsUpInItsPixelsAndIsKeyed) {
    ASSERT_TRUE(LoadFontFace(0, "DejaVu Sans", 11, 0));
    ASSERT_TRUE(CreateBlankSprite(801, 150, 25, SpriteBlendable));
    UseFont(0);
    const int w = MeasureTextWidth("Optionen"), h = MeasureTextHeight("Optionen");
    ASSERT_TRUE(DrawWords(801, 75 - w / 2, 12 - h / 2, "Optionen", White));
    RgbaImage px;
    ASSERT_TRUE(SpritePixelsForTests(801, px));
    int white = 0, grey = 0;
    const int seeThrough = CountPixels(px, 0, 0, px.width, px.height, [&](Rgba p, int x, int y) {
        const bool black = p.r == 0 && p.g == 0 && p.b == 0;
        EXPECT_EQ(p.a, black ? 0 : 255) << x << "," << y << ": black is see-through, ink opaque";
        if (!black) (p.r == 255 ? white : grey) += 1;
        return black;
    });
    EXPECT_GT(white, 20);
    EXPECT_GT(grey, 5) << "anti-aliased edges stay, opaque";
    EXPECT_GT(seeThrough, 150 * 25 / 2);

    // Drawn as a label: the ink shows, the background does not.
    ASSERT_TRUE(MakeBlendable(901, 801));
    ClearFrame(Color{0, 0, 90});
    DrawBlended(901, 0, 0, 255);
    const RgbaImage f = Screen();
    EXPECT_TRUE(ShowsColour(f, 0, 0, Color{0, 0, 90}));
    EXPECT_EQ(CountPixels(f, 0, 0, 150, 25, [](Rgba p, int, int) { return p.r == 255; }), white);
}

// [SECTION] Fonts

// Every page is laid out in fixed pixels for text at 96 dpi. A laptop panel
// reports about 157 (its physical density); a label loaded while the display
// says so must still measure what its face measures at 96 dpi.
TEST_F(PlatformTest, LabelsKeepTheirSizeAt96DpiWhateverDensityTheDisplayReports) {
    ReportDisplayDpiForTests(157);
    ASSERT_EQ(DisplayDpiForTests(), 157) << "the display must report the laptop's density";
    const bool loaded = LoadFontFace(0, "DejaVu Sans", 15, 0);
    ReportDisplayDpiForTests(0);
    ASSERT_TRUE(loaded);
    const std::string text = "Taste w\xC3\xA4hlen";
    UseFont(0);
    const std::pair<int, int> measured{MeasureTextWidth(text), MeasureTextHeight(text)};
    // The same file straight from the font library, at a density given outright.
    auto sizeAt = [&](int dpi) {
        std::pair<int, int> size{-1, -1};
        TTF_Font* font = TTF_OpenFontDPI(FontFileForTests(0).c_str(), 15, dpi, dpi);
        if (font && TTF_SizeUTF8(font, text.c_str(), &size.first, &size.second) != 0) size = {-1, -1};
        if (font) TTF_CloseFont(font);
        return size;
    };
    const std::pair<int, int> at96 = sizeAt(96), at157 = sizeAt(157);
    ASSERT_GT(at96.first, 0);
    ASSERT_GT(at157.second, at96.second) << "the densities give different sizes";
    EXPECT_EQ(measured, at96) << "width, height";
    EXPECT_LE(measured.first, 150) << "the label fits its box";
    EXPECT_LE(measured.second, 25);
}

TEST_F(PlatformTest, DefaultFaceNameGetsAReadableFreeFace) {
    ASSERT_TRUE(LoadFontFace(0, "Papyrus", 11, 0));
    const std::string family = FontFamilyForTests(0);
    EXPECT_TRUE(family == "Linux Biolinum O" || family == "DejaVu Serif") << family;
    ASSERT_TRUE(LoadFontFace(1, "Papyrus", 11, FontStyleBold));
    EXPECT_NE(FontFileForTests(1), FontFileForTests(0)) << "bold comes from the bold cut";
}

TEST_F(PlatformTest, RegisteredFileIsUsedForItsFaceUntilWithdrawn) {
    TempDir dir;
    // Any file of a face fontconfig also knows will do: we look at which file was opened.
    ASSERT_TRUE(LoadFontFace(2, "DejaVu Serif", 10, 0));
    const std::string system = FontFileForTests(2);
    ASSERT_FALSE(system.empty());
    std::filesystem::create_directories(dir.Path / "Media" / "Fonts");
    std::filesystem::copy_file(system, dir.Path / "Media" / "Fonts" / "Serif.ttf");
    const InFolder here(dir.Path);
    EXPECT_EQ(RegisterFontFile("Media\\Fonts\\Serif.ttf"), 1);
    BroadcastFontChange();
    ASSERT_TRUE(LoadFontFace(0, "dejavu serif", 11, 0)) << "face names match ignoring case";
    EXPECT_EQ(FontFileForTests(0), "Media/Fonts/Serif.ttf");
    EXPECT_TRUE(UnregisterFontFile("Media\\Fonts\\Serif.ttf"));
    EXPECT_FALSE(UnregisterFontFile("Media\\Fonts\\Serif.ttf")) << "withdrawn already";
    ASSERT_TRUE(LoadFontFace(0, "DejaVu Serif", 11, 0));
    EXPECT_EQ(FontFileForTests(0), system);
    EXPECT_EQ(RegisterFontFile("Media\\Fonts\\Missing.ttf"), 0);
}

// [SECTION] Pictures held once

namespace {

// 40 x 30, black but for a 5 x 4 patch at (12, 9) and one pixel at (30, 20):
// the visible box is (12, 9) to (30, 20).
RgbaImage SparsePicture() {
    RgbaImage img = SolidImage(40, 30, Black);
    for (int y = 9; y < 13; ++y)
        for (int x = 12; x < 17; ++x) SetPixel(img, x, y, Orange);
    SetPixel(img, 30, 20, White);
    return img;
}

// The picture drawn at (3, 2) over a blue ground shows exactly its non-black pixels.
void ExpectSparsePictureAt3And2(const RgbaImage& f, const RgbaImage& picture) {
    CountPixels(f, 0, 0, 50, 40, [&](Rgba got, int x, int y) {
        Rgba want{0, 0, 90, 255};
        if (x >= 3 && x < 43 && y >= 2 && y < 32) {
            const Rgba p = PixelOf(picture, x - 3, y - 2);
            if (p.r || p.g || p.b) want = p;
        }
        EXPECT_TRUE(NearColour(got, want.r, want.g, want.b, 0)) << x << "," << y;
        return true;
    });
}

}  // namespace

TEST_F(PlatformTest, APictureIsHeldOnceAsTheTextureOfItsVisibleBoxAndDrawsAsAWhole) {
    const RgbaImage picture = SparsePicture();
    ASSERT_TRUE(LoadPicture(40, picture));
    const SpriteHoldingForTests held = SpriteHoldingOfForTests(40);
    EXPECT_FALSE(held.HoldsPixels) << "no CPU copy beside the texture";
    EXPECT_TRUE(held.HoldsTexture) << "uploaded at once while a renderer exists";
    EXPECT_EQ((std::array{held.HeldX, held.HeldY, held.HeldW, held.HeldH}), (std::array{12, 9, 19, 12})) << "x, y, w, h";

    // The sprite still reads as the whole keyed picture (from its texture).
    RgbaImage px;
    ASSERT_TRUE(SpritePixelsForTests(40, px));
    ASSERT_EQ(px.width, 40);
    ASSERT_EQ(px.height, 30);
    EXPECT_EQ(PixelOf(px, 0, 0).a, 0);
    EXPECT_TRUE(ShowsColour(px, 12, 9, Orange));
    EXPECT_EQ(PixelOf(px, 12, 9).a, 255);
    EXPECT_TRUE(ShowsColour(px, 30, 20, White));
    EXPECT_EQ(PixelOf(px, 29, 20).a, 0);

    ASSERT_TRUE(MakeBlendable(40, 40));
    ClearFrame(Color{0, 0, 90});
    DrawBlended(40, 3, 2, 255);
    ExpectSparsePictureAt3And2(Screen(), picture);

    // A renderer reset takes every texture: the picture comes back from its PNG.
    PushEvent(SDL_RENDER_DEVICE_RESET);
    ASSERT_TRUE(ScreenIsActive());
    EXPECT_FALSE(SpriteHoldingOfForTests(40).HoldsTexture);
    ClearFrame(Color{0, 0, 90});
    DrawBlended(40, 3, 2, 255);
    ExpectSparsePictureAt3And2(Screen(), picture);
    EXPECT_FALSE(SpriteHoldingOfForTests(40).HoldsPixels);

    // Saved, it is the whole picture again.
    TempDir dir;
    const std::string path = (dir.Path / "sprite.png").string();
    ASSERT_EQ(SaveSpriteAsPng(40, path, false), SaveOk);
    RgbaImage back;
    ASSERT_TRUE(DecodePngFile(path, back));
    ASSERT_EQ(back.width, 40);
    EXPECT_TRUE(ShowsColour(back, 30, 20, White));
    EXPECT_TRUE(ShowsColour(back, 31, 20, Black));

    // Text drawn into it lands on the whole picture, not on the box.
    ASSERT_TRUE(LoadFontFace(0, "DejaVu Sans", 11, 0));
    ASSERT_TRUE(DrawWords(40, 0, 0, "W", White, false));
    ASSERT_TRUE(SpritePixelsForTests(40, px));
    EXPECT_TRUE(ShowsColour(px, 16, 12, Orange)) << "the picture stays beside the text";
    EXPECT_TRUE(ShowsColour(px, 30, 20, White));
    EXPECT_GT(CountPixels(px, 0, 0, 12, 9, [](Rgba p, int, int) { return p.a == 255; }), 5)
        << "the text shows outside the old box";
}

TEST_F(PlatformTest, PicturesDecodedAheadEqualPicturesDecodedInOrder) {
    RgbaImage second = SparsePicture();
    SetPixel(second, 0, 29, Color{9, 8, 7});
    const std::vector<std::vector<uint8_t>> pngs = {PngBytes(SparsePicture()), PngBytes(second),
                                                    PngBytes(SolidImage(6, 6, Black)), {1, 2, 3}};
    const uint8_t* data[4] = {pngs[0].data(), pngs[1].data(), pngs[2].data(), pngs[3].data()};
    size_t sizes[4] = {pngs[0].size(), pngs[1].size(), pngs[2].size(), pngs[3].size()};
    DecodeImagesAhead(data, sizes, 4);
    // Taken in another order than announced, and each compared with the same
    // bytes at another address, which were not announced.
    for (int i : {2, 1, 3, 0}) {
        const std::vector<uint8_t> copy = pngs[i];
        const bool ahead = LoadSpriteFromMemory(50 + i, data[i], sizes[i], SpriteBlendable);
        const bool inOrder = LoadSpriteFromMemory(60 + i, copy.data(), copy.size(), SpriteBlendable);
        ASSERT_EQ(ahead, inOrder) << i;
        if (!ahead) continue;
        RgbaImage a, b;
        ASSERT_TRUE(SpritePixelsForTests(50 + i, a));
        ASSERT_TRUE(SpritePixelsForTests(60 + i, b));
        EXPECT_EQ(a.width, b.width);
        EXPECT_EQ(a.pixels, b.pixels) << i;
    }
    EXPECT_FALSE(LoadSpriteFromMemory(53, data[3], sizes[3], SpriteBlendable)) << "no PNG: nothing";
    // A picture with nothing visible holds nothing and draws nothing.
    EXPECT_EQ(SpriteHoldingOfForTests(52).HeldW, 0);
    ASSERT_TRUE(MakeBlendable(52, 52));
    ClearFrame(Color{0, 0, 90});
    DrawBlended(52, 0, 0, 255);
    EXPECT_TRUE(ShowsColour(Screen(), 2, 2, Color{0, 0, 90}));
}
