#include "imaging/Gif.h"

#include "base/Exception.h"
#include "imaging/Bitmap.h"
#include "imaging/GifColorLookup.h"
#include "imaging/GifDitherers.h"
#include "imaging/Stream.h"
#include "tests/imaging/GifDecode.h"
#include "tests/imaging/WriterTestUtil.h"
#include "tests/support/TestFiles.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <unistd.h>

using namespace sorvak;
using Bytes = std::vector<std::uint8_t>;

namespace {

struct Rgb {
    std::uint8_t r, g, b;
};

// A clipboard bitmap of the given depth (32, 24 or 1) from top-down pixels.
void Load(TBitmap& bitmap, int width, int height, int depth,
          const std::function<Rgb(int x, int y)>& pixel, std::uint8_t fourth = 0) {
    DeviceBitmap device;
    device.Width = width;
    device.Height = height;
    device.BitsPerPixel = static_cast<std::uint16_t>(depth);
    const std::size_t stride = (static_cast<std::size_t>(width) * depth + 31) / 32 * 4;
    device.Bits.assign(stride * height, 0);
    for (int y = 0; y < height; ++y) {
        std::uint8_t* row = device.Bits.data() + stride * y;
        for (int x = 0; x < width; ++x) {
            const Rgb c = pixel(x, y);
            if (depth == 1) {
                if (c.r != 0)
                    row[x / 8] |= static_cast<std::uint8_t>(0x80 >> (x % 8));
            } else {
                std::uint8_t* p = row + x * (depth / 8);
                p[0] = c.b;
                p[1] = c.g;
                p[2] = c.r;
                if (depth == 32)
                    p[3] = fourth;
            }
        }
    }
    bitmap.LoadClipboardBitmap(CF_BITMAP, &device);
}

Bytes Save(TGIFImage& gif) {
    TMemoryStream stream;
    gif.WriteToStream(stream);
    return stream.Bytes();
}

Bytes SaveBitmap(const TBitmap& bitmap) {
    TGIFImage gif;
    gif.AssignFrom(bitmap);
    return Save(gif);
}

int CubeIndex(Rgb c) {
    return (c.r + 3) / 51 * 36 + (c.g + 3) / 51 * 6 + (c.b + 3) / 51;
}

Bytes CubeTable() {
    Bytes table;
    for (int r = 0; r < 6; ++r)
        for (int g = 0; g < 6; ++g)
            for (int b = 0; b < 6; ++b)
                table.insert(table.end(),
                             {std::uint8_t(r * 51), std::uint8_t(g * 51), std::uint8_t(b * 51)});
    table.resize(768, 0);
    return table;
}

void ExpectMessage(const std::function<void()>& action, const std::string& message) {
    try {
        action();
        ADD_FAILURE() << "no failure, expected " << message;
    } catch (const Exception& e) {
        EXPECT_EQ(e.what(), message);
    }
}

// A frame with a colour map of n entries and all pixels 0.
std::unique_ptr<TGIFSubImage> FrameWithColors(TGIFImage& gif, int n, int width, int height) {
    auto frame = std::make_unique<TGIFSubImage>(&gif);
    frame->SetSize(width, height);
    for (int i = 0; i < n; ++i)
        frame->ColorMap().Add({std::uint8_t(i), 0, 0});
    return frame;
}

} // namespace

TEST(Gif, ExactFilesOfSmallBitmaps) {
    Bytes white = {'G', 'I',  'F', '8', '7', 'a', 1, 0, 1, 0, 0x77, 0,
                   0,   0x2C, 0,   0,   0,   0,   1, 0, 1, 0, 0x87};
    const Bytes table = CubeTable();
    white.insert(white.end(), table.begin(), table.end());
    white.insert(white.end(), {0x08, 0x04, 0x00, 0xAF, 0x05, 0x04, 0x00, 0x3B});
    ASSERT_EQ(white.size(), 799u);
    const Bytes empty = {'G', 'I', 'F', '8', '7', 'a', 0, 0, 0, 0, 0x77, 0, 0, 0x3B};

    struct Case {
        const char* name;
        int width, height, depth;
        Rgb color;
        const Bytes& expected;
    };
    const Case cases[] = {
        {"24-bit white", 1, 1, 24, {255, 255, 255}, white},
        {"32-bit white", 1, 1, 32, {255, 255, 255}, white},
        {"monochrome white", 1, 1, 1, {255, 255, 255}, white},
        {"0 x 0", 0, 0, 32, {0, 0, 0}, empty},
        {"0 wide", 0, 5, 32, {0, 0, 0}, empty},
        {"0 high", 7, 0, 24, {0, 0, 0}, empty},
    };
    for (const Case& c : cases) {
        TBitmap bitmap;
        Load(bitmap, c.width, c.height, c.depth, [&](int, int) { return c.color; });
        EXPECT_EQ(SaveBitmap(bitmap), c.expected) << c.name;
    }
}

TEST(Gif, PackedBytesFollowTheColourMapSize) {
    struct Case {
        int colors;
        std::uint8_t screen, image;
        int tableEntries, codeSize;
    };
    const Case cases[] = {
        {1, 0x00, 0x80, 2, 2},     {2, 0x00, 0x80, 2, 2},     {3, 0x11, 0x81, 4, 2},
        {10, 0x33, 0x83, 16, 4},   {16, 0x33, 0x83, 16, 4},   {17, 0x44, 0x84, 32, 5},
        {129, 0x77, 0x87, 256, 8}, {256, 0x77, 0x87, 256, 8},
    };
    for (const Case& c : cases) {
        TGIFImage gif;
        gif.Add(FrameWithColors(gif, c.colors, 3, 2));
        const Bytes out = Save(gif);
        ASSERT_GT(out.size(), 24u + 3 * c.tableEntries);
        EXPECT_EQ(out[10], c.screen) << c.colors;
        EXPECT_EQ(out[22], c.image) << c.colors;
        // Entries, then zero triples up to the table size.
        EXPECT_EQ(out[23 + 3 * (c.colors - 1)], std::uint8_t(c.colors - 1)) << c.colors;
        EXPECT_EQ(out[23 + 3 * c.tableEntries], c.codeSize) << c.colors;
        for (int i = c.colors; i < c.tableEntries; ++i)
            EXPECT_EQ(out[23 + 3 * i], 0) << c.colors;
        const auto decoded = test::DecodeGif(out);
        EXPECT_EQ(decoded.palette.size(), 3u * c.tableEntries);
        EXPECT_EQ(decoded.pixels, Bytes(6, 0));
    }
}

TEST(Gif, ColourMapCapacityAndOverflow) {
    const std::pair<int, int> cases[] = {{1, 16},  {16, 16},   {17, 32},   {32, 32},
                                         {33, 64}, {200, 224}, {225, 256}, {256, 256}};
    for (auto [count, capacity] : cases) {
        TGIFColorMap map;
        for (int i = 0; i < count; ++i)
            map.Add({});
        EXPECT_EQ(map.Capacity(), capacity) << count;
    }
    const std::pair<int, int> bits[] = {{0, 0}, {1, 1},   {2, 1},   {3, 2},  {4, 2},
                                        {5, 3}, {128, 7}, {129, 8}, {256, 8}};
    for (auto [count, expected] : bits) {
        TGIFColorMap map;
        map.Assign(std::vector<TGIFColor>(count));
        EXPECT_EQ(map.BitsPerPixel(), expected) << count;
    }
    TGIFColorMap full;
    full.Assign(std::vector<TGIFColor>(256));
    ExpectMessage([&] { full.Add({}); }, "Color table overflow");
}

TEST(Gif, VersionAndItsFailures) {
    TGIFImage none;
    ExpectMessage([&] { Save(none); }, "Unsupported GIF version");

    TGIFImage sorted;
    sorted.Add(FrameWithColors(sorted, 4, 2, 2)).ColorMap().SetSorted(true);
    Bytes out = Save(sorted);
    EXPECT_EQ(std::string(out.begin(), out.begin() + 6), "GIF89a");
    EXPECT_EQ(out[22], 0x80 | 0x20 | 1);

    TGIFImage commented;
    auto& frame = commented.Add(FrameWithColors(commented, 2, 2, 2));
    auto comment = std::make_unique<TGIFCommentExtension>(&commented);
    comment->Text = "hi";
    frame.Extensions().Add(std::move(comment));
    out = Save(commented);
    EXPECT_EQ(std::string(out.begin(), out.begin() + 6), "GIF89a");
    const Bytes block = {0x21, 0xFE, 2, 'h', 'i', 0, 0x2C};
    EXPECT_EQ(Bytes(out.begin() + 13, out.begin() + 20), block);
    EXPECT_EQ(test::DecodeGif(out).pixels, Bytes(4, 0));

    ExpectMessage([&] { none.Add(std::make_unique<TGIFTrailer>(&none)); },
                  "Object type not supported for operation");
}

TEST(Gif, PixelOutsideTheColourMapFails) {
    TGIFImage gif;
    auto& frame = gif.Add(FrameWithColors(gif, 200, 4, 1));
    frame.Data() = {0, 199, 200, 1};
    ExpectMessage([&] { Save(gif); }, "Color not in color table");
    frame.Data().pop_back(); // fewer pixels than the size asks for
    ExpectMessage([&] { Save(gif); }, "Invalid image dimensions");
}

TEST(Gif, WebCubeLookup) {
    struct Case {
        Rgb in;
        int index;
        Rgb chosen;
    };
    const Case cases[] = {
        {{25, 25, 25}, 0, {0, 0, 0}},
        {{48, 48, 48}, 43, {51, 51, 51}},
        {{47, 98, 99}, 0 + 6 + 2, {0, 51, 102}},
        {{255, 0, 0}, 180, {255, 0, 0}},
        {{255, 255, 255}, 215, {255, 255, 255}},
        {{0, 0, 0}, 0, {0, 0, 0}},
        {{251, 252, 200}, 4 * 36 + 5 * 6 + 3, {204, 255, 153}},
        {{149, 150, 1}, 2 * 36 + 3 * 6, {102, 153, 0}},
    };
    TNetscapeColorLookup lookup;
    EXPECT_EQ(lookup.Colors(), 216);
    for (const Case& c : cases) {
        Rgb v = c.in;
        EXPECT_EQ(lookup.Lookup(v.r, v.g, v.b), c.index) << int(c.in.r) << "," << int(c.in.g);
        EXPECT_EQ(v.r, c.chosen.r);
        EXPECT_EQ(v.g, c.chosen.g);
        EXPECT_EQ(v.b, c.chosen.b);
    }
}

TEST(Gif, GiflibReadsExactlyTheWebCubePixels) {
    // Seeded random pictures of odd sizes, and gradients that differ along
    // each axis and channel, so flipped rows or swapped channels show.
    struct Picture {
        int width, height, depth;
        std::function<Rgb(int, int)> pixel;
    };
    std::mt19937 random(1234);
    std::vector<Picture> pictures;
    const std::pair<int, int> sizes[] = {{1, 1}, {47, 33}, {3, 257}, {301, 7}, {255, 2}};
    for (auto [w, h] : sizes)
        for (int depth : {24, 32}) {
            const unsigned seed = random();
            pictures.push_back(
                {w, h, depth, [seed, w = w](int x, int y) {
                     std::mt19937 r(seed + static_cast<unsigned>(y * w + x));
                     return Rgb{std::uint8_t(r()), std::uint8_t(r()), std::uint8_t(r())};
                 }});
        }
    pictures.push_back({47, 33, 32, [](int x, int y) {
                            return Rgb{std::uint8_t(x * 255 / 46), std::uint8_t(y * 255 / 32),
                                       std::uint8_t(x < 10 && y < 5 ? 255 : 30)};
                        }});
    pictures.push_back({33, 47, 24, [](int x, int y) {
                            return Rgb{std::uint8_t(y * 5), std::uint8_t(255 - x * 7),
                                       std::uint8_t((x + y) % 256)};
                        }});
    // Flat areas with runs, as on a desktop.
    pictures.push_back({640, 31, 32, [](int x, int y) {
                            return x < 200 ? Rgb{240, 240, 240}
                                           : Rgb{std::uint8_t(y * 8), 60, std::uint8_t(x / 3)};
                        }});

    for (const Picture& p : pictures) {
        TBitmap bitmap;
        Load(bitmap, p.width, p.height, p.depth, p.pixel);
        const auto decoded = test::DecodeGif(SaveBitmap(bitmap));
        ASSERT_EQ(decoded.width, p.width);
        ASSERT_EQ(decoded.height, p.height);
        EXPECT_EQ(decoded.screenWidth, p.width);
        EXPECT_FALSE(decoded.interlaced);
        ASSERT_EQ(decoded.palette, CubeTable());
        Bytes expected;
        for (int y = 0; y < p.height; ++y)
            for (int x = 0; x < p.width; ++x)
                expected.push_back(static_cast<std::uint8_t>(CubeIndex(p.pixel(x, y))));
        EXPECT_EQ(decoded.pixels, expected) << p.width << "x" << p.height << " " << p.depth;
    }
}

TEST(Gif, MonochromeAndFourthByte) {
    auto checker = [](int x, int y) {
        return (x + 2 * y) % 3 == 0 ? Rgb{255, 255, 255} : Rgb{0, 0, 0};
    };
    TBitmap mono;
    Load(mono, 13, 5, 1, checker);
    const auto decoded = test::DecodeGif(SaveBitmap(mono));
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 13; ++x)
            EXPECT_EQ(decoded.pixels[y * 13 + x], checker(x, y).r ? 215 : 0);

    TBitmap zero, noise;
    Load(zero, 13, 5, 32, checker, 0);
    Load(noise, 13, 5, 32, checker, 0xA5);
    EXPECT_EQ(SaveBitmap(zero), SaveBitmap(noise));
}

TEST(Gif, SizesBeyondSixteenBitsAreRefused) {
    const std::pair<int, int> cases[] = {{1, 65536}, {65536, 1}, {3, 100000}};
    for (auto [w, h] : cases) {
        TBitmap bitmap;
        Load(bitmap, w, h, 1, [](int, int) { return Rgb{0, 0, 0}; });
        TGIFImage gif;
        ExpectMessage([&] { gif.AssignFrom(bitmap); },
                      "Image too large for GIF: width and height must not exceed 65535");
        EXPECT_EQ(gif.Images().Count(), 0);
        ExpectMessage([&] { Save(gif); }, "Unsupported GIF version");
    }
    // The largest size that fits is written and read back.
    TBitmap widest;
    Load(widest, 65535, 1, 1, [](int x, int) { return x % 2 ? Rgb{255, 255, 255} : Rgb{}; });
    const auto decoded = test::DecodeGif(SaveBitmap(widest));
    ASSERT_EQ(decoded.width, 65535);
    EXPECT_EQ(decoded.pixels[65534], 0);
    EXPECT_EQ(decoded.pixels[65533], 215);
}

TEST(Gif, OtherReductionsAndDithersGiveValidFrames) {
    std::mt19937 random(5);
    const int width = 37, height = 23;
    std::vector<Rgb> pixels(width * height);
    for (auto& p : pixels)
        p = {std::uint8_t(random()), std::uint8_t(random()), std::uint8_t(random())};
    TBitmap bitmap;
    Load(bitmap, width, height, 32, [&](int x, int y) { return pixels[y * width + x]; });

    for (int method = ReduceSystem20; method <= ReduceOctreeSystem; ++method) {
        for (int dither = DitherOff; dither <= DitherBurkes; ++dither) {
            TGIFImage gif;
            gif.ReduceMethod = method;
            gif.DitherKind = dither;
            gif.ReduceBits = 5;
            gif.AssignFrom(bitmap);
            const auto& frame = gif.Images()[0];
            ASSERT_EQ(frame.ColorMap().Count(), 256) << method << "/" << dither;
            const auto decoded = test::DecodeGif(Save(gif));
            ASSERT_EQ(decoded.pixels.size(), pixels.size());
            int used = 0;
            for (std::uint8_t index : decoded.pixels)
                used = std::max(used, int(index));
            const int expectedColors = method == ReduceGray4        ? 4
                                       : method == ReduceMonochrome ? 2
                                       : method == ReduceSystem20   ? 20
                                       : method == ReduceOctree     ? 32
                                                                    : 256;
            EXPECT_LT(used, expectedColors) << method << "/" << dither;
            if (dither != DitherOff)
                continue;
            // Without dithering each pixel takes its own colour's entry.
            for (std::size_t i = 0; i < pixels.size(); ++i) {
                const Rgb p = pixels[i];
                const int lum = 77 * p.r + 150 * p.g + 29 * p.b;
                if (method == ReduceGray256) {
                    ASSERT_EQ(decoded.pixels[i], lum >> 8);
                } else if (method == ReduceMonochrome) {
                    ASSERT_EQ(decoded.pixels[i], lum >= 32513 ? 1 : 0);
                }
            }
        }
    }
}

TEST(Gif, NearestColourLookupPrefersExactAndLowestEntries) {
    const std::vector<TGIFColor> palette = {{0, 0, 0}, {128, 128, 128}, {0, 0, 0}, {10, 0, 0}};
    TFastColorLookup lookup(palette);
    struct Case {
        Rgb in;
        int index;
    };
    // (5, 0, 0) is as near to entries 0 and 3; the lowest wins.
    const Case cases[] = {{{0, 0, 0}, 0}, {{10, 0, 0}, 3}, {{100, 100, 100}, 1}, {{5, 0, 0}, 0}};
    for (const Case& c : cases) {
        Rgb v = c.in;
        EXPECT_EQ(lookup.Lookup(v.r, v.g, v.b), c.index) << int(c.in.r);
        EXPECT_EQ(v.r, palette[c.index].Red);
    }
}

TEST(Gif, DirectWebCubeRowsMatchTheAlternatingScan) {
    // The reduction maps cube rows in one pass (16 pixels at a time for 4-byte
    // pixels); walking them through the scan engine, right to left on every
    // second row, must give the same indices, and the fourth byte of a pixel
    // must play no part. Channel sweeps cover every threshold.
    const int width = 61, height = 8;
    std::mt19937 random(9);
    Bytes source(width * height * 3);
    for (std::size_t i = 0; i < source.size(); ++i)
        source[i] = i < 256 * 3 ? std::uint8_t(i / 3 + (i % 3) * 85) : std::uint8_t(random());
    for (int bytesPerPixel : {3, 4}) {
        TGIFRowSource rows;
        rows.Width = width;
        rows.Height = height;
        rows.BytesPerPixel = bytesPerPixel;
        rows.ReadRow = [&](int y, std::uint8_t* row) -> const std::uint8_t* {
            for (int x = 0; x < width; ++x) {
                std::copy_n(source.begin() + (y * width + x) * 3, 3, row + x * bytesPerPixel);
                if (bytesPerPixel == 4)
                    row[x * 4 + 3] = std::uint8_t(random());
            }
            return row;
        };
        const TGIFDib dib = ReduceColors(rows, ReduceWebCube, DitherOff, 8, nullptr);

        TNetscapeColorLookup lookup;
        TDitherEngine engine(width, lookup);
        std::vector<int> columns;
        for (int y = 0; y < height; ++y) {
            for (int x = engine.Column(); x >= 0 && x < width; x = engine.Column()) {
                columns.push_back(x);
                const std::uint8_t* p = source.data() + (y * width + x) * 3;
                std::uint8_t r = p[2], g = p[1], b = p[0];
                ASSERT_EQ(dib.Pixels[y * width + x], engine.Dither(r, g, b))
                    << x << "," << y << " at " << bytesPerPixel << " bytes";
            }
            engine.NextLine();
        }
        ASSERT_EQ(columns.size(), std::size_t(width * height));
        EXPECT_EQ(columns[width - 1], width - 1);
        EXPECT_EQ(columns[width], width - 1); // the second row runs right to left
        EXPECT_EQ(columns[2 * width], 0);
    }
}

TEST(Gif, OctreeKeepsFewColoursExactly) {
    // Distinct in their top five bits per channel, so the lookup's cache
    // cannot merge them.
    const std::vector<Rgb> colors = {
        {0, 0, 0}, {255, 0, 0}, {10, 200, 30}, {10, 200, 60}, {128, 128, 128}};
    TBitmap bitmap;
    Load(bitmap, 17, 9, 32, [&](int x, int y) { return colors[(x * 3 + y) % colors.size()]; });
    TGIFImage gif;
    gif.ReduceMethod = ReduceOctree;
    gif.AssignFrom(bitmap);
    const auto decoded = test::DecodeGif(Save(gif));
    for (int y = 0; y < 9; ++y)
        for (int x = 0; x < 17; ++x) {
            const int i = decoded.pixels[y * 17 + x];
            const Rgb expected = colors[(x * 3 + y) % colors.size()];
            ASSERT_EQ(decoded.palette[i * 3], expected.r) << x << "," << y;
            ASSERT_EQ(decoded.palette[i * 3 + 1], expected.g) << x << "," << y;
            ASSERT_EQ(decoded.palette[i * 3 + 2], expected.b) << x << "," << y;
        }
}

TEST(Gif, ReductionWithoutPaletteOrColours) {
    TBitmap bitmap;
    std::mt19937 random(3);
    Load(bitmap, 20, 20, 24, [&](int, int) {
        return Rgb{std::uint8_t(random()), std::uint8_t(random()), std::uint8_t(random())};
    });
    // More than 256 colours kept as they are overflow the table.
    TGIFImage none;
    none.ReduceMethod = ReduceNone;
    ExpectMessage([&] { none.AssignFrom(bitmap); }, "Color table overflow");
    EXPECT_EQ(none.Images().Count(), 0);

    // Few colours are kept in order of first appearance.
    TBitmap few;
    Load(few, 5, 3, 32, [](int x, int) { return Rgb{std::uint8_t(x % 3 * 100), 7, 9}; });
    none.AssignFrom(few);
    ASSERT_EQ(none.Images()[0].ColorMap().Count(), 3);
    EXPECT_EQ(none.Images()[0].ColorMap()[1], (TGIFColor{100, 7, 9}));
    const auto decoded = test::DecodeGif(Save(none));
    EXPECT_EQ(decoded.pixels, (Bytes{0, 1, 2, 0, 1, 0, 1, 2, 0, 1, 0, 1, 2, 0, 1}));

    // No caller palette, or an unknown dither: the frame keeps its size and
    // has neither colours nor a table.
    for (auto [method, dither] : {std::pair{int(ReduceCustomPalette), 0}, std::pair{6, 7}}) {
        TGIFImage gif;
        gif.ReduceMethod = method;
        gif.DitherKind = dither;
        gif.AssignFrom(bitmap);
        EXPECT_EQ(gif.Images()[0].ColorMap().Count(), 0);
        const Bytes out = Save(gif);
        EXPECT_EQ(out[22] & 0x80, 0);
        EXPECT_EQ(test::DecodeGif(out).pixels, Bytes(400, 0));
    }
}

TEST(Gif, RunLengthPackingDecodes) {
    TBitmap bitmap;
    Load(bitmap, 131, 17, 32, [](int x, int y) {
        return x / 20 % 2 ? Rgb{255, 0, 0} : Rgb{std::uint8_t(y * 10), 0, 255};
    });
    TGIFImage lzw, rle;
    rle.PackMethod = PackRLE;
    lzw.AssignFrom(bitmap);
    rle.AssignFrom(bitmap);
    EXPECT_EQ(test::DecodeGif(Save(rle)).pixels, test::DecodeGif(Save(lzw)).pixels);
}

TEST(Gif, ProgressIsReported) {
    TBitmap bitmap;
    Load(bitmap, 10, 70, 32, [](int, int) { return Rgb{}; });
    TGIFImage gif;
    std::vector<std::pair<std::string, int>> seen;
    gif.OnProgress = [&](TProgressStage stage, int percent, const std::string& text) {
        seen.push_back({text + std::to_string(static_cast<int>(stage)), percent});
    };
    gif.AssignFrom(bitmap);
    Save(gif);
    ASSERT_FALSE(seen.empty());
    EXPECT_EQ(seen.front().first, "Converting...0");
    EXPECT_EQ(seen.back(), (std::pair<std::string, int>{"Saving...2", 100}));
}

TEST(Gif, WriteToFileCreatesReplacesAndReportsFailures) {
    const test::TempDir temp;
    const std::filesystem::path& dir = temp.Path();
    const std::string path = (dir / "a.gif").string();
    {
        std::ofstream old(path);
        old << std::string(5000, 'x');
    }
    TBitmap bitmap;
    Load(bitmap, 9, 4, 32, [](int x, int y) {
        return Rgb{std::uint8_t(x * 20), 0, std::uint8_t(y)};
    });
    TGIFImage gif;
    gif.AssignFrom(bitmap);
    gif.WriteToFile(path);
    std::ifstream in(path, std::ios::binary);
    const Bytes file{std::istreambuf_iterator<char>(in), {}};
    EXPECT_EQ(file, Save(gif));

    const std::string missing = (dir / "no" / "b.gif").string();
    try {
        gif.WriteToFile(missing);
        ADD_FAILURE() << "no failure";
    } catch (const Exception& e) {
        const std::string text = e.what();
        EXPECT_EQ(text.rfind("ファイル \"" + missing + "\". ", 0), 0u) << text;
        EXPECT_NE(text.find("を作成できません"), std::string::npos) << text;
    }

    for (std::size_t room : {0u, 10u, 100u, 800u}) {
        test::ShortStream stream(room);
        ExpectMessage([&] { gif.WriteToStream(stream); }, "ストリームへの書き込みエラー");
    }
}
