#pragma once
// Scan engines of the GIF colour reduction: the order in which pixels meet
// the palette lookup, and the error diffusion between them.
#include <cstdint>
#include <vector>

#include "imaging/GifColorLookup.h"

namespace sorvak {

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

} // namespace sorvak
