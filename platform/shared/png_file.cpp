// png_file.cpp — PNG files: reading them whole and writing them crash-safely. See png_file.h.
#include "platform/shared/png_file.h"
#include "platform/shared/file_safety.h"

#include <unistd.h>
#include <vector>

// [SECTION] Reading

// Far above any picture the program reads (an 8-bit 4096 x 4096 PNG stays
// well below it), so that a mistaken path to a huge file fails at once.
static constexpr long long PngFileLimit = 256ll << 20;

bool DecodePngFile(const std::string& path, RgbaImage& out) {
    out = RgbaImage{};
    std::string bytes;
    if (!ReadWholeFile(path, bytes, PngFileLimit)) return false;
    return DecodePng(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), out);
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
