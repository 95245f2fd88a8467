// A 20000 × 20000 picture through every writer: it must be written without a
// full-size 24-bit or 32-bit copy. Monochrome keeps the source itself at 50 MB.
#include <gtest/gtest.h>
#include <sys/resource.h>

#include "imaging/Jpeg.h"
#include "imaging/Png.h"
#include "tests/imaging/WriterTestUtil.h"

namespace sorvak::test {
namespace {

long PeakMiB() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss / 1024;
}

TEST(LargePicture, TwentyThousandSquaredMonochrome) {
    constexpr int side = 20000;
    auto bitmap = Load(DeviceIndexed(side, side, 1, [](int x, int y) {
        return (x / 7 + y / 11) % 3 == 0 || (x % 640 < 320 && y % 48 < 12) ? 1u : 0u;
    }));
    const long base = PeakMiB();

    CountingStream bmp;
    bitmap->WriteToStream(bmp);
    EXPECT_EQ(bmp.Count, 62u + 2500u * side);

    TPNGObject png;
    png.AssignFrom(*bitmap);
    CountingStream pngOut;
    png.WriteToStream(pngOut);
    EXPECT_GT(pngOut.Count, 100u);

    TJPEGImage jpeg;
    jpeg.AssignFrom(*bitmap);
    CountingStream jpegOut;
    jpeg.WriteToStream(jpegOut);
    EXPECT_EQ(jpeg.Data().Width, side);
    EXPECT_EQ(jpegOut.Count, jpeg.Data().Data.size());

    // A progress handler that gives up ends the compression from inside the
    // library: its exception arrives, and no data is kept.
    TJPEGImage stopped;
    int running = 0;
    stopped.OnProgress = [&](TProgressStage stage, int) {
        if (stage == TProgressStage::psRunning && ++running == 1)
            throw EAbort();
    };
    stopped.AssignFrom(*bitmap);
    CountingStream none;
    EXPECT_THROW(stopped.WriteToStream(none), EAbort);
    EXPECT_EQ(running, 1);
    EXPECT_EQ(none.Count, 0u);
    EXPECT_TRUE(stopped.Data().Data.empty());

#ifndef __SANITIZE_ADDRESS__ // the sanitizer's own memory would swamp the figure
    // A 24-bit copy alone would be 1144 MiB; the compressed JPEG is held in memory.
    const long grown = PeakMiB() - base;
    EXPECT_LT(grown, 64 + static_cast<long>(jpegOut.Count / (1024 * 1024)) * 2) << grown << " MiB";
#else
    (void)base;
#endif
}

} // namespace
} // namespace sorvak::test
