// The BMP writer of TBitmap: file header, the 40-byte info header, the colour
// table and the device-independent rows, as they are held in memory.
#include <cstdint>
#include <vector>

#include "base/Bytes.h"
#include "base/Exception.h"
#include "imaging/Bitmap.h"

namespace sorvak {

void TBitmap::WriteToStream(TStream& stream) {
    ReportWriteProgress(0);
    const TBitmapInfoHeader info = DibHeader();
    const std::vector<TRGBQuad>& dibColors = DibColors();
    // An empty picture has no rows: nothing at all is written.
    if (Empty()) {
        ReportWriteProgress(100);
        return;
    }

    std::vector<TRGBQuad> colors = dibColors;
    if (info.ClrUsed != 0 && info.ClrUsed < colors.size())
        colors.resize(info.ClrUsed);
    // A picture of more than 8 bits that came with a palette keeps it as an
    // optional colour table.
    if (colors.empty() && HasPalette()) {
        for (const auto& e : *Palette()) {
            if (colors.size() == 256)
                break;
            colors.push_back({e.Blue, e.Green, e.Red, 0});
        }
    }
    const std::uint64_t headerSize = 40 + 4 * static_cast<std::uint64_t>(colors.size());
    const std::uint64_t imageSize =
        static_cast<std::uint64_t>(RowStride(info.Width, info.BitCount)) *
        static_cast<std::uint64_t>(info.Height);
    const std::uint64_t fileSize = 14 + headerSize + imageSize;
    // The size fields are 32 bits wide; a larger picture has no BMP form.
    if (fileSize > 0xFFFFFFFFu || imageSize > Bits().size())
        throw Exception("ビットマップイメージが不正です");

    std::vector<std::uint8_t> head(static_cast<std::size_t>(14 + headerSize));
    std::uint8_t* p = head.data();
    *p++ = 'B';
    *p++ = 'M';
    p = bytes::PutLE32(p, static_cast<std::uint32_t>(fileSize));
    p = bytes::PutLE16(p, 0);                                           // reserved
    p = bytes::PutLE16(p, 0);                                           // reserved
    p = bytes::PutLE32(p, static_cast<std::uint32_t>(14 + headerSize)); // pixel data offset
    p = bytes::PutLE32(p, 40);
    p = bytes::PutLE32(p, static_cast<std::uint32_t>(info.Width));
    p = bytes::PutLE32(p, static_cast<std::uint32_t>(info.Height));
    p = bytes::PutLE16(p, 1); // planes
    p = bytes::PutLE16(p, info.BitCount);
    p = bytes::PutLE32(p, info.Compression);
    p = bytes::PutLE32(p, static_cast<std::uint32_t>(imageSize));
    p = bytes::PutLE32(p, static_cast<std::uint32_t>(info.XPelsPerMeter));
    p = bytes::PutLE32(p, static_cast<std::uint32_t>(info.YPelsPerMeter));
    p = bytes::PutLE32(p, static_cast<std::uint32_t>(colors.size())); // colours used
    p = bytes::PutLE32(p, info.ClrImportant);
    for (const auto& c : colors) {
        *p++ = c.Blue;
        *p++ = c.Green;
        *p++ = c.Red;
        *p++ = 0;
    }
    stream.WriteBuffer(head.data(), head.size());
    stream.WriteBuffer(Bits().data(), static_cast<std::size_t>(imageSize));
    ReportWriteProgress(100);
}

} // namespace sorvak
