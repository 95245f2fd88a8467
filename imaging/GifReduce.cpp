#include "imaging/GifReduce.h"

#include "base/Exception.h"

#include <algorithm>
#include <cstdlib>
#include <new>
#include <stdexcept>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace sorvak {

namespace {

std::uint8_t Clamp(int v) {
    return static_cast<std::uint8_t>(v < 0 ? 0 : v > 255 ? 255 : v);
}

int Luminance(int r, int g, int b) {
    return 77 * r + 150 * g + 29 * b;
}

template <typename T> void Allocate(std::vector<T>& v, std::size_t n) {
    try {
        v.assign(n, T{});
    } catch (const std::bad_alloc&) {
        throw Exception("Failed to allocate memory for GIF DIB");
    } catch (const std::length_error&) {
        throw Exception("Failed to allocate memory for GIF DIB");
    }
}

std::unique_ptr<TDitherEngine> MakeEngine(int dither, int width, TColorLookup& lookup) {
    switch (dither) {
    case DitherOff:
        return std::make_unique<TDitherEngine>(width, lookup);
    case DitherFloydSteinberg:
        return std::make_unique<TFloydSteinbergDitherer>(width, lookup);
    case DitherStucki:
        return std::make_unique<TStuckiDitherer>(width, lookup);
    case DitherSierra:
        return std::make_unique<TSierraDitherer>(width, lookup);
    case DitherJaJuNi:
        return std::make_unique<TJaJuNiDitherer>(width, lookup);
    case DitherSteveArche:
        return std::make_unique<TSteveArcheDitherer>(width, lookup);
    case DitherBurkes:
        return std::make_unique<TBurkesDitherer>(width, lookup);
    default:
        return nullptr;
    }
}

std::vector<TGIFColor> Greys(std::initializer_list<int> levels) {
    std::vector<TGIFColor> out;
    for (int v : levels)
        out.push_back({Clamp(v), Clamp(v), Clamp(v)});
    return out;
}

} // namespace

// --- palettes ---------------------------------------------------------------

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

// --- lookups ----------------------------------------------------------------

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

// --- scan engines -----------------------------------------------------------

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
    Allocate(FErrors, static_cast<std::size_t>(FStride) * static_cast<std::size_t>(FRows));
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

namespace {

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

// --- octree quantizer -------------------------------------------------------

struct TColorQuantizer::Node {
    bool Leaf = false;
    std::uint64_t Count = 0, Red = 0, Green = 0, Blue = 0;
    std::unique_ptr<Node> Child[8];
};

TColorQuantizer::TColorQuantizer(int maxColors, int colorBits)
    : FRoot(std::make_unique<Node>()), FMaxColors(std::max(maxColors, 1)),
      FColorBits(std::clamp(colorBits, 1, 8)) {
    FReducible[0].push_back(FRoot.get());
}

TColorQuantizer::~TColorQuantizer() = default;

void TColorQuantizer::AddColor(std::uint8_t red, std::uint8_t green, std::uint8_t blue) {
    Node* node = FRoot.get();
    for (int level = 0; !node->Leaf; ++level) {
        const int shift = 7 - level;
        const int i =
            ((red >> shift) & 1) << 2 | ((green >> shift) & 1) << 1 | ((blue >> shift) & 1);
        if (!node->Child[i]) {
            node->Child[i] = std::make_unique<Node>();
            if (level + 1 == FColorBits) {
                node->Child[i]->Leaf = true;
                ++FLeaves;
            } else {
                FReducible[level + 1].push_back(node->Child[i].get());
            }
        }
        node = node->Child[i].get();
    }
    node->Count += 1;
    node->Red += red;
    node->Green += green;
    node->Blue += blue;
    while (FLeaves > FMaxColors)
        Reduce();
}

void TColorQuantizer::Reduce() {
    // Merge the deepest reducible node's children into it; deeper levels are
    // emptied first, so every child is a leaf by then.
    int level = 7;
    while (level > 0 && FReducible[level].empty())
        --level;
    if (FReducible[level].empty())
        return;
    Node* node = FReducible[level].back();
    FReducible[level].pop_back();
    int children = 0;
    for (auto& child : node->Child) {
        if (!child)
            continue;
        node->Count += child->Count;
        node->Red += child->Red;
        node->Green += child->Green;
        node->Blue += child->Blue;
        child.reset();
        ++children;
    }
    node->Leaf = true;
    FLeaves -= children - 1;
}

std::vector<TGIFColor> TColorQuantizer::Palette() const {
    std::vector<TGIFColor> out;
    std::vector<const Node*> stack{FRoot.get()};
    while (!stack.empty()) {
        const Node* node = stack.back();
        stack.pop_back();
        if (node->Leaf) {
            if (node->Count > 0)
                out.push_back({static_cast<std::uint8_t>(node->Red / node->Count),
                               static_cast<std::uint8_t>(node->Green / node->Count),
                               static_cast<std::uint8_t>(node->Blue / node->Count)});
            continue;
        }
        for (int i = 7; i >= 0; --i)
            if (node->Child[i])
                stack.push_back(node->Child[i].get());
    }
    return out;
}

// --- reduction --------------------------------------------------------------

namespace {

std::vector<TGIFColor> OctreePalette(const TGIFRowSource& source, std::vector<std::uint8_t>& row,
                                     int colors) {
    TColorQuantizer quantizer(colors);
    const int step = source.BytesPerPixel;
    for (int y = 0; y < source.Height; ++y) {
        const std::uint8_t* in = source.ReadRow(y, row.data());
        for (int x = 0; x < source.Width; ++x)
            quantizer.AddColor(in[x * step + 2], in[x * step + 1], in[x * step]);
    }
    return quantizer.Palette();
}

// Web-cube indices of blue, green, red, unused pixels, 16 at a time; returns
// how many pixels it mapped (a multiple of 16). (c + 3) div 51 equals
// ((c + 3) × 1286) shr 16 for every c from 0 to 255.
int MapCubeRow32(const std::uint8_t* in, std::uint8_t* out, int width) {
#if defined(__SSE2__)
    const __m128i low = _mm_set1_epi32(0xFF);
    const __m128i three = _mm_set1_epi16(3);
    const __m128i scale = _mm_set1_epi16(1286);
    const __m128i by36 = _mm_set1_epi16(36);
    const __m128i by6 = _mm_set1_epi16(6);
    auto level = [&](__m128i a, __m128i b, int shift) {
        // One channel of 8 pixels as 16-bit lanes, then its cube level.
        const __m128i ca = _mm_and_si128(_mm_srli_epi32(a, shift), low);
        const __m128i cb = _mm_and_si128(_mm_srli_epi32(b, shift), low);
        return _mm_mulhi_epu16(_mm_add_epi16(_mm_packs_epi32(ca, cb), three), scale);
    };
    auto index8 = [&](const std::uint8_t* p) {
        const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
        const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16));
        const __m128i blue = level(a, b, 0);
        const __m128i green = level(a, b, 8);
        const __m128i red = level(a, b, 16);
        return _mm_add_epi16(_mm_add_epi16(_mm_mullo_epi16(red, by36), _mm_mullo_epi16(green, by6)),
                             blue);
    };
    int x = 0;
    for (; x + 16 <= width; x += 16, in += 64)
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + x),
                         _mm_packus_epi16(index8(in), index8(in + 32)));
    return x;
#else
    (void)in;
    (void)out;
    (void)width;
    return 0;
#endif
}

TGIFDib CopyRgb(const TGIFRowSource& source, std::vector<std::uint8_t>& row) {
    TGIFDib dib;
    Allocate(dib.Pixels, static_cast<std::size_t>(source.Width) * source.Height * 3);
    dib.Width = source.Width;
    dib.Height = source.Height;
    dib.BitCount = 24;
    const int step = source.BytesPerPixel;
    for (int y = 0; y < source.Height; ++y) {
        const std::uint8_t* in = source.ReadRow(y, row.data());
        std::uint8_t* out = dib.Pixels.data() + static_cast<std::size_t>(y) * source.Width * 3;
        for (int x = 0; x < source.Width; ++x, out += 3) {
            out[0] = in[x * step + 2];
            out[1] = in[x * step + 1];
            out[2] = in[x * step];
        }
    }
    return dib;
}

} // namespace

TGIFDib ReduceColors(const TGIFRowSource& source, int method, int dither, int bits,
                     const std::vector<TGIFColor>* palette) {
    if (source.Width <= 0 || source.Height <= 0)
        throw Exception("Invalid image dimensions");
    const int step = source.BytesPerPixel;
    std::vector<std::uint8_t> row;
    Allocate(row, static_cast<std::size_t>(source.Width) * step);

    if (method == ReduceNone)
        return CopyRgb(source, row);

    std::vector<TGIFColor> colors;
    std::unique_ptr<TColorLookup> lookup;
    switch (method) {
    case ReduceSystem20:
        colors = SystemPalette20();
        break;
    case ReduceHalftone:
        colors = HalftonePalette();
        break;
    case ReduceGray4:
        colors = Greys({0, 128, 192, 255});
        break;
    case ReduceMonochrome:
        colors = Greys({0, 255});
        lookup = std::make_unique<TMonochromeLookup>();
        break;
    case ReduceGray256:
        for (int i = 0; i < 256; ++i)
            colors.push_back({Clamp(i), Clamp(i), Clamp(i)});
        lookup = std::make_unique<TGrayScaleLookup>();
        break;
    case ReduceWebCube:
        colors = WebCubePalette();
        lookup = std::make_unique<TNetscapeColorLookup>();
        break;
    case ReduceOctree:
        colors = OctreePalette(source, row, 1 << std::clamp(bits, 1, 8));
        break;
    case ReduceOctreeSystem: {
        colors = OctreePalette(source, row, 236);
        const auto system = SystemPalette20();
        colors.insert(colors.end(), system.begin(), system.end());
        break;
    }
    case ReduceCustomPalette:
        if (palette != nullptr)
            colors = *palette;
        break;
    default:
        return {};
    }
    if (colors.size() > 256)
        colors.resize(256);
    if (!lookup)
        lookup = std::make_unique<TFastColorLookup>(colors);
    if (lookup->Colors() == 0)
        return {};
    std::unique_ptr<TDitherEngine> engine = MakeEngine(dither, source.Width, *lookup);
    if (!engine)
        return {};

    TGIFDib dib;
    dib.Width = source.Width;
    dib.Height = source.Height;
    dib.BitCount = 8;
    dib.Colors = colors;
    dib.Colors.resize(256); // unused entries are black
    Allocate(dib.Pixels, static_cast<std::size_t>(source.Width) * source.Height);

    const auto* cube = dynamic_cast<const TNetscapeColorLookup*>(lookup.get());
    const bool direct = cube != nullptr && dither == DitherOff;
    for (int y = 0; y < source.Height; ++y) {
        const std::uint8_t* in = source.ReadRow(y, row.data());
        std::uint8_t* out = dib.Pixels.data() + static_cast<std::size_t>(y) * source.Width;
        if (direct) {
            // Without dithering no error moves between pixels, so the scan
            // order cannot change the result: map the row in one pass.
            int x = step == 4 ? MapCubeRow32(in, out, source.Width) : 0;
            for (in += x * step; x < source.Width; ++x, in += step)
                out[x] = cube->Index(in[2], in[1], in[0]);
            continue;
        }
        for (int x = engine->Column(); x >= 0 && x < source.Width; x = engine->Column()) {
            std::uint8_t r = in[x * step + 2], g = in[x * step + 1], b = in[x * step];
            out[x] = engine->Dither(r, g, b);
        }
        engine->NextLine();
    }
    return dib;
}

} // namespace sorvak
