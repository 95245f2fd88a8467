#include "bench/ImageReaders.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <fstream>
#include <png.h>
#include <stdexcept>

namespace sorvak::bench {

namespace {

[[noreturn]] void Fail(const std::string& what) {
    throw std::runtime_error(what);
}

// A 32-bit device bitmap of the given size, rows zero, size checked first.
DeviceBitmap NewDevice(std::uint64_t width, std::uint64_t height) {
    if (width == 0 || height == 0 || width > 0x7FFFFFFF || height > 0x7FFFFFFF ||
        width * height > MaxPixels)
        Fail("picture size not supported");
    DeviceBitmap d;
    d.Width = static_cast<std::int32_t>(width);
    d.Height = static_cast<std::int32_t>(height);
    d.BitsPerPixel = 32;
    d.Bits.assign(width * height * 4, 0);
    return d;
}

std::uint32_t LE(const std::vector<std::uint8_t>& b, std::size_t at, int size) {
    if (at > b.size() || b.size() - at < static_cast<std::size_t>(size))
        Fail("BMP file is cut short");
    std::uint32_t v = 0;
    for (int i = size - 1; i >= 0; --i)
        v = v << 8 | b[at + static_cast<std::size_t>(i)];
    return v;
}

} // namespace

DeviceBitmap ReadPng(const std::vector<std::uint8_t>& file) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_memory(&image, file.data(), file.size()))
        Fail(std::string("PNG: ") + image.message);
    image.format = PNG_FORMAT_BGRA;
    DeviceBitmap d;
    try {
        d = NewDevice(image.width, image.height);
    } catch (...) {
        png_image_free(&image);
        throw;
    }
    if (!png_image_finish_read(&image, nullptr, d.Bits.data(), 0, nullptr))
        Fail(std::string("PNG: ") + image.message);
    // Lay transparent pixels over white, as the platform layer does.
    for (std::size_t i = 0; i < d.Bits.size(); i += 4) {
        const unsigned a = d.Bits[i + 3];
        for (int c = 0; c < 3; ++c)
            d.Bits[i + c] =
                static_cast<std::uint8_t>((d.Bits[i + c] * a + 255 * (255 - a) + 127) / 255);
        d.Bits[i + 3] = 0;
    }
    return d;
}

DeviceBitmap ReadBmp(const std::vector<std::uint8_t>& b) {
    if (b.size() < 26 || b[0] != 'B' || b[1] != 'M')
        Fail("not a BMP file");
    const std::uint32_t offset = LE(b, 10, 4);
    const std::uint32_t headerSize = LE(b, 14, 4);
    if (headerSize < 40)
        Fail("BMP: only the 40-byte header and its successors are read");
    const auto width = static_cast<std::int32_t>(LE(b, 18, 4));
    const auto height = static_cast<std::int32_t>(LE(b, 22, 4));
    const std::uint32_t bitCount = LE(b, 28, 2);
    const std::uint32_t compression = LE(b, 30, 4);
    std::uint32_t colors = LE(b, 46, 4);
    if (compression != 0 && !(compression == 3 && bitCount == 32))
        Fail("BMP: compressed files are not read");
    if (bitCount != 1 && bitCount != 4 && bitCount != 8 && bitCount != 24 && bitCount != 32)
        Fail("BMP: bit count not supported");
    if (width <= 0 || height == 0 || height == INT32_MIN)
        Fail("BMP: bad size");
    const bool topDown = height < 0;
    const std::uint64_t h = topDown ? -static_cast<std::int64_t>(height) : height;
    std::vector<std::uint8_t> table; // blue, green, red per entry
    if (bitCount <= 8) {
        if (colors == 0 || colors > (1u << bitCount))
            colors = 1u << bitCount;
        const std::size_t at = 14 + static_cast<std::size_t>(headerSize);
        for (std::uint32_t i = 0; i < colors; ++i)
            for (int c = 0; c < 3; ++c)
                table.push_back(static_cast<std::uint8_t>(LE(b, at + 4 * i + c, 1)));
        table.resize(3u << bitCount, 0);
    }
    DeviceBitmap d = NewDevice(static_cast<std::uint64_t>(width), h);
    const std::uint64_t stride = (static_cast<std::uint64_t>(width) * bitCount + 31) / 32 * 4;
    if (offset > b.size() || (b.size() - offset) / stride < h)
        Fail("BMP file is cut short");
    for (std::uint64_t y = 0; y < h; ++y) {
        const std::uint8_t* src = b.data() + offset + stride * (topDown ? y : h - 1 - y);
        std::uint8_t* out = d.Bits.data() + y * static_cast<std::uint64_t>(width) * 4;
        for (std::int64_t x = 0; x < width; ++x, out += 4) {
            if (bitCount >= 24) {
                const std::uint8_t* p = src + x * (bitCount / 8);
                out[0] = p[0];
                out[1] = p[1];
                out[2] = p[2];
            } else {
                const std::uint64_t bit = static_cast<std::uint64_t>(x) * bitCount;
                const unsigned index =
                    (src[bit / 8] >> (8 - bitCount - bit % 8)) & ((1u << bitCount) - 1);
                std::memcpy(out, &table[index * 3], 3);
            }
        }
    }
    return d;
}

DeviceBitmap ReadPpm(const std::vector<std::uint8_t>& b) {
    std::size_t at = 2;
    if (b.size() < 2 || b[0] != 'P' || b[1] != '6')
        Fail("PPM: only binary P6 files are read");
    // Width, height, maximum value: decimal fields separated by white space
    // and "#" comments, then one white-space byte before the samples.
    auto field = [&]() -> std::uint64_t {
        for (;;) {
            while (at < b.size() && std::isspace(b[at]))
                ++at;
            if (at < b.size() && b[at] == '#') {
                while (at < b.size() && b[at] != '\n')
                    ++at;
                continue;
            }
            break;
        }
        std::uint64_t v = 0;
        std::size_t digits = 0;
        while (at < b.size() && b[at] >= '0' && b[at] <= '9' && digits < 10) {
            v = v * 10 + (b[at++] - '0');
            ++digits;
        }
        if (digits == 0 || (at < b.size() && b[at] >= '0' && b[at] <= '9'))
            Fail("PPM: bad header");
        return v;
    };
    const std::uint64_t width = field(), height = field(), maxValue = field();
    if (maxValue == 0 || maxValue > 255)
        Fail("PPM: only 8-bit samples are read");
    if (at >= b.size() || !std::isspace(b[at]))
        Fail("PPM: bad header");
    ++at;
    DeviceBitmap d = NewDevice(width, height);
    if ((b.size() - at) / 3 / width < height)
        Fail("PPM file is cut short");
    const std::uint8_t* src = b.data() + at;
    std::uint8_t* out = d.Bits.data();
    for (std::uint64_t i = 0; i < width * height; ++i, src += 3, out += 4) {
        for (int c = 0; c < 3; ++c)
            out[c] = static_cast<std::uint8_t>(
                std::min<std::uint64_t>(255, src[2 - c] * 255u / maxValue));
    }
    return d;
}

DeviceBitmap ReadImage(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in)
        Fail("cannot open " + path);
    in.seekg(0, std::ios::end);
    const auto size = static_cast<std::uint64_t>(in.tellg());
    if (size > MaxPixels * 4 + (1u << 20))
        Fail(path + ": file too large");
    in.seekg(0);
    std::vector<std::uint8_t> file(size);
    if (!in.read(reinterpret_cast<char*>(file.data()), static_cast<std::streamsize>(size)))
        Fail("cannot read " + path);
    if (file.size() >= 8 && file[0] == 0x89 && file[1] == 'P')
        return ReadPng(file);
    if (file.size() >= 2 && file[0] == 'B' && file[1] == 'M')
        return ReadBmp(file);
    if (file.size() >= 2 && file[0] == 'P' && file[1] == '6')
        return ReadPpm(file);
    Fail(path + ": not a PNG, BMP or PPM file");
}

} // namespace sorvak::bench
