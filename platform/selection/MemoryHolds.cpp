#include "platform/selection/MemoryHolds.h"

#include "base/MemoryBudget.h"

#include <QImage>

#include <algorithm>
#include <limits>

namespace sorvak::platform {

namespace {

constexpr std::uint64_t DecodedBytesPerPixel = 4;

} // namespace

bool PictureFits(const QSize& size, std::optional<std::uint64_t> budget) {
    if (size.isEmpty())
        return true;
    // Both below 2^31: the product of the three cannot overflow 64 bits.
    const std::uint64_t peak = static_cast<std::uint64_t>(size.width()) *
                               static_cast<std::uint64_t>(size.height()) * PeakBytesPerPixel;
    if (budget && peak > *budget)
        return false;
    // Allocation alone says little under overcommit, but a limit on the
    // address space (ulimit -v) shows here.
    return !QImage(size, QImage::Format_ARGB32_Premultiplied).isNull();
}

bool MemoryHolds(const QSize& size) {
    return PictureFits(size, MemoryBudget());
}

int DecoderAllocationLimit(std::optional<std::uint64_t> budget) {
    if (!budget)
        return 0;
    const std::uint64_t mib = *budget / PeakBytesPerPixel * DecodedBytesPerPixel >> 20;
    // 0 would lift the limit: a process with no memory left still gets 1.
    return static_cast<int>(std::clamp<std::uint64_t>(mib, 1, std::numeric_limits<int>::max()));
}

} // namespace sorvak::platform
