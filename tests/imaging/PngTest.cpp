// The PNG writer, checked by libpng and by inflating its IDAT data.
#include <cstring>
#include <gtest/gtest.h>
#include <png.h>
#include <string>
#include <zlib.h>

#include "base/FileErrors.h"
#include "imaging/Png.h"
#include "tests/imaging/WriterTestUtil.h"
#include "tests/support/TestFiles.h"

namespace sorvak::test {
namespace {

using ByteVec = std::vector<std::uint8_t>;

struct Chunk {
    std::string Name;
    ByteVec Data;
};

std::uint32_t BE32(const std::uint8_t* p) {
    return static_cast<std::uint32_t>(p[0]) << 24 | p[1] << 16 | p[2] << 8 | p[3];
}

// Splits the file into chunks, checking each CRC on the way.
std::vector<Chunk> Chunks(const ByteVec& file) {
    std::vector<Chunk> chunks;
    std::size_t at = 8;
    while (at + 12 <= file.size()) {
        const std::uint32_t n = BE32(&file[at]);
        EXPECT_LE(at + 12 + n, file.size());
        if (at + 12 + n > file.size())
            break;
        Chunk c{std::string(file.begin() + at + 4, file.begin() + at + 8),
                ByteVec(file.begin() + at + 8, file.begin() + at + 8 + n)};
        const uLong crc = crc32(0, &file[at + 4], 4 + n);
        EXPECT_EQ(BE32(&file[at + 8 + n]), crc) << c.Name;
        chunks.push_back(std::move(c));
        at += 12 + n;
    }
    EXPECT_EQ(at, file.size());
    return chunks;
}

ByteVec Inflate(const std::vector<Chunk>& chunks) {
    ByteVec z, out(1 << 16);
    for (const auto& c : chunks)
        if (c.Name == "IDAT")
            z.insert(z.end(), c.Data.begin(), c.Data.end());
    ByteVec result;
    z_stream s{};
    inflateInit(&s);
    s.next_in = z.data();
    s.avail_in = static_cast<uInt>(z.size());
    int rc = Z_OK;
    while (rc == Z_OK) {
        s.next_out = out.data();
        s.avail_out = static_cast<uInt>(out.size());
        rc = inflate(&s, Z_NO_FLUSH);
        result.insert(result.end(), out.data(), s.next_out);
    }
    EXPECT_EQ(rc, Z_STREAM_END);
    inflateEnd(&s);
    return result;
}

struct Decoded {
    png_uint_32 Width = 0, Height = 0;
    int BitDepth = 0, ColorType = 0;
    Picture Pixels;
};

// libpng reads the file and expands it to 8-bit RGB.
Decoded DecodeWithLibpng(const ByteVec& file) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    Decoded d;
    EXPECT_TRUE(png_image_begin_read_from_memory(&image, file.data(), file.size()))
        << image.message;
    image.format = PNG_FORMAT_RGB;
    ByteVec rgb(PNG_IMAGE_SIZE(image));
    EXPECT_TRUE(png_image_finish_read(&image, nullptr, rgb.data(), 0, nullptr)) << image.message;
    d.Width = image.width;
    d.Height = image.height;
    const auto chunks = Chunks(file);
    d.BitDepth = chunks.at(0).Data.at(8);
    d.ColorType = chunks.at(0).Data.at(9);
    d.Pixels =
        MakePicture(static_cast<int>(d.Width), static_cast<int>(d.Height), [&](int x, int y) {
            const std::size_t at = (static_cast<std::size_t>(y) * d.Width + x) * 3;
            return Rgb{rgb[at], rgb[at + 1], rgb[at + 2]};
        });
    return d;
}

ByteVec WritePng(const TBitmap& bitmap, std::uint8_t filters = FilterBit(pfSub)) {
    TPNGObject png;
    png.RowFilters = filters;
    png.AssignFrom(bitmap);
    return Bytes(png);
}

TEST(PngWriter, RandomPicturesDecodeToTheirPixels) {
    for (unsigned seed = 1; seed <= 10; ++seed) {
        const int w = 1 + static_cast<int>(seed * 13 % 41), h = 1 + static_cast<int>(seed * 7 % 29);
        SCOPED_TRACE(::testing::Message() << w << "x" << h << " seed " << seed);
        const Picture pic = RandomPicture(w, h, seed);
        const ByteVec file = WritePng(*Load(pic));
        const Decoded d = DecodeWithLibpng(file);
        EXPECT_EQ(d.ColorType, 2);
        EXPECT_EQ(d.BitDepth, 8);
        EXPECT_EQ(d.Pixels.Pixels, pic.Pixels);
    }
    const Picture quad = MakePicture(47, 33, [](int x, int y) { return Quadrant(x, y, 47, 33); });
    EXPECT_EQ(DecodeWithLibpng(WritePng(*Load(quad))).Pixels.Pixels, quad.Pixels);
}

TEST(PngWriter, EveryFilterSetDecodes) {
    const Picture pic = RandomPicture(37, 19, 77);
    auto bitmap = Load(pic);
    const std::uint8_t sets[] = {0,
                                 FilterBit(pfNone),
                                 FilterBit(pfSub),
                                 FilterBit(pfUp),
                                 FilterBit(pfAverage),
                                 FilterBit(pfPaeth),
                                 0x1F,
                                 FilterBit(pfUp) | FilterBit(pfPaeth)};
    for (std::uint8_t set : sets) {
        SCOPED_TRACE(static_cast<int>(set));
        const ByteVec file = WritePng(*bitmap, set);
        EXPECT_EQ(DecodeWithLibpng(file).Pixels.Pixels, pic.Pixels);
        const ByteVec raw = Inflate(Chunks(file));
        ASSERT_EQ(raw.size(), (1 + 37 * 3u) * 19);
        // A single filter is used on every row; an empty set means None.
        int single = -1;
        for (int f = 0; f < 5; ++f)
            if (set == (1 << f))
                single = f;
        if (set == 0)
            single = 0;
        for (int y = 0; y < 19 && single >= 0; ++y)
            EXPECT_EQ(raw[y * (1 + 37 * 3u)], single) << "row " << y;
    }
}

TEST(PngWriter, SubRowsStoreDifferences) {
    const Picture pic = RandomPicture(5, 3, 4);
    const ByteVec raw = Inflate(Chunks(WritePng(*Load(pic))));
    for (int y = 0; y < 3; ++y) {
        const std::uint8_t* row = &raw[y * 16];
        EXPECT_EQ(row[0], 1);
        EXPECT_EQ(row[1], pic.At(0, y).R);
        EXPECT_EQ(row[2], pic.At(0, y).G);
        EXPECT_EQ(row[3], pic.At(0, y).B);
        EXPECT_EQ(row[4], static_cast<std::uint8_t>(pic.At(1, y).R - pic.At(0, y).R));
        EXPECT_EQ(row[15], static_cast<std::uint8_t>(pic.At(4, y).B - pic.At(3, y).B));
    }
}

TEST(PngWriter, ChoosingAmongFilters) {
    const std::uint8_t none[] = {1, 2, 3, 4, 5, 6};
    const std::uint8_t sub[] = {1, 1, 1, 1, 1, 8};   // 3 repeats
    const std::uint8_t up[] = {7, 7, 7, 7, 7, 2};    // 3 repeats
    const std::uint8_t paeth[] = {0, 0, 0, 0, 0, 0}; // 4 repeats
    std::array<const std::uint8_t*, 5> out{none, sub, up, nullptr, paeth};
    const auto both = static_cast<std::uint8_t>(FilterBit(pfSub) | FilterBit(pfUp));
    EXPECT_EQ(TPNGObject::ChooseFilter(both, out, 6), pfSub); // tie: the earlier one
    EXPECT_EQ(TPNGObject::ChooseFilter(both | FilterBit(pfPaeth), out, 6), pfPaeth);
    EXPECT_EQ(TPNGObject::ChooseFilter(FilterBit(pfNone) | FilterBit(pfUp), out, 6), pfUp);
    // No repeats anywhere: None, even when None is not in the set.
    std::array<const std::uint8_t*, 5> flat{none, none, none, none, none};
    EXPECT_EQ(TPNGObject::ChooseFilter(both, flat, 6), pfNone);
    EXPECT_EQ(TPNGObject::ChooseFilter(both, out, 2), pfNone); // too short to count
}

TEST(PngWriter, IndexedPictures) {
    // Monochrome: colour type 3, bit depth 1, a 2-entry palette.
    auto mono = Load(
        DeviceIndexed(19, 6, 1, [](int x, int y) { return x < 3 && y == 0 ? 1u : (x ^ y) & 1u; }));
    const ByteVec monoFile = WritePng(*mono);
    const auto monoChunks = Chunks(monoFile);
    ASSERT_EQ(monoChunks.size(), 4u);
    EXPECT_EQ(monoChunks[1].Name, "PLTE");
    EXPECT_EQ(monoChunks[1].Data, (ByteVec{0, 0, 0, 255, 255, 255}));
    EXPECT_EQ(Inflate(monoChunks).size(), 6 * (1 + (19 + 7) / 8u));
    const Decoded m = DecodeWithLibpng(monoFile);
    EXPECT_EQ(m.ColorType, 3);
    EXPECT_EQ(m.BitDepth, 1);
    EXPECT_EQ(m.Pixels.At(0, 0), (Rgb{255, 255, 255}));
    EXPECT_EQ(m.Pixels.At(1, 1), (Rgb{0, 0, 0}));
    EXPECT_EQ(m.Pixels.At(0, 1), (Rgb{255, 255, 255}));
    EXPECT_EQ(m.Pixels.At(18, 5), (Rgb{255, 255, 255}));

    // 8 bits with a palette: a 256-entry PLTE before the data, exact pixels.
    DevicePalette palette;
    for (int i = 0; i < 256; ++i)
        palette.Entries.push_back({static_cast<std::uint8_t>(i), static_cast<std::uint8_t>(255 - i),
                                   static_cast<std::uint8_t>(i * 7), 0});
    std::mt19937 rng(3);
    std::vector<unsigned> idx(23 * 11);
    for (auto& v : idx)
        v = rng() % 256;
    auto indexed =
        Load(DeviceIndexed(23, 11, 8, [&](int x, int y) { return idx[y * 23 + x]; }), &palette);
    const ByteVec file = WritePng(*indexed);
    const auto chunks = Chunks(file);
    EXPECT_EQ(chunks[1].Name, "PLTE");
    EXPECT_EQ(chunks[1].Data.size(), 768u);
    const Decoded d = DecodeWithLibpng(file);
    EXPECT_EQ(d.ColorType, 3);
    EXPECT_EQ(d.BitDepth, 8);
    for (int y = 0; y < 11; ++y)
        for (int x = 0; x < 23; ++x) {
            const auto& e = palette.Entries[idx[y * 23 + x]];
            ASSERT_EQ(d.Pixels.At(x, y), (Rgb{e.Red, e.Green, e.Blue})) << x << "," << y;
        }
}

TEST(PngWriter, ChunkOrderAndIdatSplit) {
    // Noise does not compress, so the data needs several full chunks.
    std::mt19937 rng(11);
    const Picture noise = MakePicture(211, 223, [&](int, int) {
        return Rgb{static_cast<std::uint8_t>(rng()), static_cast<std::uint8_t>(rng()),
                   static_cast<std::uint8_t>(rng())};
    });
    TPNGObject png;
    png.SetIdatLimit(1000); // raised to 65535
    EXPECT_EQ(png.IdatLimit(), 65535u);
    png.AssignFrom(*Load(noise));
    const ByteVec file = Bytes(png);
    const auto chunks = Chunks(file);
    ASSERT_GE(chunks.size(), 5u);
    EXPECT_EQ(chunks.front().Name, "IHDR");
    EXPECT_EQ(chunks.back().Name, "IEND");
    for (std::size_t i = 1; i + 1 < chunks.size(); ++i) {
        EXPECT_EQ(chunks[i].Name, "IDAT");
        if (i + 2 < chunks.size()) {
            EXPECT_EQ(chunks[i].Data.size(), 65535u) << i;
        }
    }
    EXPECT_GE(chunks[chunks.size() - 2].Data.size(), 1u);
    EXPECT_EQ(chunks[1].Data[0], 0x78);
    EXPECT_EQ(chunks[1].Data[1], 0xDA);
    EXPECT_EQ(DecodeWithLibpng(file).Pixels.Pixels, noise.Pixels);
}

TEST(PngWriter, EmptyPicturesAreRefusedBeforeWriting) {
    DeviceBitmap wide;
    wide.Width = 9;
    for (DeviceBitmap d : {Device32(Picture{}), wide}) {
        TPNGObject png;
        png.AssignFrom(*Load(std::move(d)));
        CountingStream s;
        try {
            png.WriteToStream(s);
            ADD_FAILURE() << "no error";
        } catch (const Exception& e) {
            EXPECT_STREQ(e.what(), "Cannot save an empty image (width or height is 0)");
        }
        EXPECT_EQ(s.Count, 0u);
        const test::TempDir dir;
        const std::string path = dir / "empty.png";
        EXPECT_THROW(png.WriteToFile(path), Exception);
        EXPECT_NE(access(path.c_str(), F_OK), 0) << "no file is left behind";
    }
    TPNGObject never;
    CountingStream s;
    EXPECT_THROW(never.WriteToStream(s), Exception);
    // Adam7 rows are not produced, so an interlaced header is refused too.
    TPNGObject interlaced;
    interlaced.InterlaceMode = 1;
    interlaced.AssignFrom(*Load(RandomPicture(3, 3, 1)));
    EXPECT_THROW(interlaced.WriteToStream(s), Exception);
    EXPECT_EQ(s.Count, 0u);
}

TEST(PngWriter, WriteFailuresAreReported) {
    TPNGObject png;
    png.AssignFrom(*Load(RandomPicture(40, 40, 2)));
    for (std::size_t capacity : {0u, 8u, 20u, 33u, 60u}) {
        ShortStream s(capacity);
        EXPECT_THROW(png.WriteToStream(s), EWriteError) << capacity;
    }
    EXPECT_THROW(png.WriteToFile("/dev/full"), EFCreateError);
    EXPECT_THROW(png.WriteToFile("/nonexistent-sorvak-folder/a.png"), EFCreateError);
}

TEST(PngWriter, ZlibFailureIsReported) {
    TPNGObject png;
    png.DeflateLevel = 42; // zlib accepts 0 to 9
    png.AssignFrom(*Load(RandomPicture(4, 4, 2)));
    TMemoryStream s;
    try {
        png.WriteToStream(s);
        ADD_FAILURE() << "no error";
    } catch (const Exception& e) {
        EXPECT_NE(std::string(e.what()).find("PNG compression failed"), std::string::npos)
            << e.what();
    }
}

TEST(PngWriter, TallOnePixelWidePicture) {
    const Picture tall = RandomPicture(1, 65536, 6);
    const Decoded d = DecodeWithLibpng(WritePng(*Load(tall)));
    EXPECT_EQ(d.Height, 65536u);
    EXPECT_EQ(d.Pixels.Pixels, tall.Pixels);
}

} // namespace
} // namespace sorvak::test
