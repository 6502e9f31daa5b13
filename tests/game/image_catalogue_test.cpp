// image_catalogue_test.cpp — every embedded image against the catalogue:
// order, names, sprite numbers, encoding, opacity, and where each picture
// must stay see-through black.
#include <gtest/gtest.h>
#include <png.h>

#include <algorithm>
#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "assets/assets.h"
#include "assets/menu_words.h"
#include "formats/png_codec.h"

namespace {

// [SECTION] The catalogue, written out independently of the embedding

struct BandRow {
    int width, height, top, bottom;   // the logo band, inclusive
};
const BandRow Bands[3] = {{800, 600, 60, 153}, {1024, 768, 79, 196}, {1280, 720, 73, 184}};

const char* const Pages[11] = {"Main",      "NewGameDe",  "LoadGameDe", "OptionsDe", "CreditsDe", "QuitDe",
                               "NewGameEn", "LoadGameEn", "OptionsEn",  "CreditsEn", "QuitEn"};

// The label pictures' names, in label order; their words and red letters are
// the menu's words (assets/menu_words.h), which the pictures must show.
const char* const LabelNames[MenuLabelCount] = {
    "NewGame", "LoadGame", "Options", "Control",    "Forward", "Backward", "Left",    "Right",   "Duck",
    "Jump",    "Journal",  "Screenshot", "Gameplay", "Language", "German", "English", "Graphic", "Resolution",
    "Res800",  "Res1024",  "Res1280", "Sound",      "Music",   "On",       "Off",     "Credits", "Quit",
};

enum Kind { KindDivider, KindPointer, KindBackdrop, KindLabel };

struct Expected {
    std::string name;
    int width, height;
    Kind kind;
    int band = -1;                 // backdrops: index into Bands
    const char* text = nullptr;    // labels
    char hotkey = 0;
};

std::vector<Expected> Catalogue() {
    std::vector<Expected> list;
    for (int w : {800, 1024, 1280}) list.push_back({"Divider" + std::to_string(w), w, 2, KindDivider});
    list.push_back({"Pointer", 32, 32, KindPointer});
    for (int b = 0; b < 3; ++b)
        for (const char* page : Pages)
            list.push_back({std::string("Backdrop") + page + std::to_string(Bands[b].width), Bands[b].width,
                            Bands[b].height, KindBackdrop, b});
    for (int i = 0; i < MenuLabelCount; ++i) {
        const LabelWord& word = GermanWords.Labels[i];
        list.push_back({std::string("Label") + LabelNames[i] + "De", 150, 25, KindLabel, -1, word.Text, word.Hotkey});
    }
    for (int i = 0; i < MenuLabelCount; ++i) {
        const LabelWord& word = EnglishWords.Labels[i];
        list.push_back({std::string("Label") + LabelNames[i] + "En", 150, 25, KindLabel, -1, word.Text, word.Hotkey});
    }
    return list;
}

// [SECTION] Pixel helpers

struct View {
    const RgbaImage& image;
    const uint8_t* at(int x, int y) const { return &image.pixels[(size_t(y) * image.width + x) * 4]; }
    bool black(int x, int y) const {
        const uint8_t* p = at(x, y);
        return p[0] == 0 && p[1] == 0 && p[2] == 0;
    }
    bool pureRed(int x, int y) const {
        const uint8_t* p = at(x, y);
        return p[0] == 255 && p[1] == 0 && p[2] == 0;
    }
};

struct InkBox {
    int left = 1 << 30, right = -1, top = 1 << 30, bottom = -1;
    bool empty() const { return right < 0; }
};

template <class Test>
InkBox Find(const RgbaImage& image, Test test) {
    InkBox box;
    for (int y = 0; y < image.height; ++y)
        for (int x = 0; x < image.width; ++x)
            if (test(x, y)) {
                box.left = std::min(box.left, x), box.right = std::max(box.right, x);
                box.top = std::min(box.top, y), box.bottom = std::max(box.bottom, y);
            }
    return box;
}

// Decodes every embedded image once for all tests.
const std::vector<RgbaImage>& Decoded() {
    static std::vector<RgbaImage> images = [] {
        std::vector<RgbaImage> out(EmbeddedImageCount);
        for (int i = 0; i < EmbeddedImageCount; ++i) DecodePng(EmbeddedImages[i].Data, EmbeddedImages[i].Size, out[i]);
        return out;
    }();
    return images;
}

// [SECTION] Order, names and numbers

TEST(ImageCatalogue, ImagesComeInDecodingOrderUnderTheirSpriteNumbers) {
    std::vector<Expected> catalogue = Catalogue();
    ASSERT_EQ(catalogue.size(), size_t(EmbeddedImageCount));
    // Dividers, pointer and backdrops from 97, the labels from 140: every
    // image under its own number.
    for (int i = 0; i < EmbeddedImageCount; ++i) {
        ASSERT_NE(EmbeddedImages[i].Identifier, nullptr) << i;
        EXPECT_EQ(std::string(EmbeddedImages[i].Identifier), catalogue[i].name) << "image " << i;
        EXPECT_NE(EmbeddedImages[i].Data, nullptr) << catalogue[i].name;
        EXPECT_EQ(EmbeddedImageSprite(i), catalogue[i].kind == KindLabel ? 103 + i : 97 + i) << catalogue[i].name;
    }
}

// [SECTION] Encoding and opacity

TEST(ImageCatalogue, EveryFileIsOpaqueEightBitRgbaNotInterlacedAtItsSize) {
    std::vector<Expected> catalogue = Catalogue();
    for (int i = 0; i < EmbeddedImageCount; ++i) {
        const Expected& want = catalogue[i];
        PngHeader header;
        ASSERT_TRUE(ReadPngHeader(EmbeddedImages[i].Data, EmbeddedImages[i].Size, header)) << want.name;
        EXPECT_EQ(header.width, want.width) << want.name;
        EXPECT_EQ(header.height, want.height) << want.name;
        EXPECT_EQ(header.bitDepth, 8) << want.name;
        EXPECT_EQ(header.colorType, PNG_COLOR_TYPE_RGBA) << want.name;
        EXPECT_EQ(header.interlace, PNG_INTERLACE_NONE) << want.name;
        const RgbaImage& image = Decoded()[i];
        ASSERT_EQ(image.width, want.width) << want.name << " does not decode";
        size_t translucent = 0;
        for (size_t p = 3; p < image.pixels.size(); p += 4) translucent += image.pixels[p] != 255;
        EXPECT_EQ(translucent, 0u) << want.name << " has pixels that are not fully opaque";
    }
}

// [SECTION] Backdrops

TEST(ImageCatalogue, BackdropsAreBlackOutsideTheLogoBandWithTitleAndHeadingInside) {
    std::vector<Expected> catalogue = Catalogue();
    for (int i = 0; i < EmbeddedImageCount; ++i) {
        const Expected& want = catalogue[i];
        if (want.kind != KindBackdrop) continue;
        const RgbaImage& image = Decoded()[i];
        ASSERT_EQ(image.width, want.width);
        const BandRow& band = Bands[want.band];
        View view{image};
        InkBox ink = Find(image, [&](int x, int y) { return !view.black(x, y); });
        ASSERT_FALSE(ink.empty()) << want.name << " is all black";
        EXPECT_GE(ink.top, band.top) << want.name << ": something above the logo band";
        EXPECT_LE(ink.bottom, band.bottom) << want.name << ": something below the logo band";
        // Centred: the logo's ink is balanced about the middle.
        EXPECT_NEAR((ink.left + ink.right) / 2.0, want.width / 2.0, want.width / 50.0) << want.name;

        // The title: white letters, in the upper part of the band.
        InkBox white = Find(image, [&](int x, int y) {
            const uint8_t* p = view.at(x, y);
            return p[0] >= 250 && p[1] >= 250 && p[2] >= 250;
        });
        ASSERT_FALSE(white.empty()) << want.name << " has no white title";
        EXPECT_LT(white.bottom, band.top + (band.bottom - band.top) * 3 / 4) << want.name;
        EXPECT_GT(white.right - white.left, want.width / 6) << want.name << ": title too small";
        // The heading: grey letters under the title, neither white nor coloured.
        int headingTop = white.bottom + 4;
        InkBox heading = Find(image, [&](int x, int y) {
            const uint8_t* p = view.at(x, y);
            return y >= headingTop && p[0] >= 120 && p[0] <= 200 && p[0] == p[1] && std::abs(p[2] - p[1]) <= 6;
        });
        EXPECT_FALSE(heading.empty()) << want.name << " has no grey heading under the title";
        // No pure red anywhere: that colour is the labels' hotkey letter.
        EXPECT_TRUE(Find(image, [&](int x, int y) { return view.pureRed(x, y); }).empty()) << want.name;
    }
}

TEST(ImageCatalogue, BackdropsOfOneSizeShareTheLogoAndDifferInTheHeading) {
    for (int b = 0; b < 3; ++b) {
        const int first = 4 + 11 * b;
        const RgbaImage& main = Decoded()[first];
        ASSERT_EQ(main.width, Bands[b].width);
        const size_t rowBytes = size_t(main.width) * 4;
        std::set<std::vector<uint8_t>> headings;
        for (int page = 0; page < 11; ++page) {
            const RgbaImage& image = Decoded()[first + page];
            ASSERT_EQ(image.pixels.size(), main.pixels.size());
            // The upper half of the band (the title) is the same on every page.
            size_t upperEnd = size_t(Bands[b].top + (Bands[b].bottom - Bands[b].top) / 2) * rowBytes;
            EXPECT_TRUE(std::equal(image.pixels.begin(), image.pixels.begin() + long(upperEnd), main.pixels.begin()))
                << EmbeddedImages[first + page].Identifier;
            headings.insert(std::vector<uint8_t>(image.pixels.begin() + long(upperEnd), image.pixels.end()));
        }
        EXPECT_EQ(headings.size(), 11u) << "two pages of one size show the same heading";
    }
}

// [SECTION] Labels

TEST(ImageCatalogue, LabelsAreCentredWordsOnBlackWithRedExactlyOnTheirHotkeyLetter) {
    std::vector<Expected> catalogue = Catalogue();
    for (int i = 0; i < EmbeddedImageCount; ++i) {
        const Expected& want = catalogue[i];
        if (want.kind != KindLabel) continue;
        const RgbaImage& image = Decoded()[i];
        ASSERT_EQ(image.width, 150);
        View view{image};
        for (int x = 0; x < 150; ++x) EXPECT_TRUE(view.black(x, 0) && view.black(x, 24)) << want.name << " x " << x;
        for (int y = 0; y < 25; ++y) EXPECT_TRUE(view.black(0, y) && view.black(149, y)) << want.name << " y " << y;

        InkBox ink = Find(image, [&](int x, int y) { return !view.black(x, y); });
        ASSERT_FALSE(ink.empty()) << want.name;
        EXPECT_NEAR((ink.left + ink.right) / 2.0, 74.5, 1.5) << want.name << " is not centred";
        EXPECT_GE(ink.bottom - ink.top, 9) << want.name << ": letters too small";
        // White letters: fully white pixels exist.
        EXPECT_FALSE(Find(image, [&](int x, int y) {
                         const uint8_t* p = view.at(x, y);
                         return p[0] == 255 && p[1] == 255 && p[2] == 255;
                     }).empty())
            << want.name;

        InkBox red = Find(image, [&](int x, int y) { return view.pureRed(x, y); });
        InkBox reddish = Find(image, [&](int x, int y) {
            const uint8_t* p = view.at(x, y);
            return p[0] > p[1] + 30;
        });
        if (want.hotkey == 0) {
            EXPECT_TRUE(reddish.empty()) << want.name << " has red but no hotkey letter";
            continue;
        }
        ASSERT_FALSE(red.empty()) << want.name << " lacks its red letter";
        // The red letter sits where that letter stands in the word: compare
        // its centre, as a fraction of the word's ink, with the letter's place
        // among the word's letters (one column per letter is close enough).
        std::string text = want.text;
        size_t letter = text.find(want.hotkey);
        ASSERT_NE(letter, std::string::npos);
        double expected = (letter + 0.5) / double(text.size());
        double measured = ((red.left + red.right) / 2.0 - ink.left) / double(ink.right - ink.left + 1);
        EXPECT_NEAR(measured, expected, 0.6 / text.size() + 0.05) << want.name << ": red letter in the wrong place";
        // Exactly one letter is red: narrower than two letters.
        EXPECT_LT(red.right - red.left, 2 * (ink.right - ink.left) / int(text.size()) + 2) << want.name;
    }
}

// Sizes of the 8-connected blobs of clearly visible ink (the faint
// anti-aliased rim can bridge a dot to its letter).
std::vector<int> BlobSizes(const RgbaImage& image) {
    View view{image};
    auto faint = [&](int x, int y) {
        const uint8_t* p = view.at(x, y);
        return std::max({p[0], p[1], p[2]}) < 96;
    };
    std::vector<int> seen(size_t(image.width) * image.height, 0), sizes;
    for (int y = 0; y < image.height; ++y)
        for (int x = 0; x < image.width; ++x) {
            if (faint(x, y) || seen[size_t(y) * image.width + x]) continue;
            int size = 0;
            std::vector<std::pair<int, int>> stack{{x, y}};
            seen[size_t(y) * image.width + x] = 1;
            while (!stack.empty()) {
                auto [px, py] = stack.back();
                stack.pop_back();
                ++size;
                for (int dy = -1; dy <= 1; ++dy)
                    for (int dx = -1; dx <= 1; ++dx) {
                        int nx = px + dx, ny = py + dy;
                        if (nx < 0 || ny < 0 || nx >= image.width || ny >= image.height) continue;
                        if (faint(nx, ny) || seen[size_t(ny) * image.width + nx]) continue;
                        seen[size_t(ny) * image.width + nx] = 1;
                        stack.push_back({nx, ny});
                    }
            }
            sizes.push_back(size);
        }
    return sizes;
}

TEST(ImageCatalogue, LabelsShowTheirDotsUmlautsIncluded) {
    // Every umlaut is two small separate dots, every i and j one; a word
    // drawn without its umlauts ("Vorwarts") or with a missing-glyph box
    // instead of one shows a different number.
    std::vector<Expected> catalogue = Catalogue();
    for (int i = 0; i < EmbeddedImageCount; ++i) {
        const Expected& want = catalogue[i];
        if (want.kind != KindLabel) continue;
        int expected = 0;
        const std::string text = want.text;
        for (size_t k = 0; k < text.size(); ++k) {
            if (text[k] == 'i' || text[k] == 'j') expected += 1;
            // ä ö ü in UTF-8: C3 A4, C3 B6, C3 BC
            if (k + 1 < text.size() && uint8_t(text[k]) == 0xC3 &&
                (uint8_t(text[k + 1]) == 0xA4 || uint8_t(text[k + 1]) == 0xB6 || uint8_t(text[k + 1]) == 0xBC))
                expected += 2;
        }
        std::vector<int> sizes = BlobSizes(Decoded()[i]);
        int dots = int(std::count_if(sizes.begin(), sizes.end(), [](int n) { return n <= 9; }));
        std::string all;
        for (int n : sizes) all += std::to_string(n) + " ";
        EXPECT_EQ(dots, expected) << want.name << " (\"" << text << "\") blobs " << all;
    }
}

// [SECTION] Dividers and pointer

TEST(ImageCatalogue, DividersAreWhiteInTheMiddleAndFadeEvenlyToBlackAtBothEnds) {
    for (int d = 0; d < 3; ++d) {
        const RgbaImage& image = Decoded()[d];
        const int width = image.width;
        ASSERT_TRUE(width == 800 || width == 1024 || width == 1280);
        View view{image};
        EXPECT_TRUE(view.black(0, 0) && view.black(0, 1)) << width;
        EXPECT_TRUE(view.black(width - 1, 0) && view.black(width - 1, 1)) << width;
        for (int x = width / 5; x <= width * 4 / 5; ++x) {
            const uint8_t* p = view.at(x, 0);
            ASSERT_TRUE(p[0] == 255 && p[1] == 255 && p[2] == 255) << width << " x " << x;
        }
        int previous = -1;
        for (int x = 0; x < width; ++x) {
            const uint8_t* top = view.at(x, 0);
            const uint8_t* bottom = view.at(x, 1);
            ASSERT_EQ(std::memcmp(top, bottom, 4), 0) << "the two rows differ at " << x;
            ASSERT_TRUE(top[0] == top[1] && top[1] == top[2]) << "not grey at " << x;
            if (x <= width / 2) {
                EXPECT_GE(top[0], previous) << width << ": not rising at " << x;
            } else {
                EXPECT_LE(top[0], previous) << width << ": not falling at " << x;
            }
            // Evenly: a linear ramp never jumps by more than a few levels.
            if (x > 0) {
                EXPECT_LE(std::abs(top[0] - previous), 3) << width << " x " << x;
            }
            previous = top[0];
        }
        EXPECT_NEAR(view.at(width / 10, 0)[0], 128, 8) << width << ": halfway up the ramp";
    }
}

TEST(ImageCatalogue, PointerIsADropRingWhiteAtItsUpperLeftPointAndRedToTheLowerRight) {
    const RgbaImage& image = Decoded()[3];
    ASSERT_EQ(image.width, 32);
    View view{image};
    // Near (9, 9): white-ish.
    bool whitePoint = false;
    for (int y = 7; y <= 11; ++y)
        for (int x = 7; x <= 11; ++x) {
            const uint8_t* p = view.at(x, y);
            whitePoint = whitePoint || (p[0] >= 200 && p[1] >= 200 && p[2] >= 200);
        }
    EXPECT_TRUE(whitePoint) << "no white point near (9, 9)";
    InkBox ink = Find(image, [&](int x, int y) { return !view.black(x, y); });
    ASSERT_FALSE(ink.empty());
    EXPECT_NEAR(ink.left, 9, 2);
    EXPECT_NEAR(ink.top, 9, 2);
    EXPECT_NEAR(ink.right - ink.left + 1, 15, 3) << "about 15 pixels across";
    EXPECT_NEAR(ink.bottom - ink.top + 1, 15, 3);
    // Red along the lower right, and no white there.
    int red = 0, whiteLowerRight = 0;
    for (int y = 16; y < 32; ++y)
        for (int x = 16; x < 32; ++x) {
            const uint8_t* p = view.at(x, y);
            red += p[0] >= 200 && p[1] <= 60 && p[2] <= 60;
            whiteLowerRight += p[0] >= 200 && p[1] >= 200;
        }
    EXPECT_GT(red, 4);
    EXPECT_EQ(whiteLowerRight, 0);
    // A ring: the middle of the drop is see-through.
    int cx = (ink.left + ink.right * 2) / 3, cy = (ink.top + ink.bottom * 2) / 3;
    EXPECT_TRUE(view.black(cx, cy)) << "the drop is filled at " << cx << "," << cy;
    // Thin: no 4 x 4 block of ink.
    for (int y = 0; y + 4 <= 32; ++y)
        for (int x = 0; x + 4 <= 32; ++x) {
            bool solid = true;
            for (int k = 0; k < 16; ++k) solid = solid && !view.black(x + k % 4, y + k / 4);
            EXPECT_FALSE(solid) << "a solid block at " << x << "," << y;
        }
}

}  // namespace
