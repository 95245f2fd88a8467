#include "imaging/GifDitherers.h"

#include "imaging/GifBuffers.h"

#include <algorithm>
#include <cstdlib>

namespace sorvak {

namespace {

std::uint8_t Clamp(int v) {
    return static_cast<std::uint8_t>(v < 0 ? 0 : v > 255 ? 255 : v);
}

std::vector<TErrorDiffusionDitherer::Weight> Kernel5by3(const int (&weights)[3][5]) {
    std::vector<TErrorDiffusionDitherer::Weight> out;
    for (int dy = 0; dy < 3; ++dy)
        for (int dx = -2; dx <= 2; ++dx)
            if (weights[dy][dx + 2] != 0)
                out.push_back({dx, dy, weights[dy][dx + 2]});
    return out;
}

constexpr int kStucki[3][5] = {{0, 0, 0, 8, 4}, {2, 4, 8, 4, 2}, {1, 2, 4, 2, 1}};
constexpr int kSierra[3][5] = {{0, 0, 0, 5, 3}, {2, 4, 5, 4, 2}, {0, 2, 3, 2, 0}};
constexpr int kJaJuNi[3][5] = {{0, 0, 0, 7, 5}, {3, 5, 7, 5, 3}, {1, 3, 5, 3, 1}};

} // namespace

std::uint8_t TDitherEngine::Dither(std::uint8_t& red, std::uint8_t& green, std::uint8_t& blue) {
    const std::uint8_t index = FLookup.Lookup(red, green, blue);
    FColumn += FDirection;
    return index;
}

void TDitherEngine::NextLine() {
    FDirection = -FDirection;
    FColumn = FDirection > 0 ? 0 : FWidth - 1;
}

TErrorDiffusionDitherer::TErrorDiffusionDitherer(int width, TColorLookup& lookup,
                                                 std::vector<Weight> kernel, int divisor)
    : TDitherEngine(width, lookup), FKernel(std::move(kernel)), FDivisor(divisor) {
    for (const Weight& w : FKernel) {
        FMargin = std::max(FMargin, std::abs(w.Dx));
        FRows = std::max(FRows, w.Dy + 1);
    }
    FStride = (width + 2 * FMargin) * 3;
    AllocateGifBuffer(FErrors, static_cast<std::size_t>(FStride) * static_cast<std::size_t>(FRows));
}

std::uint8_t TErrorDiffusionDitherer::Dither(std::uint8_t& red, std::uint8_t& green,
                                             std::uint8_t& blue) {
    const int x = FColumn + FMargin;
    const int* error = Row(0) + x * 3;
    const int r = Clamp(red + error[0] / FDivisor);
    const int g = Clamp(green + error[1] / FDivisor);
    const int b = Clamp(blue + error[2] / FDivisor);
    red = static_cast<std::uint8_t>(r);
    green = static_cast<std::uint8_t>(g);
    blue = static_cast<std::uint8_t>(b);
    const std::uint8_t index = FLookup.Lookup(red, green, blue);
    const int er = r - red, eg = g - green, eb = b - blue;
    for (const Weight& w : FKernel) {
        int* target = Row(w.Dy) + (x + w.Dx * FDirection) * 3;
        target[0] += er * w.Value;
        target[1] += eg * w.Value;
        target[2] += eb * w.Value;
    }
    FColumn += FDirection;
    return index;
}

void TErrorDiffusionDitherer::NextLine() {
    int* done = Row(0);
    std::fill(done, done + FStride, 0);
    FFirstRow = (FFirstRow + 1) % FRows;
    TDitherEngine::NextLine();
}

TFloydSteinbergDitherer::TFloydSteinbergDitherer(int width, TColorLookup& lookup)
    : TErrorDiffusionDitherer(width, lookup, {{1, 0, 7}, {-1, 1, 3}, {0, 1, 5}, {1, 1, 1}}, 16) {}

T5by3Ditherer::T5by3Ditherer(int width, TColorLookup& lookup, const int (&weights)[3][5],
                             int divisor)
    : TErrorDiffusionDitherer(width, lookup, Kernel5by3(weights), divisor) {}

TStuckiDitherer::TStuckiDitherer(int width, TColorLookup& lookup)
    : T5by3Ditherer(width, lookup, kStucki, 42) {}

TSierraDitherer::TSierraDitherer(int width, TColorLookup& lookup)
    : T5by3Ditherer(width, lookup, kSierra, 32) {}

TJaJuNiDitherer::TJaJuNiDitherer(int width, TColorLookup& lookup)
    : T5by3Ditherer(width, lookup, kJaJuNi, 48) {}

TSteveArcheDitherer::TSteveArcheDitherer(int width, TColorLookup& lookup)
    : TErrorDiffusionDitherer(width, lookup,
                              {{2, 0, 32},
                               {-3, 1, 12},
                               {-1, 1, 26},
                               {1, 1, 30},
                               {3, 1, 16},
                               {-2, 2, 12},
                               {0, 2, 26},
                               {2, 2, 12},
                               {-3, 3, 5},
                               {-1, 3, 12},
                               {1, 3, 12},
                               {3, 3, 5}},
                              200) {}

TBurkesDitherer::TBurkesDitherer(int width, TColorLookup& lookup)
    : TErrorDiffusionDitherer(
          width, lookup,
          {{1, 0, 8}, {2, 0, 4}, {-2, 1, 2}, {-1, 1, 4}, {0, 1, 8}, {1, 1, 4}, {2, 1, 2}}, 32) {}

} // namespace sorvak
