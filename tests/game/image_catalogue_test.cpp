// image_catalogue_test.cpp — every embedded image against the catalogue:
// order, names, sprite numbers, encoding, opacity, and where each picture
// must stay see-through black.
#include <gtest/gtest.h>
#include <png.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "assets/assets.h"
#include "assets/menu_words.h"
#include "formats/png_codec.h"

namespace {

// [SECTION] The catalogue

// Each size's logo band, inclusive: where a backdrop may show anything.
struct BandRow {
    int width, height, top, bottom;
};
const BandRow Bands[3] = {{800, 600, 60, 153}, {1024, 768, 79, 196}, {1280, 720, 73, 184}};

// The pages' and labels' names come from the program's picture lists and the labels' words and red letters
// from its words table; what is checked is how the embedding orders, sizes and numbers them.
#define VELDRUNE_NAME_OF(kind, name, variant) #name,
const char* const Pages[BackdropPageCount] = {VELDRUNE_BACKDROP_PAGES(VELDRUNE_NAME_OF, )};
const char* const LabelNames[MenuLabelCount] = {VELDRUNE_MENU_LABELS(VELDRUNE_NAME_OF, )};
#undef VELDRUNE_NAME_OF

enum Kind { KindDivider, KindPointer, KindBackdrop, KindLabel, KindAny };

struct Expected {
    std::string name;
    int width, height;
    Kind kind;
    const BandRow* band = nullptr;     // backdrops
    const LabelWord* word = nullptr;   // labels
};

std::vector<Expected> Catalogue() {
    std::vector<Expected> list;
    for (const BandRow& b : Bands) list.push_back({"Divider" + std::to_string(b.width), b.width, 2, KindDivider});
    list.push_back({"Pointer", 32, 32, KindPointer});
    for (const BandRow& b : Bands)
        for (const char* page : Pages)
            list.push_back({"Backdrop" + (page + std::to_string(b.width)), b.width, b.height, KindBackdrop, &b});
    for (const MenuWords* words : {&GermanWords, &EnglishWords})
        for (int i = 0; i < MenuLabelCount; ++i)
            list.push_back({std::string("Label") + LabelNames[i] + (words == &GermanWords ? "De" : "En"), 150, 25,
                            KindLabel, nullptr, &words->Labels[i]});
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
    bool white(int x, int y, int least = 255) const {
        const uint8_t* p = at(x, y);
        return p[0] >= least && p[1] >= least && p[2] >= least;
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

// Runs check(expected, index, decoded) on every image of a kind, its name in every failure's message.
template <class Check>
void ForEachImage(Kind kind, Check check) {
    const std::vector<Expected> catalogue = Catalogue();
    ASSERT_EQ(catalogue.size(), size_t(EmbeddedImageCount));
    for (int i = 0; i < EmbeddedImageCount; ++i) {
        if (kind != KindAny && catalogue[i].kind != kind) continue;
        SCOPED_TRACE(catalogue[i].name);
        check(catalogue[i], i, Decoded()[i]);
    }
}

// [SECTION] Order, names and numbers

TEST(ImageCatalogue, ImagesComeInDecodingOrderUnderTheirSpriteNumbers) {
    // Dividers, pointer and backdrops from 97, the labels from 140: every
    // image under its own number.
    ForEachImage(KindAny, [](const Expected& want, int i, const RgbaImage&) {
        ASSERT_NE(EmbeddedImages[i].Identifier, nullptr);
        EXPECT_EQ(std::string(EmbeddedImages[i].Identifier), want.name) << "image " << i;
        EXPECT_NE(EmbeddedImages[i].Data, nullptr);
        EXPECT_EQ(EmbeddedImageSprite(i), want.kind == KindLabel ? 103 + i : 97 + i);
    });
}

// [SECTION] Encoding and opacity

TEST(ImageCatalogue, EveryFileIsOpaqueEightBitRgbaNotInterlacedAtItsSize) {
    ForEachImage(KindAny, [](const Expected& want, int i, const RgbaImage& image) {
        PngHeader header;
        ASSERT_TRUE(ReadPngHeader(EmbeddedImages[i].Data, EmbeddedImages[i].Size, header));
        EXPECT_EQ((std::array{header.width, header.height, header.bitDepth, header.colorType, header.interlace}),
                  (std::array{want.width, want.height, 8, PNG_COLOR_TYPE_RGBA, PNG_INTERLACE_NONE}))
            << "width, height, bits, colour type, interlace";
        ASSERT_EQ(image.width, want.width) << "does not decode";
        size_t translucent = 0;
        for (size_t p = 3; p < image.pixels.size(); p += 4) translucent += image.pixels[p] != 255;
        EXPECT_EQ(translucent, 0u) << "has pixels that are not fully opaque";
    });
}

// [SECTION] Backdrops

TEST(ImageCatalogue, BackdropsAreBlackOutsideTheLogoBandWithTitleAndHeadingInside) {
    ForEachImage(KindBackdrop, [](const Expected& want, int, const RgbaImage& image) {
        ASSERT_EQ(image.width, want.width);
        const BandRow& band = *want.band;
        View view{image};
        InkBox ink = Find(image, [&](int x, int y) { return !view.black(x, y); });
        ASSERT_FALSE(ink.empty()) << "all black";
        EXPECT_GE(ink.top, band.top) << "something above the logo band";
        EXPECT_LE(ink.bottom, band.bottom) << "something below the logo band";
        EXPECT_NEAR((ink.left + ink.right) / 2.0, want.width / 2.0, want.width / 50.0) << "logo not centred";

        // The title: white letters, in the upper part of the band.
        InkBox white = Find(image, [&](int x, int y) { return view.white(x, y, 250); });
        ASSERT_FALSE(white.empty()) << "no white title";
        EXPECT_LT(white.bottom, band.top + (band.bottom - band.top) * 3 / 4);
        EXPECT_GT(white.right - white.left, want.width / 6) << "title too small";
        // The heading: grey letters under the title, neither white nor coloured.
        InkBox heading = Find(image, [&](int x, int y) {
            const uint8_t* p = view.at(x, y);
            return y >= white.bottom + 4 && p[0] >= 120 && p[0] <= 200 && p[0] == p[1] && std::abs(p[2] - p[1]) <= 6;
        });
        EXPECT_FALSE(heading.empty()) << "no grey heading under the title";
        // No pure red anywhere: that colour is the labels' hotkey letter.
        EXPECT_TRUE(Find(image, [&](int x, int y) { return view.pureRed(x, y); }).empty());
    });
}

TEST(ImageCatalogue, BackdropsOfOneSizeShareTheLogoAndDifferInTheHeading) {
    for (int b = 0; b < 3; ++b) {
        const int first = ImageBackdropFirst + BackdropPageCount * b;
        const RgbaImage& main = Decoded()[first];
        ASSERT_EQ(main.width, Bands[b].width);
        const size_t rowBytes = size_t(main.width) * 4;
        std::set<std::vector<uint8_t>> headings;
        for (int page = 0; page < BackdropPageCount; ++page) {
            const RgbaImage& image = Decoded()[first + page];
            ASSERT_EQ(image.pixels.size(), main.pixels.size());
            // The upper half of the band (the title) is the same on every page.
            size_t upperEnd = size_t(Bands[b].top + (Bands[b].bottom - Bands[b].top) / 2) * rowBytes;
            EXPECT_TRUE(std::equal(image.pixels.begin(), image.pixels.begin() + long(upperEnd), main.pixels.begin()))
                << EmbeddedImages[first + page].Identifier;
            headings.insert(std::vector<uint8_t>(image.pixels.begin() + long(upperEnd), image.pixels.end()));
        }
        EXPECT_EQ(headings.size(), size_t(BackdropPageCount)) << "two pages of one size show the same heading";
    }
}

// [SECTION] Labels

TEST(ImageCatalogue, LabelsAreCentredWordsOnBlackWithRedExactlyOnTheirHotkeyLetter) {
    ForEachImage(KindLabel, [](const Expected& want, int, const RgbaImage& image) {
        ASSERT_EQ(image.width, 150);
        View view{image};
        for (int x = 0; x < 150; ++x) EXPECT_TRUE(view.black(x, 0) && view.black(x, 24)) << "x " << x;
        for (int y = 0; y < 25; ++y) EXPECT_TRUE(view.black(0, y) && view.black(149, y)) << "y " << y;

        InkBox ink = Find(image, [&](int x, int y) { return !view.black(x, y); });
        ASSERT_FALSE(ink.empty());
        EXPECT_NEAR((ink.left + ink.right) / 2.0, 74.5, 1.5) << "not centred";
        EXPECT_GE(ink.bottom - ink.top, 9) << "letters too small";
        EXPECT_FALSE(Find(image, [&](int x, int y) { return view.white(x, y); }).empty()) << "no white letters";

        InkBox red = Find(image, [&](int x, int y) { return view.pureRed(x, y); });
        InkBox reddish = Find(image, [&](int x, int y) { return view.at(x, y)[0] > view.at(x, y)[1] + 30; });
        if (want.word->Hotkey == 0) {
            EXPECT_TRUE(reddish.empty()) << "red but no hotkey letter";
            return;
        }
        ASSERT_FALSE(red.empty()) << "lacks its red letter";
        // The red letter sits where that letter stands in the word: compare
        // its centre, as a fraction of the word's ink, with the letter's place
        // among the word's letters (one column per letter is close enough).
        const std::string text = want.word->Text;
        size_t letter = text.find(want.word->Hotkey);
        ASSERT_NE(letter, std::string::npos);
        double expected = (letter + 0.5) / double(text.size());
        double measured = ((red.left + red.right) / 2.0 - ink.left) / double(ink.right - ink.left + 1);
        EXPECT_NEAR(measured, expected, 0.6 / text.size() + 0.05) << "red letter in the wrong place";
        EXPECT_LT(red.right - red.left, 2 * (ink.right - ink.left) / int(text.size()) + 2) << "two letters red";
    });
}

// Sizes of the 8-connected blobs of clearly visible ink (the faint
// anti-aliased rim can bridge a dot to its letter).
std::vector<int> BlobSizes(const RgbaImage& image) {
    View view{image};
    std::vector<char> seen(size_t(image.width) * image.height, 0);
    auto take = [&](int x, int y) {   // true the first time a visible pixel is reached
        if (x < 0 || y < 0 || x >= image.width || y >= image.height || seen[size_t(y) * image.width + x]) return false;
        const uint8_t* p = view.at(x, y);
        return std::max({p[0], p[1], p[2]}) >= 96 && (seen[size_t(y) * image.width + x] = 1);
    };
    std::vector<int> sizes;
    for (int y = 0; y < image.height; ++y)
        for (int x = 0; x < image.width; ++x) {
            if (!take(x, y)) continue;
            int size = 0;
            for (std::vector<std::pair<int, int>> stack{{x, y}}; !stack.empty(); ++size) {
                auto [px, py] = stack.back();
                stack.pop_back();
                for (int k = 0; k < 9; ++k)
                    if (take(px + k % 3 - 1, py + k / 3 - 1)) stack.push_back({px + k % 3 - 1, py + k / 3 - 1});
            }
            sizes.push_back(size);
        }
    return sizes;
}

TEST(ImageCatalogue, LabelsShowTheirDotsUmlautsIncluded) {
    // Every umlaut is two small separate dots, every i and j one; a word
    // drawn without its umlauts ("Vorwarts") or with a missing-glyph box
    // instead of one shows a different number.
    ForEachImage(KindLabel, [](const Expected& want, int, const RgbaImage& image) {
        const std::string text = want.word->Text;
        int expected = int(std::count(text.begin(), text.end(), 'i') + std::count(text.begin(), text.end(), 'j'));
        for (const char* umlaut : {"\u00e4", "\u00f6", "\u00fc"})
            for (size_t at = text.find(umlaut); at != std::string::npos; at = text.find(umlaut, at + 1)) expected += 2;
        std::vector<int> sizes = BlobSizes(image);
        std::string all;
        for (int n : sizes) all += std::to_string(n) + " ";
        EXPECT_EQ(int(std::count_if(sizes.begin(), sizes.end(), [](int n) { return n <= 9; })), expected)
            << "\"" << text << "\" blobs " << all;
    });
}

// [SECTION] Dividers and pointer

TEST(ImageCatalogue, DividersAreWhiteInTheMiddleAndFadeEvenlyToBlackAtBothEnds) {
    ForEachImage(KindDivider, [](const Expected& want, int, const RgbaImage& image) {
        const int width = want.width;
        ASSERT_EQ(image.width, width);
        View view{image};
        EXPECT_TRUE(view.black(0, 0) && view.black(0, 1));
        EXPECT_TRUE(view.black(width - 1, 0) && view.black(width - 1, 1));
        for (int x = width / 5; x <= width * 4 / 5; ++x) ASSERT_TRUE(view.white(x, 0)) << "x " << x;
        int previous = -1;
        for (int x = 0; x < width; ++x) {
            const uint8_t* top = view.at(x, 0);
            ASSERT_EQ(std::memcmp(top, view.at(x, 1), 4), 0) << "the two rows differ at " << x;
            ASSERT_TRUE(top[0] == top[1] && top[1] == top[2]) << "not grey at " << x;
            if (x <= width / 2) {
                EXPECT_GE(top[0], previous) << "not rising at " << x;
            } else {
                EXPECT_LE(top[0], previous) << "not falling at " << x;
            }
            // Evenly: a linear ramp never jumps by more than a few levels.
            if (x > 0) {
                EXPECT_LE(std::abs(top[0] - previous), 3) << "x " << x;
            }
            previous = top[0];
        }
        EXPECT_NEAR(view.at(width / 10, 0)[0], 128, 8) << "halfway up the ramp";
    });
}

TEST(ImageCatalogue, PointerIsADropRingWhiteAtItsUpperLeftPointAndRedToTheLowerRight) {
    const RgbaImage& image = Decoded()[ImagePointer];
    ASSERT_EQ(image.width, 32);
    View view{image};
    bool whitePoint = false;
    for (int k = 0; k < 25; ++k) whitePoint = whitePoint || view.white(7 + k % 5, 7 + k / 5, 200);
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
