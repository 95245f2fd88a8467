#pragma once
// Pictures for the writer tests: a top-down RGB picture as the expected
// result, and the clipboard bitmap made from it the way the platform does.
#include <cstdint>
#include <functional>
#include <memory>
#include <random>
#include <vector>

#include "imaging/Bitmap.h"
#include "imaging/Stream.h"

namespace sorvak::test {

struct Rgb {
    std::uint8_t R = 0, G = 0, B = 0;
    friend bool operator==(const Rgb&, const Rgb&) = default;
};

struct Picture {
    int Width = 0, Height = 0;
    std::vector<Rgb> Pixels; // top row first
    Rgb At(int x, int y) const { return Pixels[static_cast<std::size_t>(y) * Width + x]; }
};

inline Picture MakePicture(int w, int h, const std::function<Rgb(int, int)>& fn) {
    Picture p{w, h, {}};
    p.Pixels.reserve(static_cast<std::size_t>(w) * h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            p.Pixels.push_back(fn(x, y));
    return p;
}

// Flat runs, noise and a gradient, different in every corner, from a seed.
inline Picture RandomPicture(int w, int h, unsigned seed) {
    std::mt19937 rng(seed);
    Picture p{w, h, std::vector<Rgb>(static_cast<std::size_t>(w) * h)};
    Rgb run{};
    for (std::size_t i = 0; i < p.Pixels.size(); ++i) {
        const unsigned r = rng() % 8;
        if (r == 0)
            run = {static_cast<std::uint8_t>(rng()), static_cast<std::uint8_t>(rng()),
                   static_cast<std::uint8_t>(rng())};
        if (r == 1)
            p.Pixels[i] = {static_cast<std::uint8_t>(rng()), static_cast<std::uint8_t>(rng()),
                           static_cast<std::uint8_t>(rng())};
        else if (r == 2)
            p.Pixels[i] = {static_cast<std::uint8_t>(i % w * 255 / w),
                           static_cast<std::uint8_t>(i / w * 255 / h), 77};
        else
            p.Pixels[i] = run;
    }
    return p;
}

// Red top left, green top right, blue bottom left, white bottom right: a
// flipped or mirrored picture, or swapped channels, do not match.
inline Rgb Quadrant(int x, int y, int w, int h) {
    const bool right = x >= w / 2, bottom = y >= h / 2;
    if (!right && !bottom)
        return {255, 0, 0};
    if (right && !bottom)
        return {0, 255, 0};
    if (!right)
        return {0, 0, 255};
    return {255, 255, 255};
}

inline DeviceBitmap Device32(const Picture& p) {
    DeviceBitmap d;
    d.Width = p.Width;
    d.Height = p.Height;
    d.BitsPerPixel = 32;
    d.Bits.resize(static_cast<std::size_t>(p.Width) * 4 * p.Height);
    std::uint8_t* o = d.Bits.data();
    for (const Rgb& c : p.Pixels) {
        *o++ = c.B;
        *o++ = c.G;
        *o++ = c.R;
        *o++ = 0xA5; // whatever the platform leaves there plays no part
    }
    return d;
}

inline DeviceBitmap Device24(const Picture& p) {
    DeviceBitmap d;
    d.Width = p.Width;
    d.Height = p.Height;
    d.BitsPerPixel = 24;
    const std::size_t stride = TBitmap::RowStride(p.Width, 24);
    d.Bits.assign(stride * p.Height, 0x5A);
    for (int y = 0; y < p.Height; ++y)
        for (int x = 0; x < p.Width; ++x) {
            std::uint8_t* o = &d.Bits[stride * y + 3 * static_cast<std::size_t>(x)];
            o[0] = p.At(x, y).B;
            o[1] = p.At(x, y).G;
            o[2] = p.At(x, y).R;
        }
    return d;
}

// Indexed device rows (1, 4 or 8 bits) from an index function; padding bytes
// are filled with junk the loader must clean.
inline DeviceBitmap DeviceIndexed(int w, int h, int bpp,
                                  const std::function<unsigned(int, int)>& fn) {
    DeviceBitmap d;
    d.Width = w;
    d.Height = h;
    d.BitsPerPixel = static_cast<std::uint16_t>(bpp);
    const std::size_t stride = TBitmap::RowStride(w, bpp);
    d.Bits.assign(stride * h, 0xFF);
    for (int y = 0; y < h; ++y) {
        std::uint8_t* row = d.Bits.data() + stride * y;
        std::fill(row, row + (static_cast<std::size_t>(w) * bpp + 7) / 8, 0);
        for (int x = 0; x < w; ++x) {
            const unsigned v = fn(x, y);
            const std::size_t bit = static_cast<std::size_t>(x) * bpp;
            row[bit / 8] |= static_cast<std::uint8_t>(v << (8 - bpp - bit % 8));
        }
    }
    return d;
}

inline std::unique_ptr<TBitmap> Load(DeviceBitmap d, const DevicePalette* palette = nullptr) {
    auto b = std::make_unique<TBitmap>();
    b->LoadClipboardBitmap(CF_BITMAP, &d, palette);
    return b;
}

inline std::unique_ptr<TBitmap> Load(const Picture& p, const DevicePalette* palette = nullptr) {
    return Load(Device32(p), palette);
}

inline std::vector<std::uint8_t> Bytes(TGraphic& g) {
    TMemoryStream s;
    g.WriteToStream(s);
    return s.Take();
}

// Takes everything and keeps only the count and a checksum, so huge outputs
// need no memory.
class CountingStream : public TStream {
public:
    std::size_t Write(const void* data, std::size_t count) override {
        const auto* p = static_cast<const std::uint8_t*>(data);
        for (std::size_t i = 0; i < count; ++i)
            Sum = Sum * 31 + p[i];
        Count += count;
        return count;
    }
    std::uint64_t Count = 0;
    std::uint64_t Sum = 0;
};

// Stores only the first Capacity bytes, like a disk that runs full.
class ShortStream : public TStream {
public:
    explicit ShortStream(std::size_t capacity) : Capacity(capacity) {}
    std::size_t Write(const void*, std::size_t count) override {
        const std::size_t n = std::min(count, Capacity - Stored);
        Stored += n;
        return n;
    }
    std::size_t Capacity, Stored = 0;
};

} // namespace sorvak::test
