// png_file.cpp — PNG files: reading them whole and writing them crash-safely. See png_file.h.
#include "platform/shared/png_file.h"
#include "platform/shared/file_safety.h"

#include <cstdio>
#include <unistd.h>
#include <vector>

// [SECTION] Reading

bool DecodePngFile(const std::string& path, RgbaImage& out) {
    out = RgbaImage{};
    FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) return false;
    std::vector<uint8_t> bytes;
    uint8_t chunk[65536];
    size_t got;
    while ((got = std::fread(chunk, 1, sizeof chunk, file)) > 0) bytes.insert(bytes.end(), chunk, chunk + got);
    bool readError = std::ferror(file) != 0;
    std::fclose(file);
    if (readError) return false;
    return DecodePng(bytes.data(), bytes.size(), out);
}

// [SECTION] Writing

// The picture is encoded in memory first, so that a failure of the encoder
// never touches the folder; then it becomes a file through the crash-safe
// write, so a program killed or a disk filled halfway never leaves a cut PNG
// under a real name. A new picture gets 0644 less the umask.
static SaveResult WritePngBytes(const std::string& path, const std::vector<uint8_t>& encoded, bool exclusive) {
    return WriteFileSafely(path, std::string(encoded.begin(), encoded.end()), exclusive, 0644);
}

SaveResult WriteRgbPng(const std::string& path, int width, int height, const uint8_t* rgb, size_t stride,
                       bool exclusive) {
    std::vector<uint8_t> encoded;
    if (!EncodeRgbPng(width, height, rgb, stride, encoded)) return SaveFailed;
    // Early answer for a taken name, before any temporary file is made; the
    // exclusive write still decides when two writers race for it.
    if (exclusive && ::access(path.c_str(), F_OK) == 0) return SaveExists;
    return WritePngBytes(path, encoded, exclusive);
}

bool WriteRgbaPng(const std::string& path, const RgbaImage& image, int zlibLevel) {
    std::vector<uint8_t> encoded;
    if (!EncodeRgbaPng(image, PngEncoding{zlibLevel, 0, 0x08}, encoded)) return false;
    return WritePngBytes(path, encoded, false) == SaveOk;
}
