// The clipboard bitmap and its BMP writer, checked by a plain header parse.
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <string>
#include <unistd.h>

#include "base/FileErrors.h"
#include "imaging/Bitmap.h"
#include "tests/imaging/WriterTestUtil.h"
#include "tests/support/TestFiles.h"

namespace sorvak::test {
namespace {

std::uint32_t LE32(const std::vector<std::uint8_t>& b, std::size_t at) {
    return b.at(at) | b.at(at + 1) << 8 | b.at(at + 2) << 16 |
           static_cast<std::uint32_t>(b.at(at + 3)) << 24;
}
std::uint16_t LE16(const std::vector<std::uint8_t>& b, std::size_t at) {
    return static_cast<std::uint16_t>(b.at(at) | b.at(at + 1) << 8);
}

struct ParsedBmp {
    std::uint32_t FileSize, Offset, HeaderSize, SizeImage, ClrUsed;
    std::int32_t Width, Height;
    std::uint16_t BitCount;
    std::vector<Rgb> Table;
    Picture Pixels;
};

// An independent reading of the file: fields by offset, colours through the
// table, bottom row first.
ParsedBmp ParseBmp(const std::vector<std::uint8_t>& b) {
    ParsedBmp p{};
    EXPECT_EQ(b.at(0), 'B');
    EXPECT_EQ(b.at(1), 'M');
    p.FileSize = LE32(b, 2);
    p.Offset = LE32(b, 10);
    p.HeaderSize = LE32(b, 14);
    p.Width = static_cast<std::int32_t>(LE32(b, 18));
    p.Height = static_cast<std::int32_t>(LE32(b, 22));
    EXPECT_EQ(LE16(b, 26), 1);
    p.BitCount = LE16(b, 28);
    EXPECT_EQ(LE32(b, 30), 0u);
    p.SizeImage = LE32(b, 34);
    p.ClrUsed = LE32(b, 46);
    for (std::uint32_t i = 0; i < p.ClrUsed; ++i)
        p.Table.push_back({b.at(54 + 4 * i + 2), b.at(54 + 4 * i + 1), b.at(54 + 4 * i)});
    const std::size_t stride = (static_cast<std::size_t>(p.Width) * p.BitCount + 31) / 32 * 4;
    p.Pixels = MakePicture(p.Width, p.Height, [&](int x, int y) {
        const std::size_t row = p.Offset + stride * (p.Height - 1 - y);
        if (p.BitCount == 32 || p.BitCount == 24) {
            const std::size_t at = row + static_cast<std::size_t>(x) * p.BitCount / 8;
            return Rgb{b.at(at + 2), b.at(at + 1), b.at(at)};
        }
        const std::size_t bit = static_cast<std::size_t>(x) * p.BitCount;
        const unsigned index =
            (b.at(row + bit / 8) >> (8 - p.BitCount - bit % 8)) & ((1u << p.BitCount) - 1);
        return p.Table.at(index);
    });
    return p;
}

std::vector<std::uint8_t> ReadFile(const std::string& path) {
    std::ifstream f(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(f), {}};
}

DeviceBitmap Device24x1x3() {
    DeviceBitmap d;
    d.Width = 1;
    d.Height = 3;
    d.BitsPerPixel = 24;
    d.Bits = {1, 2, 3, 0xEE, 4, 5, 6, 0xEE, 7, 8, 9, 0xEE};
    return d;
}

// The layout rules: sizes, offsets and colour counts for each kind of picture.
TEST(BmpWriter, LayoutFollowsDepthAndPalette) {
    DevicePalette palette16;
    for (int i = 0; i < 16; ++i)
        palette16.Entries.push_back({static_cast<std::uint8_t>(i * 16), 1, 2, 0});
    DevicePalette palette300;
    palette300.Entries.resize(300, {9, 8, 7, 0});
    struct Case {
        const char* Name;
        DeviceBitmap Device;
        const DevicePalette* Palette;
        std::uint32_t Size, Offset, ClrUsed, BitCount;
    };
    const Picture p3x2 = RandomPicture(3, 2, 1);
    const Case cases[] = {
        {"32 bit 3x2", Device32(p3x2), nullptr, 78, 54, 0, 32},
        {"32 bit with 16 colours", Device32(p3x2), &palette16, 118 + 24, 118, 16, 32},
        {"32 bit with 300 colours", Device32(p3x2), &palette300, 54 + 1024 + 24, 54 + 1024, 256,
         32},
        {"24 bit 1 wide: 4-byte rows", Device24x1x3(), nullptr, 54 + 12, 54, 0, 24},
        {"1 bit", DeviceIndexed(9, 3, 1, [](int x, int) { return x & 1u; }), nullptr, 62 + 12, 62,
         2, 1},
        {"1 bit ignores the palette", DeviceIndexed(9, 3, 1, [](int, int) { return 1u; }),
         &palette16, 74, 62, 2, 1},
        {"8 bit with 16 colours", DeviceIndexed(5, 2, 8, [](int x, int) { return x; }), &palette16,
         54 + 1024 + 16, 54 + 1024, 256, 8},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        auto bitmap = Load(c.Device, c.Palette);
        const auto bytes = Bytes(*bitmap);
        ASSERT_EQ(bytes.size(), c.Size);
        const ParsedBmp p = ParseBmp(bytes);
        EXPECT_EQ(p.FileSize, c.Size);
        EXPECT_EQ(p.Offset, c.Offset);
        EXPECT_EQ(p.HeaderSize, 40u);
        EXPECT_EQ(p.ClrUsed, c.ClrUsed);
        EXPECT_EQ(p.BitCount, c.BitCount);
        EXPECT_EQ(p.SizeImage, c.Size - c.Offset);
        EXPECT_GT(p.Height, 0);
    }
}

TEST(BmpWriter, RandomPicturesGiveTheirPixels) {
    for (unsigned seed = 1; seed <= 12; ++seed) {
        const int w = 1 + static_cast<int>(seed * 7 % 23), h = 1 + static_cast<int>(seed * 5 % 17);
        SCOPED_TRACE(::testing::Message() << w << "x" << h << " seed " << seed);
        const Picture pic = RandomPicture(w, h, seed);
        auto bitmap = Load(pic);
        const ParsedBmp p = ParseBmp(Bytes(*bitmap));
        EXPECT_EQ(p.Pixels.Pixels, pic.Pixels);
    }
    // 24-bit rows: the padding byte is zero, the bottom row comes first.
    const auto b24 = Bytes(*Load(Device24x1x3()));
    EXPECT_EQ(std::vector<std::uint8_t>(b24.begin() + 54, b24.end()),
              (std::vector<std::uint8_t>{7, 8, 9, 0, 4, 5, 6, 0, 1, 2, 3, 0}));
    // One pixel wide and 65536 high: rows of 4 bytes, the bottom one first.
    const Picture tall = RandomPicture(1, 65536, 8);
    const ParsedBmp t = ParseBmp(Bytes(*Load(tall)));
    EXPECT_EQ(t.FileSize, 54u + 4 * 65536);
    EXPECT_EQ(t.Pixels.Pixels, tall.Pixels);
    const Picture quad = MakePicture(47, 33, [](int x, int y) { return Quadrant(x, y, 47, 33); });
    EXPECT_EQ(ParseBmp(Bytes(*Load(quad))).Pixels.Pixels, quad.Pixels);
}

TEST(BmpWriter, MonochromeAndPaletteRows) {
    // 1 bit: black at index 0, white at 1, whatever the junk in the padding.
    auto mono =
        Load(DeviceIndexed(13, 5, 1, [](int x, int y) { return (x * 3 + y) % 5 == 0 ? 1u : 0u; }));
    EXPECT_EQ(mono->Depth(), 1);
    const ParsedBmp m = ParseBmp(Bytes(*mono));
    ASSERT_EQ(m.Table.size(), 2u);
    EXPECT_EQ(m.Table[0], (Rgb{0, 0, 0}));
    EXPECT_EQ(m.Table[1], (Rgb{255, 255, 255}));
    const Picture expectMono = MakePicture(13, 5, [](int x, int y) {
        return (x * 3 + y) % 5 == 0 ? Rgb{255, 255, 255} : Rgb{0, 0, 0};
    });
    EXPECT_EQ(m.Pixels.Pixels, expectMono.Pixels);

    // 8 bit with a palette: the table is the palette, padded to 256.
    DevicePalette palette;
    for (int i = 0; i < 20; ++i)
        palette.Entries.push_back(
            {static_cast<std::uint8_t>(i * 12), static_cast<std::uint8_t>(200 - i), 3, 0});
    auto indexed =
        Load(DeviceIndexed(7, 4, 8, [](int x, int y) { return static_cast<unsigned>(x + y * 4); }),
             &palette);
    const ParsedBmp i8 = ParseBmp(Bytes(*indexed));
    const Picture expect8 = MakePicture(7, 4, [&](int x, int y) {
        const auto& e = palette.Entries[x + y * 4];
        return Rgb{e.Red, e.Green, e.Blue};
    });
    EXPECT_EQ(i8.Pixels.Pixels, expect8.Pixels);
    EXPECT_EQ(i8.Table.at(255), (Rgb{0, 0, 0}));
}

TEST(BmpWriter, SavingTwiceGivesIdenticalFiles) {
    auto clip = Load(RandomPicture(31, 9, 5));
    TBitmap first, second;
    first.AssignFrom(*clip);
    second.AssignFrom(*clip);
    EXPECT_EQ(Bytes(first), Bytes(second));
}

TEST(Bitmap, AssignSharesAndChangesCopyOnWrite) {
    auto clip = Load(RandomPicture(6, 4, 9));
    const auto before = Bytes(*clip);
    TBitmap writer;
    writer.AssignFrom(*clip);
    EXPECT_EQ(clip->ImageRefCount(), 2);
    EXPECT_EQ(writer.Image(), clip->Image());
    EXPECT_EQ(writer.PixelFormat(), TPixelFormat::pfDevice);

    // Changing the shared picture gives the writer its own copy.
    writer.MutableBits()[0] ^= 0xFF;
    EXPECT_NE(writer.Image(), clip->Image());
    EXPECT_EQ(clip->ImageRefCount(), 1);
    EXPECT_EQ(Bytes(*clip), before);
    EXPECT_NE(Bytes(writer), before);

    // The change to 24 bits leaves the clipboard bitmap as it was; rows match.
    TBitmap working;
    working.AssignFrom(*clip);
    working.SetPixelFormat(TPixelFormat::pf24bit);
    EXPECT_EQ(working.Depth(), 24);
    EXPECT_EQ(clip->Depth(), 32);
    EXPECT_EQ(Bytes(*clip), before);
    const ParsedBmp a = ParseBmp(before), b = ParseBmp(Bytes(working));
    EXPECT_EQ(b.BitCount, 24);
    EXPECT_EQ(a.Pixels.Pixels, b.Pixels.Pixels);

    // Assigning nothing empties the picture.
    working.AssignFrom(nullptr);
    EXPECT_TRUE(working.Empty());
    EXPECT_TRUE(Bytes(working).empty());
}

TEST(Bitmap, RowsAtRequestedDepth) {
    auto mono = Load(DeviceIndexed(10, 2, 1, [](int x, int y) { return (x + y) & 1u; }));
    std::vector<std::uint8_t> row(TBitmap::RowStride(10, 24));
    mono->ReadRow(0, 24, row.data());
    EXPECT_EQ(row[0], 0);   // (0,0) black
    EXPECT_EQ(row[3], 255); // (1,0) white
    EXPECT_EQ(row[30], 0);  // padding
    std::vector<std::uint8_t> own(TBitmap::RowStride(10, 1));
    mono->ReadRow(1, 1, own.data());
    EXPECT_EQ(own[0], 0xAA);
    EXPECT_EQ(own[1], 0x80); // bits past the width are cleared
    EXPECT_EQ(mono->ColorTable().size(), 2u);
    EXPECT_THROW(mono->ReadRow(0, 8, own.data()), Exception);
}

TEST(Bitmap, LoadRejectsWhatItCannotUse) {
    auto message = [](auto&& fn) {
        try {
            fn();
        } catch (const Exception& e) {
            return std::string(e.what());
        }
        return std::string("no error");
    };
    TBitmap b;
    DeviceBitmap good = Device32(RandomPicture(2, 2, 1));
    EXPECT_EQ(message([&] { b.LoadClipboardBitmap(1, &good, nullptr); }),
              "未対応のクリップボード データです");
    EXPECT_EQ(message([&] { b.LoadClipboardBitmap(CF_BITMAP, nullptr, nullptr); }),
              "未対応のクリップボード データです");
    struct Bad {
        const char* Name;
        std::int32_t W, H;
        std::uint16_t Bpp;
        std::size_t Bytes;
    };
    const Bad bad[] = {
        {"negative width", -2, 2, 32, 16},
        {"16 bits", 2, 2, 16, 16},
        {"short rows", 3, 3, 32, 35},
        {"huge and short", 0x7FFFFFFF, 0x7FFFFFFF, 32, 64},
        {"height without absolute value", 1, INT32_MIN, 32, 64},
    };
    for (const Bad& c : bad) {
        SCOPED_TRACE(c.Name);
        DeviceBitmap d;
        d.Width = c.W;
        d.Height = c.H;
        d.BitsPerPixel = c.Bpp;
        d.Bits.resize(c.Bytes);
        EXPECT_EQ(message([&] { b.LoadClipboardBitmap(CF_BITMAP, &d, nullptr); }),
                  "ビットマップイメージが不正です");
    }
    // Empty pictures load and keep their palette.
    DeviceBitmap empty;
    empty.Width = 5;
    DevicePalette palette{{{1, 2, 3, 0}}};
    b.LoadClipboardBitmap(CF_BITMAP, &empty, &palette);
    EXPECT_TRUE(b.Empty());
    EXPECT_TRUE(b.HasPalette());
    EXPECT_EQ(b.Width(), 5);
    // A negative height counts as its absolute value.
    DeviceBitmap negative = Device32(RandomPicture(2, 3, 4));
    negative.Height = -3;
    b.LoadClipboardBitmap(CF_BITMAP, &negative, nullptr);
    EXPECT_EQ(b.Height(), 3);
}

class BmpFiles : public ::testing::Test {
protected:
    const test::TempDir Temp;
    const std::string Dir = Temp.Path().string();
};

TEST_F(BmpFiles, CreatedReplacedOrReported) {
    auto clip = Load(RandomPicture(3, 2, 3));
    const std::string path = Dir + "/a.bmp";
    {
        std::ofstream old(path);
        old << std::string(500, 'x');
    }
    clip->WriteToFile(path);
    EXPECT_EQ(ReadFile(path), Bytes(*clip));

    // A folder that does not exist: the full path and the system's text.
    const std::string missing = Dir + "/no/such/../folder/b.bmp";
    try {
        clip->WriteToFile(missing);
        ADD_FAILURE() << "no error";
    } catch (const Exception& e) {
        EXPECT_EQ(std::string(e.what()), "ファイル \"" + Dir + "/no/folder/b.bmp\". " +
                                             std::strerror(ENOENT) + " を作成できません");
    }
    // A relative name is shown as a full path.
    const auto cwd = std::filesystem::current_path();
    std::filesystem::current_path(Dir);
    try {
        clip->WriteToFile("nothere/c.bmp");
        ADD_FAILURE() << "no error";
    } catch (const Exception& e) {
        EXPECT_NE(std::string(e.what()).find("\"" + Dir + "/nothere/c.bmp\""), std::string::npos)
            << e.what();
    }
    std::filesystem::current_path(cwd);
}

TEST(BmpWriter, ShortWritesAreErrors) {
    auto clip = Load(RandomPicture(8, 8, 3));
    for (std::size_t capacity : {0u, 10u, 54u, 100u}) {
        ShortStream s(capacity);
        EXPECT_THROW(clip->WriteToStream(s), EWriteError) << capacity;
    }
    // A device is no file to replace.
    EXPECT_THROW(clip->WriteToFile("/dev/full"), EFCreateError);
}

} // namespace
} // namespace sorvak::test
