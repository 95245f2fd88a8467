#pragma once
// Whether a picture of a given size can be decoded and handed on: a picture
// whose header is sound but whose pixels the process cannot hold is a
// resource failure, told as such before any dialog opens.
#include <QSize>

#include <cstdint>
#include <optional>

namespace sorvak::platform {

// What the road holds of a picture at its peak, per pixel: the decoded image
// and the device bitmap made from it, 4 bytes each. The conversion needs
// both at once, so dropping the image afterwards would not lower the peak.
inline constexpr std::uint64_t PeakBytesPerPixel = 4 + 4;

// Whether `budget` bytes (nothing: not known) hold the picture at its peak
// and the address space takes its decoded image. Nothing is allocated for
// good.
bool PictureFits(const QSize& size, std::optional<std::uint64_t> budget);

// PictureFits with what this process can really have now (MemoryBudget.h).
bool MemoryHolds(const QSize& size);

// Qt's allocation limit for a decoded image (MiB) from the same budget: the
// decoded image's share of the peak; 0, no limit, where nothing is known.
int DecoderAllocationLimit(std::optional<std::uint64_t> budget);

} // namespace sorvak::platform
