// Random clipboard pictures through each picture writer and back through an
// independent decoder: our own BMP reading, libpng, libjpeg and giflib. The
// first bytes choose depth, size and PNG filters; the rest are the pixels,
// stretched with a generator seeded from the input when they run short.
#include "imaging/Bitmap.h"
#include "imaging/Gif.h"
#include "imaging/Jpeg.h"
#include "imaging/Png.h"
#include "imaging/Stream.h"
#include "tests/imaging/GifDecode.h"

#include <jpeglib.h>
#include <png.h>

#include <csetjmp>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string_view>
#include <vector>

namespace {

using namespace sorvak;
using Bytes = std::vector<std::uint8_t>;

struct Rgb {
    std::uint8_t R = 0, G = 0, B = 0;
    friend bool operator==(const Rgb&, const Rgb&) = default;
};

void Check(bool condition, const char* what) {
    if (!condition) {
        std::fprintf(stderr, "round trip fault: %s\n", what);
        std::abort();
    }
}

// The picture the clipboard offers, and the colours a viewer must see.
struct Case {
    DeviceBitmap Device;
    DevicePalette Palette;
    bool HasPalette = false;
    std::vector<Rgb> Expected; // top row first
    std::uint8_t Filters = 0;
};

Case MakeCase(const std::uint8_t* data, std::size_t size) {
    Case c;
    static constexpr std::uint16_t depths[] = {32, 24, 1, 8};
    const int depth = depths[data[0] % 4];
    const int w = 1 + (data[1] | data[2] << 8) % 160;
    const int h = 1 + (data[3] | data[4] << 8) % 160;
    c.Filters = data[5];
    const std::string_view body(reinterpret_cast<const char*>(data + 6), size - 6);
    std::mt19937 random(static_cast<unsigned>(std::hash<std::string_view>{}(body)));
    std::size_t at = 0;
    auto next = [&]() -> std::uint8_t {
        return at < body.size() ? static_cast<std::uint8_t>(body[at++])
                                : static_cast<std::uint8_t>(random());
    };

    if (depth == 8) {
        c.HasPalette = true;
        for (int i = 0; i < 256; ++i)
            c.Palette.Entries.push_back({next(), next(), next(), 0});
    }
    c.Device.Width = w;
    c.Device.Height = h;
    c.Device.BitsPerPixel = static_cast<std::uint16_t>(depth);
    const std::size_t stride = TBitmap::RowStride(w, depth);
    c.Device.Bits.assign(stride * h, 0);
    for (int y = 0; y < h; ++y) {
        std::uint8_t* row = c.Device.Bits.data() + stride * y;
        for (int x = 0; x < w; ++x) {
            Rgb colour;
            if (depth == 1) {
                const bool white = next() & 1;
                row[x / 8] |= static_cast<std::uint8_t>(white << (7 - x % 8));
                colour = white ? Rgb{255, 255, 255} : Rgb{0, 0, 0};
            } else if (depth == 8) {
                row[x] = next();
                const TPaletteEntry& e = c.Palette.Entries[row[x]];
                colour = {e.Red, e.Green, e.Blue};
            } else {
                std::uint8_t* p = row + static_cast<std::size_t>(x) * (depth / 8);
                colour.B = p[0] = next();
                colour.G = p[1] = next();
                colour.R = p[2] = next();
                if (depth == 32)
                    p[3] = next(); // unused by every writer
            }
            c.Expected.push_back(colour);
        }
    }
    return c;
}

std::uint32_t LE(const Bytes& b, std::size_t at, int n) {
    Check(at + n <= b.size(), "BMP field past the end");
    std::uint32_t v = 0;
    for (int i = n - 1; i >= 0; --i)
        v = v << 8 | b[at + i];
    return v;
}

void CheckBmp(const Bytes& file, int w, int h, const std::vector<Rgb>& expected) {
    Check(file.size() >= 54 && file[0] == 'B' && file[1] == 'M', "BMP signature");
    Check(LE(file, 2, 4) == file.size(), "BMP file size");
    const std::uint32_t offset = LE(file, 10, 4);
    Check(LE(file, 14, 4) == 40, "BMP header size");
    Check(static_cast<int>(LE(file, 18, 4)) == w && static_cast<int>(LE(file, 22, 4)) == h,
          "BMP size");
    const int bits = static_cast<int>(LE(file, 28, 2));
    Check(LE(file, 30, 4) == 0, "BMP compression");
    std::uint32_t colours = LE(file, 46, 4);
    if (colours == 0 && bits <= 8)
        colours = 1u << bits;
    Check(offset == 54 + 4 * colours, "BMP pixel offset");
    const std::size_t stride = (static_cast<std::size_t>(w) * bits + 31) / 32 * 4;
    Check(offset + stride * h == file.size(), "BMP pixel size");
    for (int y = 0; y < h; ++y) {
        const std::size_t row = offset + stride * (h - 1 - y); // bottom row first
        for (int x = 0; x < w; ++x) {
            Rgb seen;
            if (bits == 24 || bits == 32) {
                const std::size_t p = row + static_cast<std::size_t>(x) * bits / 8;
                seen = {file[p + 2], file[p + 1], file[p]};
            } else {
                const std::size_t bit = static_cast<std::size_t>(x) * bits;
                const unsigned index =
                    (file[row + bit / 8] >> (8 - bits - bit % 8)) & ((1u << bits) - 1);
                Check(index < colours, "BMP index past its table");
                const std::size_t e = 54 + 4 * static_cast<std::size_t>(index);
                seen = {file[e + 2], file[e + 1], file[e]};
            }
            Check(seen == expected[static_cast<std::size_t>(y) * w + x], "BMP pixel");
        }
    }
}

void CheckPng(const Bytes& file, int w, int h, const std::vector<Rgb>& expected) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    Check(png_image_begin_read_from_memory(&image, file.data(), file.size()), "libpng header");
    Check(static_cast<int>(image.width) == w && static_cast<int>(image.height) == h, "PNG size");
    image.format = PNG_FORMAT_RGB;
    Bytes rgb(PNG_IMAGE_SIZE(image));
    Check(png_image_finish_read(&image, nullptr, rgb.data(), 0, nullptr), "libpng pixels");
    for (std::size_t i = 0; i < expected.size(); ++i)
        Check(Rgb{rgb[3 * i], rgb[3 * i + 1], rgb[3 * i + 2]} == expected[i], "PNG pixel");
}

struct JumpError {
    jpeg_error_mgr Pub;
    std::jmp_buf Jump;
};

void JumpOnError(j_common_ptr info) {
    std::longjmp(reinterpret_cast<JumpError*>(info->err)->Jump, 1);
}

// JPEG is lossy: the file must decode to the right size, and a picture of
// one colour must come back as nearly that colour.
void CheckJpeg(const Bytes& file, int w, int h, const std::vector<Rgb>& expected) {
    static Bytes rgb; // kept out of the setjmp frame
    jpeg_decompress_struct info{};
    JumpError error{};
    info.err = jpeg_std_error(&error.Pub);
    error.Pub.error_exit = JumpOnError;
    if (setjmp(error.Jump) != 0) {
        jpeg_destroy_decompress(&info);
        Check(false, "libjpeg refused the file");
    }
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, file.data(), static_cast<unsigned long>(file.size()));
    jpeg_read_header(&info, TRUE);
    info.out_color_space = JCS_RGB;
    jpeg_start_decompress(&info);
    Check(static_cast<int>(info.output_width) == w && static_cast<int>(info.output_height) == h,
          "JPEG size");
    rgb.assign(static_cast<std::size_t>(w) * 3 * h, 0);
    while (info.output_scanline < info.output_height) {
        JSAMPROW row = &rgb[static_cast<std::size_t>(info.output_scanline) * w * 3];
        jpeg_read_scanlines(&info, &row, 1);
    }
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);

    bool flat = true;
    for (const Rgb& c : expected)
        flat = flat && c == expected[0];
    if (!flat)
        return;
    const std::uint8_t want[] = {expected[0].R, expected[0].G, expected[0].B};
    for (std::size_t i = 0; i < rgb.size(); ++i)
        Check(std::abs(rgb[i] - want[i % 3]) <= 8, "JPEG colour of a flat picture");
}

// Every picture is mapped to the 6 x 6 x 6 web colour cube; the lookup
// rounds with +3, not to the nearest level.
unsigned CubeLevel(std::uint8_t v) {
    return (v + 3) / 51;
}

void CheckGif(const Bytes& file, int w, int h, const std::vector<Rgb>& expected) {
    test::DecodedGif gif;
    try {
        gif = test::DecodeGif(file);
    } catch (const std::exception&) {
        Check(false, "giflib refused the file");
    }
    Check(gif.width == w && gif.height == h && gif.screenWidth == w && gif.screenHeight == h,
          "GIF size");
    Check(gif.palette.size() == 768, "GIF colour map size");
    for (std::size_t i = 0; i < expected.size(); ++i) {
        const Rgb& c = expected[i];
        const unsigned index = CubeLevel(c.R) * 36 + CubeLevel(c.G) * 6 + CubeLevel(c.B);
        Check(gif.pixels[i] == index, "GIF index");
        Check(gif.palette[3 * index] == CubeLevel(c.R) * 51 &&
                  gif.palette[3 * index + 1] == CubeLevel(c.G) * 51 &&
                  gif.palette[3 * index + 2] == CubeLevel(c.B) * 51,
              "GIF colour map entry");
    }
}

Bytes Write(TGraphic& graphic) {
    TMemoryStream stream;
    graphic.WriteToStream(stream);
    return stream.Take();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 6)
        return 0;
    Case c = MakeCase(data, size);
    const int w = c.Device.Width, h = c.Device.Height;
    TBitmap bitmap;
    bitmap.LoadClipboardBitmap(CF_BITMAP, &c.Device, c.HasPalette ? &c.Palette : nullptr);

    CheckBmp(Write(bitmap), w, h, c.Expected);

    TPNGObject png;
    // Bits 0 to 4 choose among the five filter types; none set keeps Sub.
    if (c.Filters & 0x1F)
        png.RowFilters = c.Filters & 0x1F;
    png.AssignFrom(bitmap);
    CheckPng(Write(png), w, h, c.Expected);

    TJPEGImage jpeg;
    jpeg.AssignFrom(bitmap);
    CheckJpeg(Write(jpeg), w, h, c.Expected);

    TGIFImage gif;
    gif.AssignFrom(bitmap);
    CheckGif(Write(gif), w, h, c.Expected);
    return 0;
}
