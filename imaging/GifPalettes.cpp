#include "imaging/GifPalettes.h"

#include <initializer_list>

namespace sorvak {

namespace {

std::vector<TGIFColor> Greys(std::initializer_list<std::uint8_t> levels) {
    std::vector<TGIFColor> out;
    for (std::uint8_t v : levels)
        out.push_back({v, v, v});
    return out;
}

} // namespace

std::vector<TGIFColor> WebCubePalette() {
    std::vector<TGIFColor> out;
    out.reserve(216);
    for (int r = 0; r < 6; ++r)
        for (int g = 0; g < 6; ++g)
            for (int b = 0; b < 6; ++b)
                out.push_back({static_cast<std::uint8_t>(r * 51), static_cast<std::uint8_t>(g * 51),
                               static_cast<std::uint8_t>(b * 51)});
    return out;
}

std::vector<TGIFColor> SystemPalette20() {
    return {{0, 0, 0},       {128, 0, 0},     {0, 128, 0},     {128, 128, 0},   {0, 0, 128},
            {128, 0, 128},   {0, 128, 128},   {192, 192, 192}, {192, 220, 192}, {166, 202, 240},
            {255, 251, 240}, {160, 160, 164}, {128, 128, 128}, {255, 0, 0},     {0, 255, 0},
            {255, 255, 0},   {0, 0, 255},     {255, 0, 255},   {0, 255, 255},   {255, 255, 255}};
}

std::vector<TGIFColor> HalftonePalette() {
    // The web cube and a ramp of 40 greys between its grey levels.
    std::vector<TGIFColor> out = WebCubePalette();
    for (int i = 1; i <= 40; ++i) {
        const auto v = static_cast<std::uint8_t>(i * 255 / 41);
        out.push_back({v, v, v});
    }
    return out;
}

std::vector<TGIFColor> Gray4Palette() {
    return Greys({0, 128, 192, 255});
}

std::vector<TGIFColor> MonochromePalette() {
    return Greys({0, 255});
}

std::vector<TGIFColor> Gray256Palette() {
    std::vector<TGIFColor> out;
    out.reserve(256);
    for (int i = 0; i < 256; ++i) {
        const auto v = static_cast<std::uint8_t>(i);
        out.push_back({v, v, v});
    }
    return out;
}

} // namespace sorvak
