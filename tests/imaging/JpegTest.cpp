// The JPEG export, checked against libjpeg: decoding, and an encoding made
// here by calling the library directly with the same settings.
#include <csetjmp>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <jpeglib.h>
#include <string>

#include "base/FileErrors.h"
#include "imaging/Jpeg.h"
#include "tests/imaging/WriterTestUtil.h"
#include "tests/support/TestFiles.h"

namespace sorvak::test {
namespace {

using ByteVec = std::vector<std::uint8_t>;

struct JumpError {
    jpeg_error_mgr Pub;
    std::jmp_buf Jump;
};
void JumpOnError(j_common_ptr c) {
    std::longjmp(reinterpret_cast<JumpError*>(c->err)->Jump, 1);
}

struct Decoded {
    bool Ok = false;
    int Width = 0, Height = 0, Components = 0;
    Picture Pixels;
};

Decoded Decode(const ByteVec& file) {
    Decoded d;
    jpeg_decompress_struct info{};
    JumpError err{};
    info.err = jpeg_std_error(&err.Pub);
    err.Pub.error_exit = JumpOnError;
    static ByteVec rgb; // outside the setjmp frame
    if (setjmp(err.Jump) != 0) {
        jpeg_destroy_decompress(&info);
        return d;
    }
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, file.data(), file.size());
    jpeg_read_header(&info, TRUE);
    info.out_color_space = JCS_RGB;
    jpeg_start_decompress(&info);
    d.Width = static_cast<int>(info.output_width);
    d.Height = static_cast<int>(info.output_height);
    d.Components = info.num_components;
    rgb.assign(static_cast<std::size_t>(d.Width) * 3 * d.Height, 0);
    while (info.output_scanline < info.output_height) {
        JSAMPROW row = &rgb[static_cast<std::size_t>(info.output_scanline) * d.Width * 3];
        jpeg_read_scanlines(&info, &row, 1);
    }
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    d.Pixels = MakePicture(d.Width, d.Height, [&](int x, int y) {
        const std::size_t at = (static_cast<std::size_t>(y) * d.Width + x) * 3;
        return Rgb{rgb[at], rgb[at + 1], rgb[at + 2]};
    });
    d.Ok = true;
    return d;
}

// libjpeg called directly: quality 90, baseline, floating-point DCT, rows of
// red, green, blue taken from the expected picture.
ByteVec DirectEncode(const Picture& p) {
    jpeg_compress_struct info{};
    jpeg_error_mgr err{};
    info.err = jpeg_std_error(&err);
    jpeg_create_compress(&info);
    unsigned char* out = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&info, &out, &size);
    info.image_width = static_cast<JDIMENSION>(p.Width);
    info.image_height = static_cast<JDIMENSION>(p.Height);
    info.input_components = 3;
    info.in_color_space = JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, 90, TRUE);
    info.dct_method = JDCT_FLOAT;
    jpeg_start_compress(&info, TRUE);
    ByteVec row(static_cast<std::size_t>(p.Width) * 3);
    for (int y = 0; y < p.Height; ++y) {
        for (int x = 0; x < p.Width; ++x) {
            row[x * 3] = p.At(x, y).R;
            row[x * 3 + 1] = p.At(x, y).G;
            row[x * 3 + 2] = p.At(x, y).B;
        }
        JSAMPROW r = row.data();
        jpeg_write_scanlines(&info, &r, 1);
    }
    jpeg_finish_compress(&info);
    ByteVec result(out, out + size);
    jpeg_destroy_compress(&info);
    free(out);
    return result;
}

ByteVec WriteJpeg(const TBitmap& bitmap) {
    TJPEGImage jpeg;
    jpeg.AssignFrom(bitmap);
    return Bytes(jpeg);
}

bool Near(Rgb a, Rgb b, int tolerance) {
    return std::abs(a.R - b.R) <= tolerance && std::abs(a.G - b.G) <= tolerance &&
           std::abs(a.B - b.B) <= tolerance;
}

TEST(JpegWriter, MatchesTheLibraryCalledDirectly) {
    for (unsigned seed = 1; seed <= 8; ++seed) {
        const int w = 1 + static_cast<int>(seed * 17 % 53),
                  h = 1 + static_cast<int>(seed * 11 % 37);
        SCOPED_TRACE(::testing::Message() << w << "x" << h << " seed " << seed);
        Picture pic = RandomPicture(w, h, seed);
        pic.Pixels[0] = {255, 0, 0};
        const ByteVec file = WriteJpeg(*Load(pic));
        EXPECT_EQ(file, DirectEncode(pic));
        EXPECT_EQ(WriteJpeg(*Load(Device24(pic))), file); // the path for other depths
        const Decoded d = Decode(file);
        ASSERT_TRUE(d.Ok);
        EXPECT_EQ(d.Width, w);
        EXPECT_EQ(d.Height, h);
    }
}

TEST(JpegWriter, QuadrantsKeepTheirPlaceAndColour) {
    const Picture quad = MakePicture(48, 32, [](int x, int y) { return Quadrant(x, y, 48, 32); });
    const Decoded d = Decode(WriteJpeg(*Load(quad)));
    ASSERT_TRUE(d.Ok);
    EXPECT_TRUE(Near(d.Pixels.At(0, 0), {255, 0, 0}, 24));
    EXPECT_TRUE(Near(d.Pixels.At(5, 5), {255, 0, 0}, 24));
    EXPECT_TRUE(Near(d.Pixels.At(42, 5), {0, 255, 0}, 24));
    EXPECT_TRUE(Near(d.Pixels.At(5, 26), {0, 0, 255}, 24));
    EXPECT_TRUE(Near(d.Pixels.At(42, 26), {255, 255, 255}, 24));
}

TEST(JpegWriter, MonochromePicture) {
    auto mono = Load(DeviceIndexed(33, 17, 1, [](int x, int) { return x >= 16 ? 1u : 0u; }));
    const Decoded d = Decode(WriteJpeg(*mono));
    ASSERT_TRUE(d.Ok);
    EXPECT_TRUE(Near(d.Pixels.At(2, 8), {0, 0, 0}, 12));
    EXPECT_TRUE(Near(d.Pixels.At(30, 8), {255, 255, 255}, 12));
}

TEST(JpegWriter, MarkersAndTables) {
    const ByteVec file = WriteJpeg(*Load(RandomPicture(20, 10, 3)));
    ASSERT_GT(file.size(), 4u);
    EXPECT_EQ(ByteVec(file.begin(), file.begin() + 4), (ByteVec{0xFF, 0xD8, 0xFF, 0xE0}));
    EXPECT_EQ(ByteVec(file.end() - 2, file.end()), (ByteVec{0xFF, 0xD9}));
    // Walk the marker segments up to the scan.
    std::vector<int> firstTableValues;
    bool baseline = false, progressive = false;
    std::size_t at = 2;
    while (at + 4 <= file.size() && file[at] == 0xFF && file[at + 1] != 0xDA) {
        const int marker = file[at + 1];
        const std::size_t length = file[at + 2] << 8 | file[at + 3];
        if (marker == 0xDB)
            for (std::size_t t = at + 4; t + 65 <= at + 2 + length; t += 65)
                firstTableValues.push_back(file[t + 1]);
        baseline = baseline || marker == 0xC0;
        progressive = progressive || marker == 0xC2;
        at += 2 + length;
    }
    EXPECT_TRUE(baseline);
    EXPECT_FALSE(progressive);
    EXPECT_EQ(firstTableValues, (std::vector<int>{3, 3}));
}

TEST(JpegWriter, TwoObjectsGiveTheSameFile) {
    auto clip = Load(RandomPicture(29, 31, 8));
    EXPECT_EQ(WriteJpeg(*clip), WriteJpeg(*clip));
    // The clipboard bitmap itself is not changed by the export.
    EXPECT_EQ(clip->Depth(), 32);
    EXPECT_EQ(clip->ImageRefCount(), 1);
}

TEST(JpegWriter, LibraryErrorsAndWriteFailures) {
    // Taller than the format allows: a library error, and the file it was to
    // replace stays as it was.
    auto tall = Load(RandomPicture(1, 65536, 2));
    const test::TempDir dir;
    const std::string path = dir / "a.jpg";
    {
        std::ofstream old(path, std::ios::binary);
        old << "old picture";
    }
    TJPEGImage jpeg;
    jpeg.AssignFrom(*tall);
    try {
        jpeg.WriteToFile(path);
        ADD_FAILURE() << "no error";
    } catch (const EJPEG& e) {
        EXPECT_EQ(std::string(e.what()), "JPEG エラー #" + std::to_string(e.Code()));
        EXPECT_GT(e.Code(), 0);
    }
    std::ifstream in(path, std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), "old picture");

    TJPEGImage small;
    small.AssignFrom(*Load(RandomPicture(30, 30, 4)));
    for (std::size_t capacity : {0u, 100u}) {
        ShortStream s(capacity);
        EXPECT_THROW(small.WriteToStream(s), EWriteError);
    }
    EXPECT_THROW(small.WriteToFile("/dev/full"), EFCreateError);
    EXPECT_THROW(small.WriteToFile("/nonexistent-sorvak-folder/a.jpg"), EFCreateError);
}

TEST(JpegWriter, ProgressNotices) {
    struct Case {
        const char* Name;
        Picture Source;
        int EndPercent;
    };
    const Case cases[] = {
        {"compressed", RandomPicture(40, 30, 1), 100},
        {"empty", Picture{}, 100},
        {"library error", RandomPicture(1, 65536, 1), 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        std::vector<std::pair<TProgressStage, int>> notices;
        TJPEGImage jpeg;
        jpeg.OnProgress = [&](TProgressStage stage, int percent) {
            notices.emplace_back(stage, percent);
        };
        jpeg.AssignFrom(*Load(c.Source));
        TMemoryStream out;
        try {
            jpeg.WriteToStream(out);
        } catch (const EJPEG&) {
        }
        ASSERT_GE(notices.size(), 2u);
        EXPECT_EQ(notices.front(), std::make_pair(TProgressStage::psStarting, 0));
        EXPECT_EQ(notices.back(), std::make_pair(TProgressStage::psEnding, c.EndPercent));
    }
}

} // namespace
} // namespace sorvak::test
