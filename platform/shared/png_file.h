// png_file.h — PNG files: pictures read from disk, and screenshots and test
// images written to it through the crash-safe write (file_safety.h). The
// coding itself is formats/png_codec.h. No SDL here.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "formats/png_codec.h"
#include "platform/platform.h"

// Decodes the PNG file at path into 8-bit RGBA; false (and `out` empty) when
// it cannot be read or decoded.
bool DecodePngFile(const std::string& path, RgbaImage& out);

// Writes a screenshot (EncodeRgbPng's format). `rgb` holds height rows of
// `stride` bytes. With `exclusive` the file is created only if it does not
// exist (SaveExists otherwise); a failed write leaves no partial file behind.
// (On a file system without hard links the exclusive file is written under
// its final name, so only a kill during that write can leave a short file;
// see file_safety.h.)
SaveResult WriteRgbPng(const std::string& path, int width, int height, const uint8_t* rgb,
                       size_t stride, bool exclusive);

// Writes 8-bit RGBA, not interlaced, without a row filter, replacing a file
// that is there.
bool WriteRgbaPng(const std::string& path, const RgbaImage& image, int zlibLevel = 9);
