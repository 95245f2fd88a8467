#include "clipboard/PictureHeader.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

namespace sorvak {
namespace {

using namespace std::string_literals;

std::string BE(std::uint32_t v, int bytes) {
    std::string out;
    for (int i = bytes - 1; i >= 0; --i)
        out.push_back(static_cast<char>(v >> (8 * i)));
    return out;
}
std::string LE(std::uint32_t v, int bytes) {
    std::string out;
    for (int i = 0; i < bytes; ++i)
        out.push_back(static_cast<char>(v >> (8 * i)));
    return out;
}

std::string Png(std::uint32_t w, std::uint32_t h) {
    return "\x89PNG\r\n\x1A\n"s + BE(13, 4) + "IHDR" + BE(w, 4) + BE(h, 4) + "\x08\x06\0\0\0"s +
           "CRC!";
}
std::string Bmp(std::uint32_t headerSize, std::uint32_t w, std::uint32_t h) {
    std::string b = "BM" + LE(0, 4) + LE(0, 4) + LE(54, 4) + LE(headerSize, 4);
    if (headerSize == 12)
        return b + LE(w, 2) + LE(h, 2) + LE(1, 2) + LE(24, 2);
    return b + LE(w, 4) + LE(h, 4) + LE(1, 2) + LE(32, 2) + std::string(24, '\0');
}
std::string Segment(unsigned marker, const std::string& body) {
    return "\xFF"s + static_cast<char>(marker) +
           BE(static_cast<std::uint32_t>(body.size() + 2), 2) + body;
}
std::string Sof(unsigned marker, std::uint32_t w, std::uint32_t h) {
    return Segment(marker, "\x08"s + BE(h, 2) + BE(w, 2) + "\x03\x01\x22\x00"s);
}
const std::string Soi = "\xFF\xD8"s;
std::string Gif(const char* version, std::uint32_t w, std::uint32_t h) {
    return version + LE(w, 2) + LE(h, 2) + "\xF7\0\0"s;
}

struct Case {
    const char* name;
    std::string bytes;
    std::optional<PictureSize> size;
};

TEST(PictureHeader, SizesFromTheFirstBytes) {
    const std::optional<PictureSize> none;
    const Case cases[] = {
        {"png", Png(3840, 2160), PictureSize{3840, 2160}},
        {"png largest", Png(0x7FFFFFFF, 1), PictureSize{0x7FFFFFFF, 1}},
        {"png width beyond 31 bits", Png(0x80000000u, 1), none},
        {"png zero height", Png(5, 0), none},
        {"png without IHDR first", "\x89PNG\r\n\x1A\n"s + BE(13, 4) + "gAMA" + BE(5, 4) + BE(5, 4),
         none},
        {"png bad signature", "\x89PNG\r\n\x1A\r"s + Png(5, 5).substr(8), none},
        {"bmp info header", Bmp(40, 7680, 8640), PictureSize{7680, 8640}},
        {"bmp v5 header", Bmp(124, 2, 3), PictureSize{2, 3}},
        {"bmp top-down", Bmp(40, 4, static_cast<std::uint32_t>(-5)), PictureSize{4, 5}},
        {"bmp height of the most negative number", Bmp(40, 4, 0x80000000u), none},
        {"bmp negative width", Bmp(40, static_cast<std::uint32_t>(-4), 5), none},
        {"bmp core header", Bmp(12, 640, 480), PictureSize{640, 480}},
        {"bmp header size too small", Bmp(8, 4, 4), none},
        {"jpeg baseline", Soi + Sof(0xC0, 1920, 1080), PictureSize{1920, 1080}},
        {"jpeg progressive after app and tables",
         Soi + Segment(0xE0, "JFIF\0\1\1\0\0\1\0\1\0\0"s) + Segment(0xE1, std::string(300, 'x')) +
             Segment(0xDB, std::string(65, '\1')) + Segment(0xC4, std::string(30, '\2')) +
             Sof(0xC2, 640, 480),
         PictureSize{640, 480}},
        {"jpeg with Exif, which may turn it",
         Soi + Segment(0xE1, "Exif\0\0MM\0\x2A"s) + Sof(0xC0, 640, 480), none},
        {"jpeg fill bytes before markers", Soi + "\xFF\xFF\xFF"s + Sof(0xC1, 9, 8),
         PictureSize{9, 8}},
        {"jpeg height from a later DNL", Soi + Sof(0xC0, 9, 0), none},
        {"jpeg scan before any frame", Soi + Segment(0xDA, "\1\1\0\0\x3F\0"s) + Sof(0xC0, 9, 8),
         none},
        {"jpeg segment length below two", Soi + "\xFF\xE0\x00\x01"s + Sof(0xC0, 9, 8), none},
        {"jpeg DHT is no frame", Soi + Segment(0xC4, "\x08\x00\x05\x00\x07xx"s), none},
        {"jpeg segment running past the end", Soi + Segment(0xE0, "ab").substr(0, 3) + "\xFF",
         none},
        {"jpeg garbage between segments", Soi + "x"s + Sof(0xC0, 9, 8), none},
        {"gif89a", Gif("GIF89a", 320, 200), PictureSize{320, 200}},
        {"gif87a", Gif("GIF87a", 65535, 1), PictureSize{65535, 1}},
        {"gif empty screen", Gif("GIF89a", 0, 10), none},
        {"gif unknown version", Gif("GIF88a", 3, 3), none},
        {"nothing", "", none},
        {"text", "hello, world", none},
    };
    for (const Case& c : cases)
        EXPECT_EQ(PictureHeaderSize(c.bytes), c.size) << c.name;
}

TEST(PictureHeader, CutBeforeTheSizeGivesNothing) {
    // Every prefix that ends before the size's last byte.
    const std::pair<std::string, std::size_t> headers[] = {
        {Png(3, 4), 24},           {Bmp(40, 3, 4), 26},
        {Bmp(12, 3, 4), 22},       {Soi + Segment(0xE0, "abcd") + Sof(0xC0, 3, 4), 2 + 8 + 9},
        {Gif("GIF89a", 3, 4), 10},
    };
    for (const auto& [bytes, needed] : headers) {
        EXPECT_EQ(PictureHeaderSize(bytes), (PictureSize{3, 4}));
        for (std::size_t n = 0; n < needed; ++n)
            EXPECT_EQ(PictureHeaderSize(std::string_view(bytes).substr(0, n)), std::nullopt)
                << testing::PrintToString(bytes) << " cut to " << n;
    }
}

} // namespace
} // namespace sorvak
