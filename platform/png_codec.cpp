// png_codec.cpp — PNG over libpng. (stub)
#include "platform/png_codec.h"

bool DecodePng(const uint8_t*, size_t, RgbaImage&) { return false; }
bool DecodePngFile(const std::string&, RgbaImage&) { return false; }
bool ReadPngHeader(const uint8_t*, size_t, PngHeader&) { return false; }
SaveResult WriteRgbPng(const std::string&, int, int, const uint8_t*, size_t, bool) { return SaveFailed; }
bool WriteRgbaPng(const std::string&, const RgbaImage&, int) { return false; }
