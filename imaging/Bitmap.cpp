#include "imaging/Bitmap.h"

#include <cstdlib>
#include <cstring>
#include <limits>
#include <mutex>
#include <new>

#include "base/Exception.h"

namespace sorvak {

namespace {

// Serialises sharing and replacing pictures; never contended with one thread.
std::mutex& ImageLock() {
    static std::mutex lock;
    return lock;
}

std::shared_ptr<TBitmapImage> EmptyImage() {
    return std::make_shared<TBitmapImage>();
}

// What a display of 8 or 4 bits would offer when the clipboard brings no
// palette: the 16 standard colours, then (for 8 bits) a 6x6x6 cube and greys.
std::vector<TRGBQuad> DisplayColors(int depth) {
    static const std::uint8_t vga[16][3] = {
        {0, 0, 0},     {128, 0, 0},     {0, 128, 0},     {128, 128, 0},  {0, 0, 128}, {128, 0, 128},
        {0, 128, 128}, {192, 192, 192}, {128, 128, 128}, {255, 0, 0},    {0, 255, 0}, {255, 255, 0},
        {0, 0, 255},   {255, 0, 255},   {0, 255, 255},   {255, 255, 255}};
    std::vector<TRGBQuad> colors;
    for (const auto& c : vga)
        colors.push_back({c[2], c[1], c[0], 0});
    if (depth == 8) {
        for (int r = 0; r < 6; ++r)
            for (int g = 0; g < 6; ++g)
                for (int b = 0; b < 6; ++b)
                    colors.push_back({static_cast<std::uint8_t>(b * 51),
                                      static_cast<std::uint8_t>(g * 51),
                                      static_cast<std::uint8_t>(r * 51), 0});
        for (int i = 0; colors.size() < 256; ++i) {
            auto v = static_cast<std::uint8_t>(8 + i * 10);
            colors.push_back({v, v, v, 0});
        }
    }
    colors.resize(std::size_t{1} << depth);
    return colors;
}

std::vector<TRGBQuad> ColorTableOf(const TBitmapImage& image) {
    const int depth = image.Depth();
    if (depth > 8)
        return {};
    if (depth == 1)
        return {{0, 0, 0, 0}, {255, 255, 255, 0}};
    if (image.Palette) {
        std::vector<TRGBQuad> colors;
        for (const auto& e : *image.Palette) {
            if (colors.size() == 256)
                break;
            colors.push_back({e.Blue, e.Green, e.Red, 0});
        }
        colors.resize(std::size_t{1} << depth);
        return colors;
    }
    return DisplayColors(depth);
}

unsigned IndexAt(const std::uint8_t* row, std::int64_t x, int depth) {
    switch (depth) {
    case 1:
        return (row[x >> 3] >> (7 - (x & 7))) & 1;
    case 4:
        return (row[x >> 1] >> ((x & 1) ? 0 : 4)) & 0xF;
    default:
        return row[x];
    }
}

} // namespace

std::size_t TBitmap::RowStride(std::int64_t width, int bitCount) {
    if (width < 0 || bitCount <= 0 || bitCount > 32)
        return 0;
    // width < 2^31 and bitCount <= 32, so this fits 64 bits easily.
    const std::uint64_t stride = ((static_cast<std::uint64_t>(width) * bitCount + 31) / 32) * 4;
    if (stride > std::numeric_limits<std::size_t>::max() / 2)
        return 0;
    return static_cast<std::size_t>(stride);
}

TBitmap::TBitmap() : FImage(EmptyImage()) {}

void TBitmap::LoadClipboardBitmap(unsigned format, DeviceBitmap* data,
                                  const DevicePalette* palette) {
    if (format != CF_BITMAP || data == nullptr)
        throw Exception(SORVAK_TEXT("sorvak", "未対応のクリップボード データです"));
    const int bpp = data->BitsPerPixel;
    if (data->Width < 0 || data->Planes != 1 ||
        (bpp != 1 && bpp != 4 && bpp != 8 && bpp != 24 && bpp != 32))
        throw Exception(SORVAK_TEXT("sorvak", "ビットマップイメージが不正です"));
    const std::int64_t width = data->Width;
    const std::int64_t height = std::abs(static_cast<std::int64_t>(data->Height));
    if (height > std::numeric_limits<std::int32_t>::max())
        throw Exception(SORVAK_TEXT("sorvak", "ビットマップイメージが不正です"));

    auto image = std::make_shared<TBitmapImage>();
    image->Width = static_cast<std::int32_t>(width);
    image->Height = static_cast<std::int32_t>(height);
    image->Planes = 1;
    image->BitsPerPixel = static_cast<std::uint16_t>(bpp);
    if (palette != nullptr)
        image->Palette = palette->Entries;

    if (width != 0 && height != 0) {
        const std::size_t stride = RowStride(width, bpp);
        if (stride == 0 ||
            static_cast<std::uint64_t>(height) > std::numeric_limits<std::size_t>::max() / stride)
            throw Exception(SORVAK_TEXT("sorvak", "ビットマップイメージが不正です"));
        const std::size_t total = stride * static_cast<std::size_t>(height);
        if (data->Bits.size() < total)
            throw Exception(SORVAK_TEXT("sorvak", "ビットマップイメージが不正です"));
        image->Bits = std::move(data->Bits);
        data->Bits.clear();
        image->Bits.resize(total);
        image->Bits.shrink_to_fit();

        // Bottom row first, as the device-independent form wants it; padding
        // and the unused fourth byte of 32-bit pixels become zero.
        std::uint8_t* bits = image->Bits.data();
        const std::size_t used = static_cast<std::size_t>((width * bpp + 7) / 8);
        const int tailBits = static_cast<int>((width * bpp) % 8);
        auto clean = [&](std::uint8_t* row) {
            if (bpp == 32)
                for (std::size_t x = 3; x < used; x += 4)
                    row[x] = 0;
            if (tailBits != 0)
                row[used - 1] &= static_cast<std::uint8_t>(0xFF00 >> tailBits);
            std::memset(row + used, 0, stride - used);
        };
        std::vector<std::uint8_t> tmp(stride);
        for (std::int64_t top = 0, bottom = height - 1; top <= bottom; ++top, --bottom) {
            std::uint8_t* a = bits + static_cast<std::size_t>(top) * stride;
            std::uint8_t* b = bits + static_cast<std::size_t>(bottom) * stride;
            if (a != b) {
                std::memcpy(tmp.data(), a, stride);
                std::memcpy(a, b, stride);
                std::memcpy(b, tmp.data(), stride);
                clean(b);
            }
            clean(a);
        }
    }
    ReplaceImage(std::move(image));
    FPixelFormat = TPixelFormat::pfDevice;
    FTransparent = false;
}

void TBitmap::ReplaceImage(std::shared_ptr<TBitmapImage> image) {
    std::shared_ptr<TBitmapImage> old;
    {
        std::lock_guard guard(ImageLock());
        old = std::move(FImage);
        FImage = std::move(image);
    }
    // old is released outside the lock.
}

void TBitmap::AssignFrom(const TBitmap& source) {
    AssignFrom(&source);
}

void TBitmap::AssignFrom(const TBitmap* source) {
    if (source == this)
        return;
    if (source == nullptr) {
        ReplaceImage(EmptyImage());
        FPixelFormat = TPixelFormat::pfDevice;
        return;
    }
    std::shared_ptr<TBitmapImage> shared;
    {
        std::lock_guard guard(ImageLock());
        shared = source->FImage;
    }
    ReplaceImage(std::move(shared));
    FPixelFormat = source->FPixelFormat;
    FTransparent = source->FTransparent;
}

void TBitmap::MakeDib() const {
    std::lock_guard guard(ImageLock());
    TBitmapImage& image = *FImage;
    if (image.HasDib)
        return;
    TBitmapInfoHeader header;
    header.Width = image.Width;
    header.Height = image.Height;
    header.BitCount = static_cast<std::uint16_t>(image.Depth());
    const std::uint64_t size = static_cast<std::uint64_t>(RowStride(image.Width, image.Depth())) *
                               static_cast<std::uint64_t>(image.Height);
    header.SizeImage = size > 0xFFFFFFFFu ? 0 : static_cast<std::uint32_t>(size);
    image.DibColors = ColorTableOf(image);
    image.DibHeader = header;
    image.HasDib = true;
}

const TBitmapInfoHeader& TBitmap::DibHeader() const {
    MakeDib();
    return FImage->DibHeader;
}

const std::vector<TRGBQuad>& TBitmap::DibColors() const {
    MakeDib();
    return FImage->DibColors;
}

std::vector<TRGBQuad> TBitmap::ColorTable() const {
    return ColorTableOf(*FImage);
}

const std::uint8_t* TBitmap::ScanLine(std::int32_t y) const {
    const TBitmapImage& image = *FImage;
    if (image.Empty() || y < 0 || y >= image.Height)
        throw Exception(SORVAK_TEXT("sorvak", "ビットマップイメージが不正です"));
    return image.Bits.data() +
           static_cast<std::size_t>(image.Height - 1 - y) * RowStride(image.Width, image.Depth());
}

void TBitmap::ReadRow(std::int32_t y, int bitCount, std::uint8_t* out) const {
    const TBitmapImage& image = *FImage;
    const int depth = image.Depth();
    if (image.Empty() || y < 0 || y >= image.Height)
        throw Exception(SORVAK_TEXT("sorvak", "ビットマップイメージが不正です"));
    const std::size_t srcStride = RowStride(image.Width, depth);
    const std::uint8_t* src = ScanLine(y);
    const std::size_t width = static_cast<std::size_t>(image.Width);
    if (bitCount == depth) {
        std::memcpy(out, src, srcStride);
        return;
    }
    if (bitCount != 24 && bitCount != 32)
        throw Exception(SORVAK_TEXT("sorvak", "ビットマップイメージが不正です"));
    const std::size_t outStride = RowStride(image.Width, bitCount);
    const std::size_t step = static_cast<std::size_t>(bitCount / 8);
    std::uint8_t* o = out;
    if (depth == 32 && bitCount == 24) {
        // Four bytes stored per pixel, the next pixel overwriting the fourth;
        // the last pixel is copied bytewise so nothing is written past the row.
        std::size_t x = 0;
        for (; x + 1 < width; ++x, o += 3, src += 4)
            std::memcpy(o, src, 4);
        for (; x < width; ++x, o += 3, src += 4)
            std::memcpy(o, src, 3);
    } else if (depth == 24) {
        for (std::size_t x = 0; x < width; ++x, o += 4, src += 3) {
            o[0] = src[0];
            o[1] = src[1];
            o[2] = src[2];
            o[3] = 0;
        }
    } else {
        const std::vector<TRGBQuad> colors = ColorTableOf(image);
        for (std::size_t x = 0; x < width; ++x, o += step) {
            const TRGBQuad& c = colors[IndexAt(src, static_cast<std::int64_t>(x), depth)];
            o[0] = c.Blue;
            o[1] = c.Green;
            o[2] = c.Red;
            if (step == 4)
                o[3] = 0;
        }
    }
    std::memset(out + width * step, 0, outStride - width * step);
}

void TBitmap::SetPixelFormat(TPixelFormat format) {
    if (format == FPixelFormat)
        return;
    int bitCount = 0;
    if (format == TPixelFormat::pf24bit)
        bitCount = 24;
    else if (format == TPixelFormat::pf32bit)
        bitCount = 32;
    else
        throw Exception(SORVAK_TEXT("sorvak", "ビットマップイメージが不正です"));
    auto image = std::make_shared<TBitmapImage>();
    image->Width = FImage->Width;
    image->Height = FImage->Height;
    image->Planes = 1;
    image->BitsPerPixel = static_cast<std::uint16_t>(bitCount);
    image->Palette = FImage->Palette;
    if (!FImage->Empty()) {
        const std::size_t stride = RowStride(image->Width, bitCount);
        if (stride == 0 || static_cast<std::uint64_t>(image->Height) >
                               std::numeric_limits<std::size_t>::max() / stride)
            throw Exception(SORVAK_TEXT("sorvak", "システム リソースが足りません"));
        try {
            image->Bits.resize(stride * static_cast<std::size_t>(image->Height));
        } catch (const std::bad_alloc&) {
            // The picture memory is the drawing resource that could not be made.
            throw Exception(SORVAK_TEXT("sorvak", "システム リソースが足りません"));
        }
        for (std::int32_t y = 0; y < image->Height; ++y)
            ReadRow(y, bitCount,
                    image->Bits.data() + static_cast<std::size_t>(image->Height - 1 - y) * stride);
    }
    // The old picture stays as it was for the bitmaps that share it.
    ReplaceImage(std::move(image));
    FPixelFormat = format;
}

std::uint8_t* TBitmap::MutableBits() {
    std::shared_ptr<TBitmapImage> copy;
    {
        std::lock_guard guard(ImageLock());
        if (FImage.use_count() > 1) {
            copy = std::make_shared<TBitmapImage>(*FImage);
        } else {
            FImage->HasDib = false;
            FImage->DibColors.clear();
            FImage->DibHeader.ClrUsed = 0;
            FImage->DibHeader.ClrImportant = 0;
        }
    }
    if (copy) {
        copy->HasDib = false;
        copy->DibColors.clear();
        ReplaceImage(std::move(copy));
    }
    return FImage->Bits.data();
}

} // namespace sorvak
