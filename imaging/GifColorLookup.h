#pragma once
// Palette lookups of the GIF colour reduction: a colour in, its palette index
// out.
#include <array>
#include <cstdint>
#include <vector>

#include "imaging/GifPalettes.h"

namespace sorvak {

// Maps a colour to a palette index. The colour is passed in and the palette
// colour actually chosen is handed back in the same bytes.
class TColorLookup {
public:
    explicit TColorLookup(int colors) : FColors(colors) {}
    virtual ~TColorLookup() = default;
    virtual std::uint8_t Lookup(std::uint8_t& red, std::uint8_t& green, std::uint8_t& blue) = 0;
    // Palette size; 0 means the lookup cannot be used.
    int Colors() const { return FColors; }

protected:
    int FColors;
};

// Any palette: exact entries first, else the smallest sum of channel
// differences, cached per 15-bit colour.
class TFastColorLookup : public TColorLookup {
public:
    explicit TFastColorLookup(const std::vector<TGIFColor>& palette);
    std::uint8_t Lookup(std::uint8_t& red, std::uint8_t& green, std::uint8_t& blue) override;

private:
    static int CacheIndex(int r, int g, int b) { return (r >> 3) | (g >> 3) << 5 | (b >> 3) << 10; }

    std::vector<TGIFColor> FPalette;
    std::vector<std::int16_t> FCache;
};

// The 6×6×6 web colour cube: channel c becomes (c + 3) div 51. That is not
// the nearest level (that would be + 25), but it is the mapping GIF files
// from this program carry, so it must not be "improved".
class TNetscapeColorLookup final : public TColorLookup {
public:
    TNetscapeColorLookup();
    std::uint8_t Lookup(std::uint8_t& red, std::uint8_t& green, std::uint8_t& blue) override {
        return Map(red, green, blue);
    }
    std::uint8_t Map(std::uint8_t& red, std::uint8_t& green, std::uint8_t& blue) const {
        const int r = FLevel[red], g = FLevel[green], b = FLevel[blue];
        red = static_cast<std::uint8_t>(r * 51);
        green = static_cast<std::uint8_t>(g * 51);
        blue = static_cast<std::uint8_t>(b * 51);
        return static_cast<std::uint8_t>(r * 36 + g * 6 + b);
    }
    std::uint8_t Index(std::uint8_t red, std::uint8_t green, std::uint8_t blue) const {
        return static_cast<std::uint8_t>(FLevel36[red] + FLevel6[green] + FLevel[blue]);
    }

private:
    std::array<std::uint8_t, 256> FLevel;
    std::array<std::uint8_t, 256> FLevel6;
    std::array<std::uint8_t, 256> FLevel36;
};

// 256 greys, entry i = (i, i, i).
class TGrayScaleLookup : public TColorLookup {
public:
    TGrayScaleLookup() : TColorLookup(256) {}
    std::uint8_t Lookup(std::uint8_t& red, std::uint8_t& green, std::uint8_t& blue) override;
};

// Black (0) and white (1) by luminance.
class TMonochromeLookup : public TColorLookup {
public:
    TMonochromeLookup() : TColorLookup(2) {}
    std::uint8_t Lookup(std::uint8_t& red, std::uint8_t& green, std::uint8_t& blue) override;
};

} // namespace sorvak
