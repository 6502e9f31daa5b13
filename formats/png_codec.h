// png_codec.h — PNG decoding and encoding over libpng, on bytes in memory,
// used by the SDL platform (embedded images, screenshots), the PNG files
// (platform/shared/png_file.h), the image generator, the tests and the benchmarks.
// No file I/O, no SDL.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

struct RgbaImage {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> pixels;   // width * height * 4 bytes, R G B A, rows top to bottom
};

// What the file's header says, for checks of the encoding.
struct PngHeader {
    int width = 0, height = 0;
    int bitDepth = 0;
    int colorType = 0;        // 2 RGB, 6 RGBA, ...
    int interlace = 0;
};

// Decodes any PNG libpng reads into 8-bit RGBA. Returns false (and leaves
// `out` empty) on a damaged or truncated file or an absurd size.
bool DecodePng(const uint8_t* data, size_t size, RgbaImage& out);
bool ReadPngHeader(const uint8_t* data, size_t size, PngHeader& out);

// Encodes a screenshot: RGB, 8 bits, not interlaced, every row's filter
// None, zlib level 9. `rgb` holds height rows of `stride` bytes. False (and
// `out` empty) on a malformed image.
bool EncodeRgbPng(int width, int height, const uint8_t* rgb, size_t stride, std::vector<uint8_t>& out);

// How an RGBA image is compressed: zlib level and strategy (Z_DEFAULT_STRATEGY
// 0, Z_FILTERED 1, Z_HUFFMAN_ONLY 2, Z_RLE 3) and the libpng row filter mask
// (PNG_FILTER_NONE 0x08 ... PNG_ALL_FILTERS 0xF8). The image generator and the
// decoding benchmark choose among these; the defaults are what
// WriteRgbaPng (platform/shared/png_file.h) writes.
struct PngEncoding {
    int zlibLevel = 9;
    int zlibStrategy = 0;
    int filters = 0x08;
};
// Encodes 8-bit RGBA, not interlaced, into `out`; false on a malformed image.
bool EncodeRgbaPng(const RgbaImage& image, const PngEncoding& encoding, std::vector<uint8_t>& out);
