#pragma once
// Colour reduction for GIF frames: maps 24-bit pixels onto a palette of at
// most 256 colours (by default the 216-colour web cube, without dithering).
#include <cstdint>
#include <functional>
#include <vector>

#include "imaging/GifPalettes.h"

namespace sorvak {

enum TColorReduction : int {
    ReduceNone = 0,
    ReduceSystem20 = 1,
    ReduceHalftone = 2,
    ReduceGray4 = 3,
    ReduceMonochrome = 4,
    ReduceGray256 = 5,
    ReduceWebCube = 6,
    ReduceOctree = 7,
    ReduceOctreeSystem = 8,
    ReduceCustomPalette = 9,
};

enum TDitherMode : int {
    DitherOff = 0,
    DitherFloydSteinberg = 1,
    DitherStucki = 2,
    DitherSierra = 3,
    DitherJaJuNi = 4,
    DitherSteveArche = 5,
    DitherBurkes = 6,
};

// Rows of the picture to reduce, top row first: blue, green, red bytes per
// pixel (BytesPerPixel 3) or blue, green, red and an unused byte (4).
struct TGIFRowSource {
    int Width = 0;
    int Height = 0;
    int BytesPerPixel = 3;
    // Returns row y: either buffer (Width × BytesPerPixel bytes), filled, or
    // rows the source already holds in that layout.
    std::function<const std::uint8_t*(int y, std::uint8_t* buffer)> ReadRow;
};

// Result of a reduction: 8 bits per pixel with a 256-entry colour table, or a
// 24-bit copy (red, green, blue bytes per pixel) for ReduceNone. Rows top
// first without padding. Empty (0 × 0) where no palette could be made.
struct TGIFDib {
    int Width = 0;
    int Height = 0;
    int BitCount = 0;
    std::vector<TGIFColor> Colors;
    std::vector<std::uint8_t> Pixels;
    bool Empty() const { return Width == 0 || Height == 0; }
};

// Reduces source to one palette. Raises "Invalid image dimensions" for a 0
// width or height and "Failed to allocate memory for GIF DIB" when the
// result does not fit in memory.
TGIFDib ReduceColors(const TGIFRowSource& source, int method, int dither, int bits,
                     const std::vector<TGIFColor>* palette);

} // namespace sorvak
