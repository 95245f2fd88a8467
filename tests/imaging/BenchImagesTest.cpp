// The benchmark's picture readers: the writers' own files read back, and
// damaged files refused with an error.
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <stdexcept>

#include "bench/ImageReaders.h"
#include "imaging/Png.h"
#include "tests/imaging/WriterTestUtil.h"

namespace sorvak::test {
namespace {

Picture FromDevice(const DeviceBitmap& d) {
    return MakePicture(d.Width, d.Height, [&](int x, int y) {
        const std::uint8_t* p = &d.Bits[(static_cast<std::size_t>(y) * d.Width + x) * 4];
        return Rgb{p[2], p[1], p[0]};
    });
}

TEST(BenchImages, WritersFilesReadBack) {
    const Picture pic = RandomPicture(23, 17, 5);
    auto bitmap = Load(pic);
    EXPECT_EQ(FromDevice(bench::ReadBmp(Bytes(*bitmap))).Pixels, pic.Pixels);
    TPNGObject png;
    png.AssignFrom(*bitmap);
    EXPECT_EQ(FromDevice(bench::ReadPng(Bytes(png))).Pixels, pic.Pixels);
    auto mono =
        Load(DeviceIndexed(11, 3, 1, [](int x, int y) { return (x + y) % 3 == 0 ? 1u : 0u; }));
    const Picture monoPic = FromDevice(bench::ReadBmp(Bytes(*mono)));
    EXPECT_EQ(monoPic.At(0, 0), (Rgb{255, 255, 255}));
    EXPECT_EQ(monoPic.At(1, 0), (Rgb{0, 0, 0}));
    EXPECT_EQ(monoPic.At(2, 1), (Rgb{255, 255, 255}));

    std::string ppm = "P6\n# comment\n2 1\n255\n";
    ppm += std::string("\x01\x02\x03\xFA\xFB\xFC", 6);
    const Picture p = FromDevice(bench::ReadPpm({ppm.begin(), ppm.end()}));
    EXPECT_EQ(p.Pixels, (std::vector<Rgb>{{1, 2, 3}, {0xFA, 0xFB, 0xFC}}));
}

// Every seed of the readers' fuzz corpus: the damaged ones are refused, the
// others give a picture of the stated size.
TEST(BenchImages, CorpusFiles) {
    const std::filesystem::path dir =
        std::filesystem::path(SORVAK_SOURCE_DIR) / "tests/fuzz/benchimages/corpus";
    int refused = 0, read = 0;
    for (const auto& entry : std::filesystem::directory_iterator(dir)) {
        std::ifstream in(entry.path(), std::ios::binary);
        const std::vector<std::uint8_t> file((std::istreambuf_iterator<char>(in)), {});
        const std::string name = entry.path().filename().string();
        const bool damaged = name.find("cut") != std::string::npos ||
                             name.find("huge") != std::string::npos ||
                             name.find("past_end") != std::string::npos ||
                             name.find("min_height") != std::string::npos;
        try {
            const DeviceBitmap d = bench::ReadImage(entry.path().string());
            EXPECT_FALSE(damaged) << name;
            EXPECT_EQ(d.Bits.size(), static_cast<std::size_t>(d.Width) * d.Height * 4) << name;
            ++read;
        } catch (const std::runtime_error& e) {
            EXPECT_TRUE(damaged) << name << ": " << e.what();
            ++refused;
        }
    }
    EXPECT_GE(read, 5);
    EXPECT_GE(refused, 5);
}

TEST(BenchImages, PngAlphaIsLaidOverWhite) {
    const auto d = bench::ReadImage(std::string(SORVAK_SOURCE_DIR) +
                                    "/tests/fuzz/benchimages/corpus/png_rgba_2x2.png");
    const Picture p = FromDevice(d);
    EXPECT_EQ(p.At(0, 0), (Rgb{255, 127, 127})); // red at half cover
    EXPECT_EQ(p.At(1, 0), (Rgb{255, 255, 255})); // fully transparent
    EXPECT_EQ(p.At(0, 1), (Rgb{0, 0, 255}));
}

} // namespace
} // namespace sorvak::test
