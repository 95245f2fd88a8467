#include "imaging/GifReduce.h"

#include "base/Exception.h"
#include "imaging/GifBuffers.h"
#include "imaging/GifColorLookup.h"
#include "imaging/GifDitherers.h"
#include "imaging/GifOctree.h"

#include <algorithm>
#include <memory>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace sorvak {

namespace {

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
    AllocateGifBuffer(dib.Pixels, static_cast<std::size_t>(source.Width) * source.Height * 3);
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
        throw Exception(SORVAK_TEXT("sorvak", "Invalid image dimensions"));
    const int step = source.BytesPerPixel;
    std::vector<std::uint8_t> row;
    AllocateGifBuffer(row, static_cast<std::size_t>(source.Width) * step);

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
        colors = Gray4Palette();
        break;
    case ReduceMonochrome:
        colors = MonochromePalette();
        lookup = std::make_unique<TMonochromeLookup>();
        break;
    case ReduceGray256:
        colors = Gray256Palette();
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
    AllocateGifBuffer(dib.Pixels, static_cast<std::size_t>(source.Width) * source.Height);

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
