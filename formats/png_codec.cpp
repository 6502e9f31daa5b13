// png_codec.cpp — PNG decoding and encoding over libpng, on bytes in memory.
#include "formats/png_codec.h"

#include <png.h>

#include <csetjmp>
#include <cstring>

// [SECTION] Limits

// Nothing the program draws or saves comes near this; a header claiming more
// is damaged or hostile, and would otherwise make us allocate gigabytes.
constexpr png_uint_32 MaxPngSide = 16384;

// [SECTION] Reading from memory

namespace {

struct MemoryReader {
    const uint8_t* data;
    size_t size;
    size_t offset;
};

void ReadFromMemory(png_structp png, png_bytep out, png_size_t count) {
    auto* reader = static_cast<MemoryReader*>(png_get_io_ptr(png));
    if (count > reader->size - reader->offset) png_error(png, "truncated PNG data");
    std::memcpy(out, reader->data + reader->offset, count);
    reader->offset += count;
}

// libpng prints warnings (e.g. an unknown chunk) on stderr by default; they
// are harmless for us.
void IgnoreWarning(png_structp, png_const_charp) {}

// libpng's default error handler prints before it jumps; failures are
// reported to the caller through the return value instead.
void JumpOnError(png_structp png, png_const_charp) { png_longjmp(png, 1); }

bool HasSignature(const uint8_t* data, size_t size) {
    return data != nullptr && size >= 8 && png_sig_cmp(data, 0, 8) == 0;
}

// Reads the header of a PNG in memory; `png`/`info` are ready for the rows
// afterwards. The caller owns setjmp.
void ReadInfo(png_structp png, png_infop info, MemoryReader& reader) {
    png_set_read_fn(png, &reader, ReadFromMemory);
    png_set_user_limits(png, MaxPngSide, MaxPngSide);
    png_read_info(png, info);
}

}  // namespace

// [SECTION] Decoding

namespace {

// Runs libpng over the whole file. The setjmp lives here and the C++ objects
// live in the caller, so a jump never leaves a half-updated local behind.
bool DecodeInto(png_structp png, png_infop info, MemoryReader* reader, RgbaImage* image,
                std::vector<png_bytep>* rows) {
    if (setjmp(png_jmpbuf(png))) return false;
    ReadInfo(png, info, *reader);
    png_uint_32 width = png_get_image_width(png, info);
    png_uint_32 height = png_get_image_height(png, info);
    if (width == 0 || height == 0 || width > MaxPngSide || height > MaxPngSide) return false;
    int colorType = png_get_color_type(png, info);
    // Everything becomes 8-bit RGBA: palettes and low gray depths expand,
    // tRNS becomes alpha, 16-bit channels drop their low byte, gray spreads
    // to RGB and an opaque alpha is added where there is none.
    png_set_expand(png);
    png_set_strip_16(png);
    if (colorType == PNG_COLOR_TYPE_GRAY || colorType == PNG_COLOR_TYPE_GRAY_ALPHA) png_set_gray_to_rgb(png);
    png_set_add_alpha(png, 0xFF, PNG_FILLER_AFTER);
    png_set_interlace_handling(png);
    png_read_update_info(png, info);
    if (png_get_rowbytes(png, info) != size_t(width) * 4) return false;
    image->width = int(width);
    image->height = int(height);
    image->pixels.resize(size_t(width) * height * 4);
    rows->resize(height);
    for (png_uint_32 y = 0; y < height; ++y) (*rows)[y] = image->pixels.data() + size_t(y) * width * 4;
    png_read_image(png, rows->data());
    png_read_end(png, nullptr);
    return true;
}

// One libpng reader over a PNG in memory, for the header or the whole image;
// destroyed with the object. `Ready` is false when the bytes are no PNG or
// libpng could not be set up.
struct PngReader {
    png_structp Png = nullptr;
    png_infop Info = nullptr;
    MemoryReader Source;
    bool Ready = false;

    PngReader(const uint8_t* data, size_t size) : Source{data, size, 0} {
        if (!HasSignature(data, size)) return;
        Png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, JumpOnError, IgnoreWarning);
        if (Png == nullptr) return;
        Info = png_create_info_struct(Png);
        Ready = Info != nullptr;
    }
    ~PngReader() {
        if (Png != nullptr) png_destroy_read_struct(&Png, Info != nullptr ? &Info : nullptr, nullptr);
    }
    PngReader(const PngReader&) = delete;
    PngReader& operator=(const PngReader&) = delete;
};

// The header alone; the setjmp lives here, as in DecodeInto.
bool ReadHeaderInto(PngReader& reader, PngHeader* out) {
    if (setjmp(png_jmpbuf(reader.Png))) return false;
    ReadInfo(reader.Png, reader.Info, reader.Source);
    out->width = int(png_get_image_width(reader.Png, reader.Info));
    out->height = int(png_get_image_height(reader.Png, reader.Info));
    out->bitDepth = png_get_bit_depth(reader.Png, reader.Info);
    out->colorType = png_get_color_type(reader.Png, reader.Info);
    out->interlace = png_get_interlace_type(reader.Png, reader.Info);
    return true;
}

}  // namespace

bool DecodePng(const uint8_t* data, size_t size, RgbaImage& out) {
    out = RgbaImage{};
    PngReader reader(data, size);
    if (!reader.Ready) return false;
    RgbaImage image;
    std::vector<png_bytep> rows;
    if (!DecodeInto(reader.Png, reader.Info, &reader.Source, &image, &rows)) return false;
    out = std::move(image);
    return true;
}

bool ReadPngHeader(const uint8_t* data, size_t size, PngHeader& out) {
    out = PngHeader{};
    PngReader reader(data, size);
    if (!reader.Ready) return false;
    PngHeader header;
    if (!ReadHeaderInto(reader, &header)) return false;
    out = header;
    return true;
}

// [SECTION] Encoding

namespace {

struct PngWriteJob {
    int width, height;
    int colorType;              // PNG_COLOR_TYPE_RGB or _RGBA
    const uint8_t* pixels;
    size_t stride;
    int zlibLevel;
    int zlibStrategy;
    int filters;                // libpng filter mask
};

void AppendToVector(png_structp png, png_bytep data, png_size_t count) {
    auto* out = static_cast<std::vector<uint8_t>*>(png_get_io_ptr(png));
    out->insert(out->end(), data, data + count);
}

void NoFlush(png_structp) {}

// Encodes the whole image, appending it to `memory`; false on any libpng error.
bool WritePngStream(std::vector<uint8_t>* memory, const PngWriteJob& job) {
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, JumpOnError, IgnoreWarning);
    if (png == nullptr) return false;
    png_infop info = png_create_info_struct(png);
    if (info == nullptr) {
        png_destroy_write_struct(&png, nullptr);
        return false;
    }
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return false;
    }
    png_set_write_fn(png, memory, AppendToVector, NoFlush);
    png_set_IHDR(png, info, png_uint_32(job.width), png_uint_32(job.height), 8, job.colorType,
                 PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_set_filter(png, PNG_FILTER_TYPE_BASE, job.filters);
    png_set_compression_level(png, job.zlibLevel);
    png_set_compression_strategy(png, job.zlibStrategy);
    png_write_info(png, info);
    for (int y = 0; y < job.height; ++y) {
        png_write_row(png, const_cast<png_bytep>(job.pixels + size_t(y) * job.stride));
    }
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    return true;
}

bool ValidJob(const PngWriteJob& job) {
    return job.pixels != nullptr && job.width > 0 && job.height > 0 && job.width <= int(MaxPngSide) &&
           job.height <= int(MaxPngSide) && job.zlibLevel >= 0 && job.zlibLevel <= 9 && job.zlibStrategy >= 0 &&
           job.zlibStrategy <= 4 && (job.filters & PNG_ALL_FILTERS) != 0 && (job.filters & ~PNG_ALL_FILTERS) == 0;
}

// Encodes a valid job into `out`, which is left empty on any failure.
bool EncodeJob(const PngWriteJob& job, std::vector<uint8_t>& out) {
    out.clear();
    if (!ValidJob(job)) return false;
    if (!WritePngStream(&out, job)) {
        out.clear();
        return false;
    }
    return true;
}

}  // namespace

bool EncodeRgbPng(int width, int height, const uint8_t* rgb, size_t stride, std::vector<uint8_t>& out) {
    out.clear();
    if (width <= 0 || stride < size_t(width) * 3) return false;
    // Screenshots: no row filter and zlib level 9. The other writers choose
    // otherwise: the embedded pictures take level 1 without a filter, which
    // decodes fastest (tools/make_images.cpp), and the desktop icons level 9
    // with every row filter.
    PngWriteJob job{width, height, PNG_COLOR_TYPE_RGB, rgb, stride, 9, 0, PNG_FILTER_NONE};
    return EncodeJob(job, out);
}

bool EncodeRgbaPng(const RgbaImage& image, const PngEncoding& encoding, std::vector<uint8_t>& out) {
    out.clear();
    if (image.pixels.size() != size_t(image.width) * size_t(image.height) * 4) return false;
    PngWriteJob job{image.width,        image.height,          PNG_COLOR_TYPE_RGBA, image.pixels.data(),
                    size_t(image.width) * 4, encoding.zlibLevel, encoding.zlibStrategy, encoding.filters};
    return EncodeJob(job, out);
}
