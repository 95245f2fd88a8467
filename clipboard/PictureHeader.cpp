#include "clipboard/PictureHeader.h"

#include <limits>

namespace sorvak {

namespace {

unsigned Byte(std::string_view bytes, std::size_t at) {
    return static_cast<unsigned char>(bytes[at]);
}

std::uint32_t BE16(std::string_view b, std::size_t at) {
    return Byte(b, at) << 8 | Byte(b, at + 1);
}
std::uint32_t BE32(std::string_view b, std::size_t at) {
    return BE16(b, at) << 16 | BE16(b, at + 2);
}
std::uint32_t LE16(std::string_view b, std::size_t at) {
    return Byte(b, at) | Byte(b, at + 1) << 8;
}
std::uint32_t LE32(std::string_view b, std::size_t at) {
    return LE16(b, at) | LE16(b, at + 2) << 16;
}

std::optional<PictureSize> Sized(std::int64_t width, std::int64_t height) {
    constexpr std::int64_t most = std::numeric_limits<std::int32_t>::max();
    if (width <= 0 || height <= 0 || width > most || height > most)
        return std::nullopt;
    return PictureSize{static_cast<std::int32_t>(width), static_cast<std::int32_t>(height)};
}

// PNG: the signature, then IHDR first of all chunks (PNG 5.2, 11.2.2).
std::optional<PictureSize> Png(std::string_view b) {
    if (b.size() < 24 || b.substr(0, 8) != "\x89PNG\r\n\x1A\n" || b.substr(12, 4) != "IHDR" ||
        BE32(b, 8) < 8)
        return std::nullopt;
    return Sized(BE32(b, 16), BE32(b, 20));
}

// BMP: the 14-byte file header, then an OS/2 core header (12 bytes, 16-bit
// sizes) or an info header of any later version (signed 32-bit sizes; a
// negative height is a top-down picture).
std::optional<PictureSize> Bmp(std::string_view b) {
    if (b.size() < 18 || b.substr(0, 2) != "BM")
        return std::nullopt;
    const std::uint32_t headerSize = LE32(b, 14);
    if (headerSize == 12) {
        if (b.size() < 22)
            return std::nullopt;
        return Sized(LE16(b, 18), LE16(b, 20));
    }
    if (headerSize < 16 || b.size() < 26)
        return std::nullopt;
    const auto width = static_cast<std::int32_t>(LE32(b, 18));
    const auto height = static_cast<std::int32_t>(LE32(b, 22));
    return Sized(width, height < 0 ? -static_cast<std::int64_t>(height) : height);
}

// JPEG: markers after SOI until a start of frame (ITU T.81 B.1.1, B.2.2);
// every marker segment but SOI, EOI, RSTn and TEM carries its length. A
// picture with Exif data gives nothing.
std::optional<PictureSize> Jpeg(std::string_view b) {
    if (b.size() < 4 || Byte(b, 0) != 0xFF || Byte(b, 1) != 0xD8)
        return std::nullopt;
    std::size_t at = 2;
    for (;;) {
        if (at >= b.size() || Byte(b, at) != 0xFF)
            return std::nullopt;
        // Any number of fill bytes may come before a marker.
        while (at < b.size() && Byte(b, at) == 0xFF)
            ++at;
        if (at >= b.size())
            return std::nullopt;
        const unsigned marker = Byte(b, at++);
        if (marker == 0x01 || (marker >= 0xD0 && marker <= 0xD8))
            continue;
        // End of image, or the scan started without a frame header.
        if (marker == 0xD9 || marker == 0xDA || marker == 0x00)
            return std::nullopt;
        if (at + 2 > b.size())
            return std::nullopt;
        const std::uint32_t length = BE16(b, at);
        if (length < 2)
            return std::nullopt;
        // Exif (APP1) may turn the picture (its orientation tag): the frame's
        // size is then not the decoded picture's.
        if (marker == 0xE1 && b.substr(at + 2, 6) == std::string_view("Exif\0\0", 6))
            return std::nullopt;
        const bool frame =
            marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
        if (frame) {
            if (length < 7 || at + 7 > b.size())
                return std::nullopt;
            // A height of 0 is given later by a DNL segment: unknown here.
            return Sized(BE16(b, at + 5), BE16(b, at + 3));
        }
        at += length;
    }
}

// GIF: the signature and version, then the logical screen (GIF89a 17, 18).
std::optional<PictureSize> Gif(std::string_view b) {
    if (b.size() < 10 || (b.substr(0, 6) != "GIF87a" && b.substr(0, 6) != "GIF89a"))
        return std::nullopt;
    return Sized(LE16(b, 6), LE16(b, 8));
}

} // namespace

std::optional<PictureSize> PictureHeaderSize(std::string_view bytes) {
    for (auto read : {Png, Bmp, Jpeg, Gif}) {
        if (const std::optional<PictureSize> size = read(bytes))
            return size;
    }
    return std::nullopt;
}

} // namespace sorvak
