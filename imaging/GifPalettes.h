#pragma once
// The fixed palettes of the GIF colour reduction.
#include <cstdint>
#include <vector>

namespace sorvak {

// One colour-map entry, in the order GIF writes it.
struct TGIFColor {
    std::uint8_t Red = 0, Green = 0, Blue = 0;
    friend bool operator==(const TGIFColor&, const TGIFColor&) = default;
};

// The 216 web-cube colours: entry r·36 + g·6 + b is (51r, 51g, 51b).
std::vector<TGIFColor> WebCubePalette();
// Stand-ins for the platform palettes of ReduceSystem20 and ReduceHalftone.
std::vector<TGIFColor> SystemPalette20();
std::vector<TGIFColor> HalftonePalette();
// Greys 0, 128, 192, 255.
std::vector<TGIFColor> Gray4Palette();
// Black, then white.
std::vector<TGIFColor> MonochromePalette();
// 256 greys, entry i = (i, i, i).
std::vector<TGIFColor> Gray256Palette();

} // namespace sorvak
