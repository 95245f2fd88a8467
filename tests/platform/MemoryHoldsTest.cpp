// A picture is refused before any dialog when its peak on the road (the
// decoded image and the device bitmap) exceeds what the process can have.
#include "platform/selection/MemoryHolds.h"

#include <gtest/gtest.h>

#include <QBuffer>
#include <QImageReader>

namespace sorvak::platform {
namespace {

constexpr std::uint64_t GiB = std::uint64_t(1) << 30;

TEST(MemoryHolds, ThePeakOfBothCopiesMustFitTheBudget) {
    const struct {
        QSize size;
        std::optional<std::uint64_t> budget;
        bool fits;
    } cases[] = {
        // The 4.7 MB black PNG of 40000 x 40000 in a 2 GiB cgroup.
        {QSize(40000, 40000), 2 * GiB, false},
        {QSize(40000, 40000), 13 * GiB, true},
        // A full-page screenshot where 1 GiB is left.
        {QSize(3840, 20000), GiB, true},
        // Exactly the budget fits; a byte less does not.
        {QSize(1024, 1024), 8 * (std::uint64_t(1) << 20), true},
        {QSize(1024, 1024), 8 * (std::uint64_t(1) << 20) - 1, false},
        {QSize(1, 1), 0, false},
        {QSize(0, 0), 0, true},
        // Nothing known: only what the address space takes decides.
        {QSize(100, 100), std::nullopt, true},
        {QSize(200000, 200000), std::nullopt, false},
        {QSize(0x7FFFFFFF, 0x7FFFFFFF), 2 * GiB, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.size.width() << "x" << c.size.height() << " in "
                                        << (c.budget ? std::to_string(*c.budget) : "unknown"));
        EXPECT_EQ(PictureFits(c.size, c.budget), c.fits);
    }
}

// The decoder is bounded by the decoded image's share of the same budget: a
// header that claims more fails to decode at once instead of taking memory.
TEST(MemoryHolds, TheDecoderIsBoundedByTheSameBudget) {
    constexpr std::uint64_t MiB = std::uint64_t(1) << 20;
    EXPECT_EQ(DecoderAllocationLimit(std::nullopt), 0);
    EXPECT_EQ(DecoderAllocationLimit(0), 1); // 0 would be no limit at all
    EXPECT_EQ(DecoderAllocationLimit(2 * GiB), 1024);
    EXPECT_EQ(DecoderAllocationLimit(8 * MiB - 1), 3);
    EXPECT_EQ(DecoderAllocationLimit(~std::uint64_t(0)), 0x7FFFFFFF);

    // A 40000 x 40000 BMP header (6.4 GB decoded) under a 2 GiB budget.
    QImage small(8, 8, QImage::Format_RGB32);
    small.fill(Qt::black);
    QByteArray bmp;
    QBuffer out(&bmp);
    out.open(QIODevice::WriteOnly);
    ASSERT_TRUE(small.save(&out, "BMP"));
    QByteArray huge = bmp;
    huge[18] = '\x40', huge[19] = '\x9C', huge[22] = '\x40', huge[23] = '\x9C';
    const int qtLimit = QImageReader::allocationLimit();
    QImageReader::setAllocationLimit(DecoderAllocationLimit(2 * GiB));
    for (const auto& [bytes, decodes] : {std::pair(bmp, true), std::pair(huge, false)}) {
        QBuffer in(const_cast<QByteArray*>(&bytes));
        in.open(QIODevice::ReadOnly);
        QImageReader reader(&in, "BMP");
        EXPECT_EQ(!reader.read().isNull(), decodes);
    }
    QImageReader::setAllocationLimit(qtLimit);
}

} // namespace
} // namespace sorvak::platform
