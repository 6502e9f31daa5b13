// bench_decode.cpp — the start-up floor: decoding the 91 embedded PNG images
// with libpng alone, and the same pictures under other PNG encodings, to
// choose the one the image generator writes.
#include <benchmark/benchmark.h>
#include <png.h>
#include <zlib.h>

#include <string>
#include <vector>

#include "assets/assets.h"
#include "formats/png_codec.h"

namespace {

// [SECTION] Inputs

const std::vector<RgbaImage>& Pictures() {
    static std::vector<RgbaImage> pictures = [] {
        std::vector<RgbaImage> out(EmbeddedImageCount);
        for (int i = 0; i < EmbeddedImageCount; ++i) DecodePng(EmbeddedImages[i].Data, EmbeddedImages[i].Size, out[i]);
        return out;
    }();
    return pictures;
}

double PixelCount() {
    double pixels = 0;
    for (const RgbaImage& image : Pictures()) pixels += double(image.width) * image.height;
    return pixels;
}

// [SECTION] The floor: the embedded files as they are

void BM_DecodeEmbedded(benchmark::State& state) {
    size_t bytes = 0;
    for (int i = 0; i < EmbeddedImageCount; ++i) bytes += EmbeddedImages[i].Size;
    for (auto _ : state) {
        for (int i = 0; i < EmbeddedImageCount; ++i) {
            RgbaImage image;
            bool ok = DecodePng(EmbeddedImages[i].Data, EmbeddedImages[i].Size, image);
            benchmark::DoNotOptimize(ok);
            benchmark::DoNotOptimize(image.pixels.data());
        }
    }
    state.counters["files_kB"] = double(bytes) / 1024;
    state.counters["Mpx_per_s"] = benchmark::Counter(PixelCount() / 1e6, benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BM_DecodeEmbedded)->Unit(benchmark::kMillisecond)->MinTime(2.0);

// [SECTION] Other encodings of the same pictures

struct Variant {
    const char* name;
    PngEncoding encoding;
};
const Variant Variants[] = {
    {"none_level9_default", {9, Z_DEFAULT_STRATEGY, PNG_FILTER_NONE}},
    {"none_level6_default", {6, Z_DEFAULT_STRATEGY, PNG_FILTER_NONE}},
    {"none_level3_default", {3, Z_DEFAULT_STRATEGY, PNG_FILTER_NONE}},
    {"none_level2_default", {2, Z_DEFAULT_STRATEGY, PNG_FILTER_NONE}},
    {"none_level1_default", {1, Z_DEFAULT_STRATEGY, PNG_FILTER_NONE}},
    {"none_level4_filtered", {4, Z_FILTERED, PNG_FILTER_NONE}},
    {"none_level9_rle", {9, Z_RLE, PNG_FILTER_NONE}},
    {"sub_level9_default", {9, Z_DEFAULT_STRATEGY, PNG_FILTER_SUB}},
    {"sub_level9_rle", {9, Z_RLE, PNG_FILTER_SUB}},
    {"sub_level1_rle", {1, Z_RLE, PNG_FILTER_SUB}},
    {"up_level9_default", {9, Z_DEFAULT_STRATEGY, PNG_FILTER_UP}},
    {"paeth_level9_default", {9, Z_DEFAULT_STRATEGY, PNG_FILTER_PAETH}},
    {"all_level9_default", {9, Z_DEFAULT_STRATEGY, PNG_ALL_FILTERS}},
};

void BM_DecodeVariant(benchmark::State& state) {
    const Variant& variant = Variants[state.range(0)];
    state.SetLabel(variant.name);
    std::vector<std::vector<uint8_t>> files;
    size_t bytes = 0;
    for (const RgbaImage& image : Pictures()) {
        files.emplace_back();
        if (!EncodeRgbaPng(image, variant.encoding, files.back())) {
            state.SkipWithError("encoding failed");
            return;
        }
        bytes += files.back().size();
    }
    for (auto _ : state) {
        for (const std::vector<uint8_t>& file : files) {
            RgbaImage image;
            bool ok = DecodePng(file.data(), file.size(), image);
            benchmark::DoNotOptimize(ok);
            benchmark::DoNotOptimize(image.pixels.data());
        }
    }
    state.counters["files_kB"] = double(bytes) / 1024;
    state.counters["Mpx_per_s"] = benchmark::Counter(PixelCount() / 1e6, benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BM_DecodeVariant)->DenseRange(0, int(std::size(Variants)) - 1)->Unit(benchmark::kMillisecond)->MinTime(1.0);

}  // namespace

BENCHMARK_MAIN();
