// png_codec_test.cpp — the PNG codec: round trips, the written encoding,
// exclusive saves, and damaged input.
#include <gtest/gtest.h>

#include <filesystem>
#include <png.h>
#include <zlib.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <csignal>
#include <sys/resource.h>
#include <unistd.h>
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

std::vector<uint8_t> ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

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

std::vector<uint8_t> Inflate(const std::vector<uint8_t>& stream, size_t expected) {
    std::vector<uint8_t> out(expected + 16);
    uLongf outSize = uLongf(out.size());
    if (uncompress(out.data(), &outSize, stream.data(), uLong(stream.size())) != Z_OK) return {};
    out.resize(outSize);
    return out;
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

// Encodes with libpng directly, for input the program's writer never makes.
std::vector<uint8_t> EncodeWithLibpng(int width, int height, int bitDepth, int colorType, int interlace,
                                      const std::vector<uint8_t>& raw, const png_color* palette = nullptr,
                                      int paletteSize = 0, const png_byte* trns = nullptr, int trnsCount = 0) {
    std::string path = std::string(std::getenv("TMPDIR") ? std::getenv("TMPDIR") : "/tmp") + "/veldrune-png-" +
                       std::to_string(getpid()) + ".png";
    FILE* file = std::fopen(path.c_str(), "wb");
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    png_init_io(png, file);
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
    std::fclose(file);
    std::vector<uint8_t> bytes = ReadBytes(path);
    std::remove(path.c_str());
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
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const uint8_t* want = &rgb[size_t(y) * stride + size_t(x) * 3];
            const uint8_t* got = &image.pixels[(size_t(y) * width + x) * 4];
            ASSERT_EQ(got[0], want[0]) << x << "," << y;
            ASSERT_EQ(got[1], want[1]) << x << "," << y;
            ASSERT_EQ(got[2], want[2]) << x << "," << y;
            ASSERT_EQ(got[3], 255) << x << "," << y;
        }
}

TEST_F(PngCodecTest, RgbFileIsPlainRgbWithFilterNoneAndLevelNine) {
    const int width = 64, height = 40;
    std::vector<uint8_t> rgb = TestCard(width, height, width * 3);
    std::string path = Dir + "/shot.png";
    ASSERT_EQ(WriteRgbPng(path, width, height, rgb.data(), width * 3, false), SaveOk);
    std::vector<uint8_t> file = ReadBytes(path);

    PngHeader header;
    ASSERT_TRUE(ReadPngHeader(file.data(), file.size(), header));
    EXPECT_EQ(header.width, width);
    EXPECT_EQ(header.height, height);
    EXPECT_EQ(header.bitDepth, 8);
    EXPECT_EQ(header.colorType, PNG_COLOR_TYPE_RGB);
    EXPECT_EQ(header.interlace, PNG_INTERLACE_NONE);

    std::vector<uint8_t> stream = IdatStream(file);
    ASSERT_GE(stream.size(), 2u);
    // zlib header: deflate, and FLEVEL 3 ("maximum compression") for level 9.
    EXPECT_EQ(stream[0] & 0x0F, 8);
    EXPECT_EQ(stream[1] >> 6, 3);
    const size_t rowBytes = 1 + width * 3;
    std::vector<uint8_t> raw = Inflate(stream, rowBytes * height);
    ASSERT_EQ(raw.size(), rowBytes * height);
    for (int y = 0; y < height; ++y) EXPECT_EQ(raw[y * rowBytes], 0) << "filter byte of row " << y;
}

TEST_F(PngCodecTest, ExclusiveSaveRefusesAnExistingFileAndLeavesItAlone) {
    std::vector<uint8_t> rgb = TestCard(8, 8, 24);
    std::string path = Dir + "/shot.png";
    WriteBytes(path, {'k', 'e', 'e', 'p'});
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
    // A folder that does not exist.
    EXPECT_EQ(WriteRgbPng(Dir + "/missing/shot.png", 8, 8, rgb.data(), 24, false), SaveFailed);
    // Nonsense dimensions or a stride shorter than a row.
    EXPECT_EQ(WriteRgbPng(Dir + "/a.png", 0, 8, rgb.data(), 24, false), SaveFailed);
    EXPECT_EQ(WriteRgbPng(Dir + "/b.png", 8, 8, rgb.data(), 23, false), SaveFailed);
    EXPECT_EQ(WriteRgbPng(Dir + "/c.png", 8, 8, nullptr, 24, false), SaveFailed);
    EXPECT_EQ(ReadBytes(Dir + "/a.png").size(), 0u);
    EXPECT_EQ(access((Dir + "/b.png").c_str(), F_OK), -1);
    EXPECT_EQ(access((Dir + "/c.png").c_str(), F_OK), -1);
    // The disk fills mid-write (a file-size limit makes writes fail with
    // EFBIG): failure is reported and the partial file is removed.
    const int w = 300, h = 300;
    std::vector<uint8_t> noise(size_t(w) * h * 3);
    uint32_t seed = 12345;
    for (uint8_t& b : noise) b = uint8_t((seed = seed * 1103515245u + 12345u) >> 24);
    rlimit old{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old), 0);
    auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit tight = old;
    tight.rlim_cur = 4096;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &tight), 0);
    SaveResult result = WriteRgbPng(Dir + "/full.png", w, h, noise.data(), w * 3, true);
    setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldHandler);
    EXPECT_EQ(result, SaveFailed);
    EXPECT_EQ(access((Dir + "/full.png").c_str(), F_OK), -1);
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
        std::vector<uint8_t> stream = IdatStream(file);
        std::vector<uint8_t> raw = Inflate(stream, rowBytes * image.height);
        ASSERT_EQ(raw.size(), rowBytes * image.height);
        if (c.expectedFilter >= 0) {
            for (int y = 0; y < image.height; ++y) EXPECT_EQ(raw[y * rowBytes], c.expectedFilter) << "row " << y;
        }
    }
    // The file writer: RGBA, 8 bits, not interlaced, alpha kept.
    ASSERT_TRUE(WriteRgbaPng(Dir + "/image.png", image, 6));
    std::vector<uint8_t> file = ReadBytes(Dir + "/image.png");
    PngHeader header;
    ASSERT_TRUE(ReadPngHeader(file.data(), file.size(), header));
    EXPECT_EQ(header.colorType, PNG_COLOR_TYPE_RGBA);
    EXPECT_EQ(header.bitDepth, 8);
    EXPECT_EQ(header.interlace, PNG_INTERLACE_NONE);
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
    ASSERT_EQ(out.pixels.size(), size_t(w * h * 4));
    for (int i = 0; i < w * h; ++i) {
        ASSERT_EQ(out.pixels[i * 4 + 0], rgb[i * 3 + 0]) << i;
        ASSERT_EQ(out.pixels[i * 4 + 2], rgb[i * 3 + 2]) << i;
        ASSERT_EQ(out.pixels[i * 4 + 3], 255) << i;
    }
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
