#include "platform/selection/DeviceBitmapFromImage.h"

#include <bit>
#include <cstdint>
#include <new>
#include <sys/mman.h>
#include <unistd.h>

namespace sorvak::platform {

namespace {

bool IsMonochrome(const QImage& image) {
    if (image.depth() != 1 || image.colorCount() != 2)
        return false;
    const QRgb a = image.color(0) & 0xFFFFFF;
    const QRgb b = image.color(1) & 0xFFFFFF;
    return (a == 0 && b == 0xFFFFFF) || (a == 0xFFFFFF && b == 0);
}

DeviceBitmap MonochromeBitmap(const QImage& source) {
    // Bit 1 is white, as in a monochrome device bitmap.
    QImage image = source.convertToFormat(QImage::Format_Mono);
    if (image.isNull())
        throw std::bad_alloc();
    const bool zeroIsWhite = (image.color(0) & 0xFFFFFF) == 0xFFFFFF;
    DeviceBitmap bitmap;
    bitmap.Width = image.width();
    bitmap.Height = image.height();
    bitmap.BitsPerPixel = 1;
    const std::size_t stride = ((static_cast<std::size_t>(image.width()) + 31) / 32) * 4;
    bitmap.Bits.assign(stride * image.height(), 0);
    const std::size_t used = (static_cast<std::size_t>(image.width()) + 7) / 8;
    for (int y = 0; y < image.height(); ++y) {
        const uchar* row = image.constScanLine(y);
        std::uint8_t* out = bitmap.Bits.data() + stride * y;
        for (std::size_t i = 0; i < used; ++i)
            out[i] = zeroIsWhite ? static_cast<std::uint8_t>(~row[i]) : row[i];
        const int spare = static_cast<int>(used * 8) - image.width();
        if (spare > 0)
            out[used - 1] &= static_cast<std::uint8_t>(0xFF << spare);
    }
    return bitmap;
}

// A fresh picture buffer costs a page fault per 4 KiB page touched, which
// for a 4K screenshot takes longer than copying the pixels; huge pages cut
// that 512-fold where the system grants them. Only advice: failure is fine.
void AskForHugePages(void* data, std::size_t size) {
    const auto page = static_cast<std::uintptr_t>(sysconf(_SC_PAGESIZE));
    const auto begin = (reinterpret_cast<std::uintptr_t>(data) + page - 1) / page * page;
    const auto end = (reinterpret_cast<std::uintptr_t>(data) + size) / page * page;
    if (end > begin)
        madvise(reinterpret_cast<void*>(begin), end - begin, MADV_HUGEPAGE);
}

DeviceBitmap TrueColourBitmap(const QImage& source) {
    // Pictures decode as RGB32 or ARGB32 as a rule: read those in place
    // rather than through a converted copy of the whole picture.
    const bool direct =
        source.format() == QImage::Format_RGB32 || source.format() == QImage::Format_ARGB32;
    const QImage converted = direct ? QImage() : source.convertToFormat(QImage::Format_ARGB32);
    const QImage& image = direct ? source : converted;
    if (image.isNull())
        throw std::bad_alloc();
    DeviceBitmap bitmap;
    const int width = image.width();
    const int height = image.height();
    bitmap.Width = width;
    bitmap.Height = height;
    bitmap.BitsPerPixel = 32;
    const std::size_t stride = static_cast<std::size_t>(width) * 4;
    if (std::endian::native == std::endian::little && image.format() == QImage::Format_RGB32) {
        // Opaque, and laid out blue, green, red, 0xFF in memory: the rows are
        // device rows already, whose fourth byte is ignored.
        bitmap.Bits.reserve(stride * height);
        AskForHugePages(bitmap.Bits.data(), bitmap.Bits.capacity());
        for (int y = 0; y < height; ++y) {
            const uchar* row = image.constScanLine(y);
            bitmap.Bits.insert(bitmap.Bits.end(), row, row + stride);
        }
        return bitmap;
    }
    bitmap.Bits.resize(stride * height);
    for (int y = 0; y < height; ++y) {
        const auto* row = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        std::uint8_t* out = bitmap.Bits.data() + stride * y;
        for (int x = 0; x < width; ++x) {
            const QRgb pixel = row[x];
            const unsigned alpha = qAlpha(pixel);
            // Transparent pixels are laid over white, as a screen shows them.
            auto over = [alpha](unsigned c) {
                return static_cast<std::uint8_t>((c * alpha + 255 * (255 - alpha) + 127) / 255);
            };
            out[4 * x + 0] = over(qBlue(pixel));
            out[4 * x + 1] = over(qGreen(pixel));
            out[4 * x + 2] = over(qRed(pixel));
            out[4 * x + 3] = 0;
        }
    }
    return bitmap;
}

} // namespace

DeviceBitmap DeviceBitmapFromImage(const QImage& image) {
    return IsMonochrome(image) ? MonochromeBitmap(image) : TrueColourBitmap(image);
}

} // namespace sorvak::platform
