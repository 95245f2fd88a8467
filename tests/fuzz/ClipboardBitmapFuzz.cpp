// A clipboard picture of any description through the loader and the BMP, PNG
// and JPEG writers: an error with a message or a file, never a crash. The
// first 12 bytes give width, height, planes, bits per pixel and a palette
// size; the rest are the rows (and the palette).
#include <cstdint>
#include <cstring>

#include "imaging/Bitmap.h"
#include "imaging/Jpeg.h"
#include "imaging/Png.h"

namespace {

class NullStream : public sorvak::TStream {
public:
    std::size_t Write(const void*, std::size_t count) override { return count; }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 12)
        return 0;
    sorvak::DeviceBitmap device;
    std::int16_t w, h;
    std::memcpy(&w, data, 2);
    std::memcpy(&h, data + 2, 2);
    // Small sizes keep each run quick; the field values still cover
    // negative, zero and mismatched descriptions.
    device.Width = w % 300;
    device.Height = h % 300;
    device.Planes = data[4] % 3;
    device.BitsPerPixel = data[5];
    const std::size_t paletteSize = data[6] | (data[7] & 1) << 8;
    sorvak::DevicePalette palette;
    std::size_t at = 12;
    for (std::size_t i = 0; i < paletteSize && at + 4 <= size; ++i, at += 4)
        palette.Entries.push_back({data[at], data[at + 1], data[at + 2], data[at + 3]});
    device.Bits.assign(data + at, data + size);
    try {
        sorvak::TBitmap bitmap;
        bitmap.LoadClipboardBitmap(data[8] & 1 ? sorvak::CF_PALETTE : sorvak::CF_BITMAP, &device,
                                   data[9] & 1 ? &palette : nullptr);
        NullStream out;
        bitmap.WriteToStream(out);
        sorvak::TPNGObject png;
        png.RowFilters = data[10];
        png.AssignFrom(bitmap);
        if (!bitmap.Empty())
            png.WriteToStream(out);
        sorvak::TJPEGImage jpeg;
        jpeg.AssignFrom(bitmap);
        jpeg.WriteToStream(out);
        if (data[11] & 1) {
            sorvak::TBitmap working;
            working.AssignFrom(bitmap);
            working.SetPixelFormat(sorvak::TPixelFormat::pf24bit);
            working.WriteToStream(out);
        }
    } catch (const sorvak::Exception&) {
    }
    return 0;
}
