// What the program takes from the clipboard's owner, and when: owners that
// vanish or hang, pictures of any size, pictures that cannot be read.
#include "tests/e2e/Session.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <functional>
#include <thread>
#include <zlib.h>

using namespace sorvak::e2e;
namespace fs = std::filesystem;
using namespace std::chrono_literals;

namespace {

std::string Convert(Session& session, const std::vector<std::string>& args) {
    std::vector<std::string> argv{"convert"};
    argv.insert(argv.end(), args.begin(), args.end());
    return RunCommand(argv, session.Environment(), 120s).Output;
}

// ImageMagick's view of one pixel: "r,g,b".
std::string PixelAt(Session& session, const fs::path& file, int x, int y) {
    const std::string rgb = Convert(session, {file.string(), "-crop",
                                              "1x1+" + std::to_string(x) + "+" + std::to_string(y),
                                              "-depth", "8", "rgb:-"});
    if (rgb.size() != 3)
        return "<no pixel>";
    return std::to_string(static_cast<unsigned char>(rgb[0])) + "," +
           std::to_string(static_cast<unsigned char>(rgb[1])) + "," +
           std::to_string(static_cast<unsigned char>(rgb[2]));
}

std::string SizeOf(Session& session, const fs::path& file) {
    return RunCommand({"identify", "-format", "%wx%h", file.string()}, session.Environment(), 60s)
        .Output;
}

std::uint32_t Crc32(const std::string& bytes) {
    std::uint32_t crc = 0xFFFFFFFF;
    for (unsigned char b : bytes) {
        crc ^= b;
        for (int k = 0; k < 8; ++k)
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

std::string BigEndian(std::uint32_t v) {
    return {static_cast<char>(v >> 24), static_cast<char>(v >> 16), static_cast<char>(v >> 8),
            static_cast<char>(v)};
}

std::string Chunk(const std::string& type, const std::string& data) {
    return BigEndian(static_cast<std::uint32_t>(data.size())) + type + data +
           BigEndian(Crc32(type + data));
}

// A sound PNG header for a picture no memory holds, and a token of data.
std::string HugePngHeader(std::uint32_t width, std::uint32_t height) {
    const std::string ihdr =
        BigEndian(width) + BigEndian(height) + std::string("\x08\x02\0\0\0", 5);
    return std::string("\x89PNG\r\n\x1a\n", 8) + Chunk("IHDR", ihdr) +
           Chunk("IDAT", std::string("\x78\x9c\x03\x00\x00\x00\x00\x01", 8)) + Chunk("IEND", "");
}

// Rows and columns differ, so a flipped or transposed picture shows.
std::array<unsigned char, 3> PagePixel(int x, int y) {
    return {static_cast<unsigned char>(x * 7), static_cast<unsigned char>(y / 71),
            static_cast<unsigned char>((x + y) & 0xFF)};
}

// An 8-bit RGB PNG, packed row by row so that no raw copy of a huge
// picture is ever held.
std::string RgbPng(int width, int height,
                   const std::function<std::array<unsigned char, 3>(int, int)>& pixel,
                   int level = 1) {
    z_stream z{};
    deflateInit(&z, level);
    std::string packed, row(1 + 3 * std::size_t(width), '\0');
    std::array<unsigned char, 1 << 16> out;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const auto rgb = pixel(x, y);
            std::copy(rgb.begin(), rgb.end(), row.begin() + 1 + 3 * std::size_t(x));
        }
        z.next_in = reinterpret_cast<Bytef*>(row.data());
        z.avail_in = static_cast<uInt>(row.size());
        const int flush = y + 1 == height ? Z_FINISH : Z_NO_FLUSH;
        do {
            z.next_out = out.data();
            z.avail_out = out.size();
            deflate(&z, flush);
            packed.append(reinterpret_cast<char*>(out.data()), out.size() - z.avail_out);
        } while (z.avail_out == 0);
    }
    deflateEnd(&z);
    const std::string ihdr =
        BigEndian(width) + BigEndian(height) + std::string("\x08\x02\0\0\0", 5);
    return std::string("\x89PNG\r\n\x1a\n", 8) + Chunk("IHDR", ihdr) + Chunk("IDAT", packed) +
           Chunk("IEND", "");
}

// A full-page screenshot.
std::string PagePng(int width, int height) {
    return RgbPng(width, height, PagePixel);
}

// Width and height as a file's header states them (BMP, PNG, GIF, JPEG).
std::pair<int, int> HeaderSize(const std::string& f) {
    auto u8 = [&](std::size_t i) { return i < f.size() ? static_cast<unsigned char>(f[i]) : 0u; };
    auto le16 = [&](std::size_t i) { return int(u8(i) | u8(i + 1) << 8); };
    auto le32 = [&](std::size_t i) { return int(le16(i) | le16(i + 2) << 16); };
    auto be16 = [&](std::size_t i) { return int(u8(i) << 8 | u8(i + 1)); };
    auto be32 = [&](std::size_t i) { return int(be16(i) << 16 | be16(i + 2)); };
    if (f.rfind("BM", 0) == 0)
        return {le32(18), le32(22)};
    if (f.rfind("\x89PNG", 0) == 0)
        return {be32(16), be32(20)};
    if (f.rfind("GIF8", 0) == 0)
        return {le16(6), le16(8)};
    // JPEG: walk the markers to the frame header.
    for (std::size_t i = 2; i + 9 < f.size();) {
        if (u8(i) != 0xFF)
            break;
        const unsigned marker = u8(i + 1);
        if (marker >= 0xC0 && marker <= 0xC2)
            return {be16(i + 7), be16(i + 5)};
        i += 2 + be16(i + 2);
    }
    return {0, 0};
}

} // namespace

TEST(ClipboardTrust, OwnerGoneWhileTheDialogIsOpenLosesNothing) {
    Session session;
    const std::string text = "first line\nzweite Zeile\n日本語の三行目";
    const std::string saved = "first line\r\nzweite Zeile\r\n日本語の三行目\r\n";
    struct Case {
        const char* name;
        std::vector<std::pair<std::string, std::string>> offer;
        std::string file;
    } cases[] = {
        {"text road", {{"text", text}}, saved},
        {"utf-8 mime only", {{"text/plain;charset=utf-8", text}}, saved},
        {"web link list",
         {{"text/uri-list", "https://example.org/a\r\n"}},
         "https://example.org/a\r\n"},
    };
    const fs::path target = session.WorkDir() / "saved.txt";
    auto saveAfterOwnerLeft = [&](const std::function<void()>& leave) {
        session.StartProgram();
        ASSERT_FALSE(session.WaitForWindow(TextDialogTitle).empty());
        leave();
        session.Type(target.string());
        session.Key("Return");
        ASSERT_EQ(session.WaitForExit(), 0);
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        fs::remove(target);
        session.OwnClipboard(c.offer);
        saveAfterOwnerLeft([&] { session.DropClipboard(); });
        EXPECT_EQ(ReadFileBytes(target), c.file);
    }
    // Single X11 text targets, as older programs offer them; the owner (xclip)
    // goes when another program takes the clipboard.
    struct Raw {
        const char* target;
        std::string bytes, file;
    } raws[] = {{"UTF8_STRING", text, saved}, {"STRING", "caf\xE9", "caf\xC3\xA9\r\n"}};
    for (const Raw& r : raws) {
        SCOPED_TRACE(r.target);
        fs::remove(target);
        const fs::path source = session.WorkDir() / "raw";
        WriteFileBytes(source, r.bytes);
        session.DropClipboard();
        RunCommand({"sh", "-c", "xclip -selection clipboard -t \"$0\" -i \"$1\" >/dev/null 2>&1",
                    r.target, source.string()},
                   session.Environment());
        fs::remove(source);
        saveAfterOwnerLeft([&] { session.OwnClipboard({{"text", "replaced"}}); });
        EXPECT_EQ(ReadFileBytes(target), r.file);
    }

    const fs::path picture = session.WorkDir() / "source.png";
    Convert(session, {"-size", "31x17", "gradient:red-blue", "-depth", "8", picture.string()});
    session.OwnClipboard({{"image/png", ReadFileBytes(picture)}, {"text", "beside"}});
    session.StartProgram();
    ASSERT_FALSE(session.WaitForWindow(PictureDialogTitle).empty());
    session.DropClipboard();
    const fs::path written = session.WorkDir() / "picture.png";
    session.Type(written.string());
    session.Key("Return");
    ASSERT_EQ(session.WaitForExit(), 0);
    EXPECT_EQ(SizeOf(session, written), "31x17");
    for (auto [x, y] : {std::pair{0, 0}, {30, 16}, {12, 9}})
        EXPECT_EQ(PixelAt(session, written, x, y), PixelAt(session, picture, x, y));
}

TEST(ClipboardTrust, OwnerThatDoesNotAnswerGivesTheClipboardErrorWithinSeconds) {
    Session session;
    session.OwnClipboard({{"text", "never handed over"}});
    session.StopOwner();
    const auto start = std::chrono::steady_clock::now();
    session.StartProgram();
    ASSERT_FALSE(session.WaitForWindow("^Sorvak$", 30000).empty()) << "no error box";
    const auto waited = std::chrono::steady_clock::now() - start;
    EXPECT_LT(waited, 6s);
    std::printf("a hung owner cost %lld ms up to the error box\n",
                static_cast<long long>(
                    std::chrono::duration_cast<std::chrono::milliseconds>(waited).count()));
    EXPECT_TRUE(session.WaitForWindow("^情報$", 500).empty());
    session.Key("Return");
    EXPECT_EQ(session.WaitForExit(), 0);
    EXPECT_EQ(ReadFileBytes(session.SettingsPath()), "");
    session.ContinueOwner();
}

TEST(ClipboardTrust, FullPageScreenshotIsSavedInEveryFormat) {
    // ImageMagick's policy refuses pictures this high, so the test reads the
    // files' headers itself and checks BMP pixels by hand.
    constexpr int W = 1920, H = 18000;
    Session session;
    session.OwnClipboard({{"image/png", PagePng(W, H)}});
    for (const char* extension : {"bmp", "png", "jpg", "gif"}) {
        SCOPED_TRACE(extension);
        const fs::path target = session.WorkDir() / (std::string("page.") + extension);
        ASSERT_EQ(session.SaveThroughDialog(PictureDialogTitle, target.string(), {}, 300000), 0);
        const std::string file = ReadFileBytes(target);
        EXPECT_EQ(HeaderSize(file), std::make_pair(W, H));
        if (std::string(extension) == "bmp") {
            ASSERT_EQ(file.size(), 54u + 4u * W * H);
            // Bottom row first: the file's first pixel is the picture's last row.
            for (auto [x, y] : {std::pair{0, 0}, {W - 1, H - 1}, {777, 12345}}) {
                const std::size_t at = 54 + 4 * (std::size_t(H - 1 - y) * W + x);
                const auto [r, g, b] = PagePixel(x, y);
                EXPECT_EQ(static_cast<unsigned char>(file[at + 2]), r) << x << "," << y;
                EXPECT_EQ(static_cast<unsigned char>(file[at + 1]), g) << x << "," << y;
                EXPECT_EQ(static_cast<unsigned char>(file[at]), b) << x << "," << y;
            }
        }
        fs::remove(target);
    }
}

TEST(ClipboardTrust, PictureTooLargeForMemoryGivesTheResourceError) {
    Session session;
    session.OwnClipboard({{"image/png", HugePngHeader(200000, 200000)}, {"text", "beside"}});
    session.StartProgram();
    ASSERT_FALSE(session.WaitForWindow("^Sorvak$").empty()) << "no error box";
    session.Key("Return");
    EXPECT_EQ(session.WaitForExit(), 0);
    EXPECT_TRUE(fs::is_empty(session.WorkDir()));
}

TEST(ClipboardTrust, PictureThatCannotBeDecodedLeavesTheTextRoadOpen) {
    Session session;
    const std::string corrupt("\x89PNG\r\n\x1a\n garbage, not a picture", 32);
    session.OwnClipboard({{"image/png", corrupt}, {"text", "the text beside"}});
    const fs::path target = session.WorkDir() / "beside.txt";
    ASSERT_EQ(session.SaveThroughDialog(TextDialogTitle, target.string()), 0);
    EXPECT_EQ(ReadFileBytes(target), "the text beside\r\n");

    // Alone it is no picture at all: nothing to save.
    session.OwnClipboard({{"image/png", corrupt}});
    session.StartProgram();
    ASSERT_FALSE(session.WaitForWindow("^情報$").empty());
    session.Key("Return");
    EXPECT_EQ(session.WaitForExit(), 0);
}

TEST(ClipboardTrust, OwnerKilledDuringA4kTransferLeavesNoFileAndNoHang) {
    // Noise, stored without compression: some 25 MB that take a while to
    // cross the server, so that the owner dies at different points of it.
    std::uint32_t seed = 12345;
    const std::string png = RgbPng(
        3840, 2160,
        [&](int, int) {
            seed = seed * 1664525u + 1013904223u;
            return std::array<unsigned char, 3>{static_cast<unsigned char>(seed >> 24),
                                                static_cast<unsigned char>(seed >> 16),
                                                static_cast<unsigned char>(seed >> 8)};
        },
        0);
    Session session;
    const std::string anyWindow = std::string("^Sorvak$|^情報$|^") + PictureDialogTitle + "$";
    for (const auto delay : {0ms, 100ms, 250ms, 500ms, 800ms}) {
        SCOPED_TRACE(delay.count());
        session.OwnClipboard({{"image/png", png}});
        session.StartProgram();
        std::this_thread::sleep_for(delay);
        session.DropClipboard();
        // An error box, the information box, or the dialog when the picture
        // had already arrived whole; each closes with Escape.
        const std::string window = session.WaitForWindow(anyWindow, 30000);
        ASSERT_FALSE(window.empty()) << "no window after the owner died";
        const char* outcome = !session.WaitForWindow(PictureDialogTitle, 100).empty()
                                  ? "the picture had arrived"
                              : !session.WaitForWindow("^Sorvak$", 100).empty() ? "error box"
                                                                                : "information box";
        std::printf("owner killed after %lld ms: %s\n", static_cast<long long>(delay.count()),
                    outcome);
        session.Key("Escape");
        ASSERT_NE(session.WaitForExit(), -1) << "program hangs";
        EXPECT_TRUE(fs::is_empty(session.WorkDir()));
    }
}

TEST(ClipboardTrust, PictureOf20000By20000IsSavedOrRefusedWithTheResourceError) {
    constexpr int Side = 20000;
    Session session;
    session.OwnClipboard({{"image/png", RgbPng(Side, Side, PagePixel)}});
    const fs::path target = session.WorkDir() / "huge.jpg";
    session.StartProgram();
    const std::string window =
        session.WaitForWindow(std::string("^Sorvak$|^") + PictureDialogTitle + "$", 120000);
    ASSERT_FALSE(window.empty()) << "neither the dialog nor an error box";
    if (session.WaitForWindow(PictureDialogTitle, 100).empty()) {
        std::printf("the resource error box came\n");
        session.Key("Return");
        EXPECT_EQ(session.WaitForExit(), 0);
        EXPECT_TRUE(fs::is_empty(session.WorkDir()));
        return;
    }
    session.Type(target.string());
    session.Key("Return");
    ASSERT_EQ(session.WaitForExit(300000), 0);
    EXPECT_EQ(HeaderSize(ReadFileBytes(target)), std::make_pair(Side, Side));
}
