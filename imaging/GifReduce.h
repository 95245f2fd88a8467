#pragma once
// Colour reduction for GIF frames: maps 24-bit pixels onto a palette of at
// most 256 colours (by default the 216-colour web cube, without dithering).
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

namespace sorvak {

// One colour-map entry, in the order GIF writes it.
struct TGIFColor {
    std::uint8_t Red = 0, Green = 0, Blue = 0;
    friend bool operator==(const TGIFColor&, const TGIFColor&) = default;
};

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

// Scans rows alternately left to right and right to left; the base maps each
// pixel on its own, the ditherers carry the error to pixels not yet mapped.
class TDitherEngine {
public:
    TDitherEngine(int width, TColorLookup& lookup) : FLookup(lookup), FWidth(width) {}
    virtual ~TDitherEngine() = default;
    // Maps the pixel at Column() and moves the column by Direction().
    virtual std::uint8_t Dither(std::uint8_t& red, std::uint8_t& green, std::uint8_t& blue);
    virtual void NextLine();
    int Direction() const { return FDirection; }
    int Column() const { return FColumn; }

protected:
    TColorLookup& FLookup;
    int FWidth;
    int FDirection = 1;
    int FColumn = 0;
};

// Error diffusion with a kernel of weights to the right of and below the
// current pixel (mirrored on right-to-left rows).
class TErrorDiffusionDitherer : public TDitherEngine {
public:
    struct Weight {
        int Dx, Dy, Value;
    };
    TErrorDiffusionDitherer(int width, TColorLookup& lookup, std::vector<Weight> kernel,
                            int divisor);
    std::uint8_t Dither(std::uint8_t& red, std::uint8_t& green, std::uint8_t& blue) override;
    void NextLine() override;

private:
    int* Row(int dy) { return FErrors.data() + ((FFirstRow + dy) % FRows) * FStride; }

    std::vector<Weight> FKernel;
    int FDivisor;
    int FMargin = 0;
    int FRows = 1;
    int FStride = 0;
    int FFirstRow = 0;
    std::vector<int> FErrors; // per row: (width + 2 × margin) × 3 channels
};

class TFloydSteinbergDitherer : public TErrorDiffusionDitherer {
public:
    TFloydSteinbergDitherer(int width, TColorLookup& lookup);
};

// Kernels spanning 5 columns and 3 rows.
class T5by3Ditherer : public TErrorDiffusionDitherer {
protected:
    T5by3Ditherer(int width, TColorLookup& lookup, const int (&weights)[3][5], int divisor);
};

class TStuckiDitherer : public T5by3Ditherer {
public:
    TStuckiDitherer(int width, TColorLookup& lookup);
};

class TSierraDitherer : public T5by3Ditherer {
public:
    TSierraDitherer(int width, TColorLookup& lookup);
};

class TJaJuNiDitherer : public T5by3Ditherer {
public:
    TJaJuNiDitherer(int width, TColorLookup& lookup);
};

class TSteveArcheDitherer : public TErrorDiffusionDitherer {
public:
    TSteveArcheDitherer(int width, TColorLookup& lookup);
};

class TBurkesDitherer : public TErrorDiffusionDitherer {
public:
    TBurkesDitherer(int width, TColorLookup& lookup);
};

// Octree colour quantizer: at most maxColors representative colours.
class TColorQuantizer {
public:
    explicit TColorQuantizer(int maxColors, int colorBits = 8);
    ~TColorQuantizer();
    TColorQuantizer(const TColorQuantizer&) = delete;
    TColorQuantizer& operator=(const TColorQuantizer&) = delete;
    void AddColor(std::uint8_t red, std::uint8_t green, std::uint8_t blue);
    std::vector<TGIFColor> Palette() const;

private:
    struct Node;
    void Reduce();

    std::unique_ptr<Node> FRoot;
    std::vector<Node*> FReducible[8];
    int FLeaves = 0;
    int FMaxColors;
    int FColorBits;
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

// The 216 web-cube colours: entry r·36 + g·6 + b is (51r, 51g, 51b).
std::vector<TGIFColor> WebCubePalette();
// Stand-ins for the platform palettes of ReduceSystem20 and ReduceHalftone.
std::vector<TGIFColor> SystemPalette20();
std::vector<TGIFColor> HalftonePalette();

// Reduces source to one palette. Raises "Invalid image dimensions" for a 0
// width or height and "Failed to allocate memory for GIF DIB" when the
// result does not fit in memory.
TGIFDib ReduceColors(const TGIFRowSource& source, int method, int dither, int bits,
                     const std::vector<TGIFColor>* palette);

} // namespace sorvak
