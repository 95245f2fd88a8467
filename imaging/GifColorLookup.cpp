#include "imaging/GifColorLookup.h"

#include <algorithm>
#include <cstdlib>

namespace sorvak {

namespace {

int Luminance(int r, int g, int b) {
    return 77 * r + 150 * g + 29 * b;
}

} // namespace

TFastColorLookup::TFastColorLookup(const std::vector<TGIFColor>& palette)
    : TColorLookup(static_cast<int>(std::min<std::size_t>(palette.size(), 256))),
      FPalette(palette.begin(), palette.begin() + FColors), FCache(32768, -1) {
    for (int i = FColors - 1; i >= 0; --i)
        FCache[CacheIndex(FPalette[i].Red, FPalette[i].Green, FPalette[i].Blue)] =
            static_cast<std::int16_t>(i);
}

std::uint8_t TFastColorLookup::Lookup(std::uint8_t& red, std::uint8_t& green, std::uint8_t& blue) {
    if (FPalette.empty())
        return 0;
    std::int16_t& cell = FCache[CacheIndex(red, green, blue)];
    if (cell < 0) {
        int best = 0, bestDistance = 1 << 30;
        for (int i = 0; i < FColors; ++i) {
            const TGIFColor& c = FPalette[i];
            const int d =
                std::abs(c.Red - red) + std::abs(c.Green - green) + std::abs(c.Blue - blue);
            if (d < bestDistance) {
                bestDistance = d;
                best = i;
            }
        }
        cell = static_cast<std::int16_t>(best);
    }
    const TGIFColor& chosen = FPalette[cell];
    red = chosen.Red;
    green = chosen.Green;
    blue = chosen.Blue;
    return static_cast<std::uint8_t>(cell);
}

TNetscapeColorLookup::TNetscapeColorLookup() : TColorLookup(216) {
    for (int c = 0; c < 256; ++c) {
        FLevel[c] = static_cast<std::uint8_t>((c + 3) / 51);
        FLevel6[c] = static_cast<std::uint8_t>(FLevel[c] * 6);
        FLevel36[c] = static_cast<std::uint8_t>(FLevel[c] * 36);
    }
}

std::uint8_t TGrayScaleLookup::Lookup(std::uint8_t& red, std::uint8_t& green, std::uint8_t& blue) {
    const auto grey = static_cast<std::uint8_t>(Luminance(red, green, blue) >> 8);
    red = green = blue = grey;
    return grey;
}

std::uint8_t TMonochromeLookup::Lookup(std::uint8_t& red, std::uint8_t& green, std::uint8_t& blue) {
    const bool white = Luminance(red, green, blue) >= 32513;
    red = green = blue = white ? 255 : 0;
    return white ? 1 : 0;
}

} // namespace sorvak
