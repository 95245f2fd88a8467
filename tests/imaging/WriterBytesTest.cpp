// The exact bytes of the small examples: BMP, PNG and JPEG.
#include <gtest/gtest.h>
#include <zlib.h>

#include "imaging/Bitmap.h"
#include "imaging/Jpeg.h"
#include "imaging/Png.h"
#include "tests/imaging/WriterTestUtil.h"

namespace sorvak::test {
namespace {

using ByteVec = std::vector<std::uint8_t>;

void Append(ByteVec& out, std::initializer_list<std::uint8_t> bytes) {
    out.insert(out.end(), bytes);
}

// A PNG chunk laid out by hand (length, type, data, CRC-32 by zlib), independent of the writer.
void AppendChunk(ByteVec& out, const char* name, const ByteVec& data) {
    const auto n = static_cast<std::uint32_t>(data.size());
    Append(out, {static_cast<std::uint8_t>(n >> 24), static_cast<std::uint8_t>(n >> 16),
                 static_cast<std::uint8_t>(n >> 8), static_cast<std::uint8_t>(n)});
    out.insert(out.end(), name, name + 4);
    out.insert(out.end(), data.begin(), data.end());
    uLong crc = crc32(0, reinterpret_cast<const Bytef*>(name), 4);
    crc = crc32(crc, data.data(), static_cast<uInt>(data.size()));
    Append(out, {static_cast<std::uint8_t>(crc >> 24), static_cast<std::uint8_t>(crc >> 16),
                 static_cast<std::uint8_t>(crc >> 8), static_cast<std::uint8_t>(crc)});
}

ByteVec Expected3x2Bmp() {
    ByteVec b = {'B', 'M', 78, 0, 0, 0, 0, 0, 0, 0, 54, 0, 0, 0, // file header
                 40,  0,   0,  0, 3, 0, 0, 0, 2, 0, 0,  0, 1, 0, 32, 0, 0, 0, 0, 0,
                 24,  0,   0,  0, 0, 0, 0, 0, 0, 0, 0,  0, 0, 0, 0,  0, 0, 0, 0, 0};
    // Bottom row first: (x, 1) then (x, 0), blue, green, red, 0.
    for (int y : {1, 0})
        for (int x = 0; x < 3; ++x)
            Append(b, {static_cast<std::uint8_t>(10 * x + y), 100,
                       static_cast<std::uint8_t>(200 + y), 0});
    return b;
}

ByteVec Expected1x1Png() {
    ByteVec b = {0x89, 0x50, 0x4E, 0x47, 0x0D, 0x0A, 0x1A, 0x0A};
    AppendChunk(b, "IHDR", {0, 0, 0, 1, 0, 0, 0, 1, 8, 2, 0, 0, 0});
    // Filter byte 1 (Sub), then red, green, blue; level 7 with zlib's
    // defaults gives the 0x78 0xDA header.
    const Bytef raw[4] = {1, 0xC0, 0x40, 0x20};
    ByteVec z(64);
    uLongf zsize = z.size();
    EXPECT_EQ(compress2(z.data(), &zsize, raw, 4, 7), Z_OK);
    z.resize(zsize);
    EXPECT_EQ(z[0], 0x78);
    EXPECT_EQ(z[1], 0xDA);
    AppendChunk(b, "IDAT", z);
    Append(b, {0, 0, 0, 0, 'I', 'E', 'N', 'D', 0xAE, 0x42, 0x60, 0x82});
    return b;
}

TEST(WriterBytes, SmallExamples) {
    const Picture p3x2 = MakePicture(3, 2, [](int x, int y) {
        return Rgb{static_cast<std::uint8_t>(200 + y), 100, static_cast<std::uint8_t>(10 * x + y)};
    });
    const Picture p1x1 = MakePicture(1, 1, [](int, int) { return Rgb{0xC0, 0x40, 0x20}; });
    const Picture empty{0, 0, {}};
    DeviceBitmap wideEmpty;
    wideEmpty.Width = 7;

    struct Case {
        const char* Name;
        std::function<ByteVec()> Write;
        ByteVec Expected;
    };
    auto bmp = [](DeviceBitmap d) { return [d]() mutable { return Bytes(*Load(std::move(d))); }; };
    auto png = [](const Picture& p) {
        return [p] {
            TPNGObject png;
            png.AssignFrom(*Load(p));
            return Bytes(png);
        };
    };
    auto jpeg = [](DeviceBitmap d) {
        return [d]() mutable {
            TJPEGImage jpeg;
            jpeg.AssignFrom(*Load(std::move(d)));
            return Bytes(jpeg);
        };
    };
    const Case cases[] = {
        {"BMP 3x2 of 32 bits", bmp(Device32(p3x2)), Expected3x2Bmp()},
        {"BMP 0x0", bmp(Device32(empty)), {}},
        {"BMP 7x0", bmp(wideEmpty), {}},
        {"PNG 1x1 of 32 bits", png(p1x1), Expected1x1Png()},
        {"JPEG 0x0", jpeg(Device32(empty)), {}},
        {"JPEG 7x0", jpeg(wideEmpty), {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        EXPECT_EQ(c.Write(), c.Expected);
    }
}

} // namespace
} // namespace sorvak::test
