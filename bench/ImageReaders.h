#pragma once
// Readers for the benchmark's input pictures (PNG through libpng, BMP, PPM).
// They give the platform's clipboard form: 32-bit rows, blue, green, red, 0,
// transparent pixels laid over white. Any bytes are survived: a file that is
// not understood raises std::runtime_error.
#include <string>

#include "imaging/Bitmap.h"

namespace sorvak::bench {

// Pictures above this many pixels are refused, so no size field can ask for
// an unbounded allocation.
constexpr std::uint64_t MaxPixels = 1ull << 28;

DeviceBitmap ReadImage(const std::string& path);
DeviceBitmap ReadPng(const std::vector<std::uint8_t>& file);
DeviceBitmap ReadBmp(const std::vector<std::uint8_t>& file);
DeviceBitmap ReadPpm(const std::vector<std::uint8_t>& file);

} // namespace sorvak::bench
