// png_codec_test.cpp — the PNG codec: round trips, the written encoding,
// exclusive saves, and damaged input.
#include <gtest/gtest.h>

#include <png.h>
#include <sys/resource.h>
#include <unistd.h>
#include <zlib.h>

#include <array>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "../temp_dir.h"
#include "platform/shared/png_file.h"

namespace {

// [SECTION] Helpers

class PngCodecTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_FALSE(Temp.Path.empty()); }
    TempDir Temp{"veldrune-png"};
    const std::string Dir = Temp.Path.string();
};

uint32_t BigEndian(const uint8_t* p) { return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3]; }

// The concatenated IDAT payload of a PNG file (the zlib stream).
std::vector<uint8_t> IdatStream(const std::vector<uint8_t>& file) {
    std::vector<uint8_t> stream;
    size_t at = 8;
    while (at + 12 <= file.size()) {
        uint32_t length = BigEndian(&file[at]);
        std::string type(reinterpret_cast<const char*>(&file[at + 4]), 4);
        if (type == "IDAT") stream.insert(stream.end(), file.begin() + long(at + 8), file.begin() + long(at + 8 + length));
        at += 12 + length;
    }
    return stream;
}

// The filter byte of each of a PNG file's `height` rows of `rowBytes` (with
// the filter byte), none when its image data does not inflate to exactly that.
std::vector<int> RowFilters(const std::vector<uint8_t>& file, size_t rowBytes, int height) {
    const std::vector<uint8_t> stream = IdatStream(file);
    std::vector<uint8_t> raw(rowBytes * height + 16);
    uLongf rawSize = uLongf(raw.size());
    if (uncompress(raw.data(), &rawSize, stream.data(), uLong(stream.size())) != Z_OK || rawSize != rowBytes * height)
        return {};
    std::vector<int> filters;
    for (int y = 0; y < height; ++y) filters.push_back(raw[y * rowBytes]);
    return filters;
}

// The fields of a PNG file's header, or -1s when it has none.
std::array<int, 5> HeaderOf(const std::vector<uint8_t>& file) {
    PngHeader h;
    if (!ReadPngHeader(file.data(), file.size(), h)) return {-1, -1, -1, -1, -1};
    return {h.width, h.height, h.bitDepth, h.colorType, h.interlace};
}

// A colourful RGB test card with gradients, so filters would pay off.
std::vector<uint8_t> TestCard(int width, int height, size_t stride) {
    std::vector<uint8_t> rgb(stride * size_t(height), 0xEE);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            uint8_t* p = &rgb[size_t(y) * stride + size_t(x) * 3];
            p[0] = uint8_t(x * 7 + y), p[1] = uint8_t(y * 5), p[2] = uint8_t((x ^ y) * 3);
        }
    return rgb;
}

// What decoding width x height RGB pixels (rows `stride` apart) must give: the same, opaque.
std::vector<uint8_t> OpaqueRgba(const std::vector<uint8_t>& rgb, int width, int height, size_t stride) {
    std::vector<uint8_t> rgba;
    for (int y = 0; y < height; ++y)
        for (const uint8_t* p = &rgb[size_t(y) * stride]; p < &rgb[size_t(y) * stride] + width * 3; p += 3)
            rgba.insert(rgba.end(), {p[0], p[1], p[2], 255});
    return rgba;
}

// Encodes with libpng directly, for input the program's writer never makes.
std::vector<uint8_t> EncodeWithLibpng(int width, int height, int bitDepth, int colorType, int interlace,
                                      const std::vector<uint8_t>& raw, const png_color* palette = nullptr,
                                      int paletteSize = 0, const png_byte* trns = nullptr, int trnsCount = 0) {
    std::vector<uint8_t> bytes;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    png_set_write_fn(png, &bytes, [](png_structp p, png_bytep data, size_t size) {
        auto* out = static_cast<std::vector<uint8_t>*>(png_get_io_ptr(p));
        out->insert(out->end(), data, data + size);
    }, nullptr);
    png_set_IHDR(png, info, width, height, bitDepth, colorType, interlace, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    if (palette) png_set_PLTE(png, info, palette, paletteSize);
    if (trns) png_set_tRNS(png, info, trns, trnsCount, nullptr);
    png_write_info(png, info);
    size_t rowBytes = raw.size() / size_t(height);
    std::vector<png_bytep> rows(height);
    for (int y = 0; y < height; ++y) rows[y] = const_cast<png_bytep>(raw.data() + size_t(y) * rowBytes);
    png_write_image(png, rows.data());
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    return bytes;
}

// [SECTION] Writing RGB

TEST_F(PngCodecTest, RgbRoundTripHonoursStrideAndDecodesOpaque) {
    const int width = 37, height = 23;
    const size_t stride = width * 3 + 5;   // padded rows, as a captured surface has
    std::vector<uint8_t> rgb = TestCard(width, height, stride);
    std::string path = Dir + "/shot.png";
    ASSERT_EQ(WriteRgbPng(path, width, height, rgb.data(), stride, false), SaveOk);

    RgbaImage image;
    ASSERT_TRUE(DecodePngFile(path, image));
    ASSERT_EQ(image.width, width);
    ASSERT_EQ(image.height, height);
    EXPECT_TRUE(image.pixels == OpaqueRgba(rgb, width, height, stride));
}

TEST_F(PngCodecTest, RgbFileIsPlainRgbWithFilterNoneAndLevelNine) {
    const int width = 64, height = 40;
    std::vector<uint8_t> rgb = TestCard(width, height, width * 3);
    std::string path = Dir + "/shot.png";
    ASSERT_EQ(WriteRgbPng(path, width, height, rgb.data(), width * 3, false), SaveOk);
    std::vector<uint8_t> file = ReadBytes(path);
    EXPECT_EQ(HeaderOf(file), (std::array{width, height, 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE}))
        << "width, height, bits, colour type, interlace";
    std::vector<uint8_t> stream = IdatStream(file);
    ASSERT_GE(stream.size(), 2u);
    // zlib header: deflate, and FLEVEL 3 ("maximum compression") for level 9.
    EXPECT_EQ(stream[0] & 0x0F, 8);
    EXPECT_EQ(stream[1] >> 6, 3);
    EXPECT_EQ(RowFilters(file, 1 + width * 3, height), std::vector<int>(height, PNG_FILTER_VALUE_NONE));
}

TEST_F(PngCodecTest, ExclusiveSaveRefusesAnExistingFileAndLeavesItAlone) {
    std::vector<uint8_t> rgb = TestCard(8, 8, 24);
    std::string path = Dir + "/shot.png";
    std::ofstream(path) << "keep";
    EXPECT_EQ(WriteRgbPng(path, 8, 8, rgb.data(), 24, true), SaveExists);
    EXPECT_EQ(ReadBytes(path), (std::vector<uint8_t>{'k', 'e', 'e', 'p'}));

    // Not exclusive: the file is replaced.
    EXPECT_EQ(WriteRgbPng(path, 8, 8, rgb.data(), 24, false), SaveOk);
    RgbaImage image;
    EXPECT_TRUE(DecodePngFile(path, image));

    // Exclusive on a new name creates it.
    EXPECT_EQ(WriteRgbPng(Dir + "/new.png", 8, 8, rgb.data(), 24, true), SaveOk);
    EXPECT_TRUE(DecodePngFile(Dir + "/new.png", image));
}

TEST_F(PngCodecTest, FailedWritesReportFailureAndLeaveNoFile) {
    std::vector<uint8_t> rgb = TestCard(8, 8, 24);
    // A missing folder; nonsense dimensions, a stride shorter than a row, no pixels.
    EXPECT_EQ(WriteRgbPng(Dir + "/missing/shot.png", 8, 8, rgb.data(), 24, false), SaveFailed);
    EXPECT_EQ(WriteRgbPng(Dir + "/a.png", 0, 8, rgb.data(), 24, false), SaveFailed);
    EXPECT_EQ(WriteRgbPng(Dir + "/b.png", 8, 8, rgb.data(), 23, false), SaveFailed);
    EXPECT_EQ(WriteRgbPng(Dir + "/c.png", 8, 8, nullptr, 24, false), SaveFailed);
    for (const char* name : {"/a.png", "/b.png", "/c.png"}) EXPECT_FALSE(std::filesystem::exists(Dir + name)) << name;
    // The disk fills mid-write (a file-size limit makes writes fail with
    // EFBIG): failure is reported and the partial file is removed.
    const int w = 300, h = 300;
    std::vector<uint8_t> noise(size_t(w) * h * 3);
    uint32_t seed = 12345;
    for (uint8_t& b : noise) b = uint8_t((seed = seed * 1103515245u + 12345u) >> 24);
    rlimit old{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old), 0);
    auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    const rlimit tight{4096, old.rlim_max};
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &tight), 0);
    SaveResult result = WriteRgbPng(Dir + "/full.png", w, h, noise.data(), w * 3, true);
    setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldHandler);
    EXPECT_EQ(result, SaveFailed);
    EXPECT_FALSE(std::filesystem::exists(Dir + "/full.png"));
    // Nothing of the attempt is left behind: the picture is written under a
    // temporary name and only then given its own.
    for (const auto& entry : std::filesystem::directory_iterator(Dir))
        EXPECT_EQ(entry.path().filename().string().find(".tmp"), std::string::npos) << entry.path();
}

// [SECTION] Writing RGBA

TEST_F(PngCodecTest, EncodingChoicesRoundTripAndSetTheRowFiltersAsked) {
    RgbaImage image;
    image.width = 40;
    image.height = 12;
    for (int i = 0; i < image.width * image.height; ++i) {
        uint8_t v = uint8_t(i % 40 < 20 ? 0 : i * 5);
        image.pixels.insert(image.pixels.end(), {v, uint8_t(v / 2), 0, uint8_t(255 - i % 7)});
    }
    const size_t rowBytes = 1 + size_t(image.width) * 4;
    struct Case {
        PngEncoding encoding;
        int expectedFilter;   // -1: any
    };
    const Case cases[] = {
        {{9, 0, PNG_FILTER_NONE}, 0}, {{1, 3, PNG_FILTER_NONE}, 0}, {{6, 2, PNG_FILTER_SUB}, 1},
        {{9, 1, PNG_FILTER_UP}, 2},   {{0, 0, PNG_FILTER_NONE}, 0}, {{9, 0, PNG_ALL_FILTERS}, -1},
    };
    for (const Case& c : cases) {
        std::vector<uint8_t> file;
        ASSERT_TRUE(EncodeRgbaPng(image, c.encoding, file)) << c.encoding.zlibLevel;
        RgbaImage back;
        ASSERT_TRUE(DecodePng(file.data(), file.size(), back));
        EXPECT_EQ(back.pixels, image.pixels);
        const std::vector<int> filters = RowFilters(file, rowBytes, image.height);
        ASSERT_EQ(filters.size(), size_t(image.height)) << "the image data inflates to its rows";
        if (c.expectedFilter >= 0) {
            EXPECT_EQ(filters, std::vector<int>(image.height, c.expectedFilter));
        }
    }
    // The file writer: RGBA, 8 bits, not interlaced, alpha kept.
    ASSERT_TRUE(WriteRgbaPng(Dir + "/image.png", image, 6));
    std::vector<uint8_t> file = ReadBytes(Dir + "/image.png");
    EXPECT_EQ(HeaderOf(file), (std::array{40, 12, 8, PNG_COLOR_TYPE_RGBA, PNG_INTERLACE_NONE}));
    EXPECT_FALSE(WriteRgbaPng(Dir + "/bad.png", image, 10));

    EXPECT_FALSE(EncodeRgbaPng(image, {10, 0, PNG_FILTER_NONE}, file));
    EXPECT_FALSE(EncodeRgbaPng(image, {9, 7, PNG_FILTER_NONE}, file));
    EXPECT_FALSE(EncodeRgbaPng(image, {9, 0, 0}, file));
    EXPECT_TRUE(file.empty());
    RgbaImage empty;
    EXPECT_FALSE(EncodeRgbaPng(empty, {}, file));
}

// [SECTION] Decoding other formats

TEST_F(PngCodecTest, DecodesGrayPaletteSixteenBitAndInterlacedToRgba) {
    RgbaImage out;
    // 16-bit gray: high bytes survive, spread to RGB, alpha opaque.
    std::vector<uint8_t> gray16 = {0x12, 0x34, 0xAB, 0xCD, 0xFF, 0x00, 0x00, 0xFF};
    std::vector<uint8_t> file = EncodeWithLibpng(2, 2, 16, PNG_COLOR_TYPE_GRAY, PNG_INTERLACE_NONE, gray16);
    ASSERT_TRUE(DecodePng(file.data(), file.size(), out));
    EXPECT_EQ(out.pixels, (std::vector<uint8_t>{0x12, 0x12, 0x12, 255, 0xAB, 0xAB, 0xAB, 255,
                                                0xFF, 0xFF, 0xFF, 255, 0x00, 0x00, 0x00, 255}));

    // A palette with a transparent entry.
    png_color palette[2] = {{10, 20, 30}, {200, 100, 50}};
    png_byte trns[1] = {0};
    std::vector<uint8_t> indices = {0, 1};
    file = EncodeWithLibpng(2, 1, 8, PNG_COLOR_TYPE_PALETTE, PNG_INTERLACE_NONE, indices, palette, 2, trns, 1);
    ASSERT_TRUE(DecodePng(file.data(), file.size(), out));
    EXPECT_EQ(out.pixels, (std::vector<uint8_t>{10, 20, 30, 0, 200, 100, 50, 255}));

    // Interlaced RGB.
    const int w = 9, h = 7;
    std::vector<uint8_t> rgb = TestCard(w, h, w * 3);
    file = EncodeWithLibpng(w, h, 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_ADAM7, rgb);
    ASSERT_TRUE(DecodePng(file.data(), file.size(), out));
    EXPECT_TRUE(out.pixels == OpaqueRgba(rgb, w, h, w * 3));
}

// [SECTION] Damaged input

TEST_F(PngCodecTest, DamagedTruncatedAndAbsurdInputIsRejected) {
    std::vector<uint8_t> rgb = TestCard(30, 30, 90);
    std::string path = Dir + "/shot.png";
    ASSERT_EQ(WriteRgbPng(path, 30, 30, rgb.data(), 90, false), SaveOk);
    const std::vector<uint8_t> good = ReadBytes(path);
    RgbaImage out;
    ASSERT_TRUE(DecodePng(good.data(), good.size(), out));

    // Every truncation fails cleanly and leaves the output empty; never reads past the end.
    for (size_t cut : {size_t(0), size_t(4), size_t(8), size_t(20), size_t(33), good.size() / 2, good.size() - 13}) {
        std::vector<uint8_t> part(good.begin(), good.begin() + long(cut));
        out.width = 5;
        EXPECT_FALSE(DecodePng(part.data(), part.size(), out)) << "cut at " << cut;
        EXPECT_EQ(out.width, 0);
        EXPECT_TRUE(out.pixels.empty());
    }
    PngHeader header;
    std::vector<uint8_t> headOnly(good.begin(), good.begin() + 20);
    EXPECT_FALSE(ReadPngHeader(headOnly.data(), headOnly.size(), header));

    // A flipped byte in the image data (CRC or inflate error).
    std::vector<uint8_t> damaged = good;
    damaged[good.size() / 2] ^= 0x5A;
    EXPECT_FALSE(DecodePng(damaged.data(), damaged.size(), out));

    // Not a PNG at all, and nothing.
    std::vector<uint8_t> text = {'h', 'e', 'l', 'l', 'o', ' ', 'p', 'n', 'g', '!'};
    EXPECT_FALSE(DecodePng(text.data(), text.size(), out));
    EXPECT_FALSE(DecodePng(nullptr, 0, out));
    EXPECT_FALSE(DecodePngFile(Dir + "/absent.png", out));

    // A header claiming 20000 x 20000 (with a correct CRC) is refused before any allocation.
    std::vector<uint8_t> huge = good;
    huge[16] = 0, huge[17] = 0, huge[18] = 0x4E, huge[19] = 0x20;   // width 20000
    huge[20] = 0, huge[21] = 0, huge[22] = 0x4E, huge[23] = 0x20;   // height 20000
    uint32_t crc = uint32_t(crc32(0, &huge[12], 17));
    huge[29] = uint8_t(crc >> 24), huge[30] = uint8_t(crc >> 16), huge[31] = uint8_t(crc >> 8), huge[32] = uint8_t(crc);
    EXPECT_FALSE(DecodePng(huge.data(), huge.size(), out));
    EXPECT_TRUE(out.pixels.empty());
}

}  // namespace
