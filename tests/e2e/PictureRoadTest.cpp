// The picture road: a picture on the clipboard of another program, the
// picture dialog, and the written file read back by ImageMagick.
#include "tests/e2e/Session.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <iterator>

using namespace sorvak::e2e;
namespace fs = std::filesystem;
using namespace std::chrono_literals;

namespace {

constexpr int Width = 7, Height = 5;

// Asymmetric, so that flipped rows or swapped channels show.
std::string SourceRgb() {
    std::string rgb;
    for (int y = 0; y < Height; ++y)
        for (int x = 0; x < Width; ++x) {
            rgb.push_back(static_cast<char>(x * 36));
            rgb.push_back(static_cast<char>(y * 60));
            rgb.push_back(static_cast<char>(250 - x * 10 - y * 20));
        }
    return rgb;
}

std::string DecodeRgb(const fs::path& file, const std::map<std::string, std::string>& env) {
    return RunCommand({"convert", file.string(), "-depth", "8", "rgb:-"}, env, 20s).Output;
}

// The source picture in another format, as ImageMagick writes it.
std::string EncodeAs(Session& session, const std::string& rgb, const std::string& format) {
    const fs::path raw = session.WorkDir() / "source.rgb";
    WriteFileBytes(raw, rgb);
    const std::string size = std::to_string(Width) + "x" + std::to_string(Height);
    const std::string encoded =
        RunCommand({"convert", "-size", size, "-depth", "8", "rgb:" + raw.string(), format + ":-"},
                   session.Environment(), 20s)
            .Output;
    fs::remove(raw);
    return encoded;
}

std::string PngOf(Session& session, const std::string& rgb) {
    return EncodeAs(session, rgb, "png");
}

std::string Settings(int mode, const fs::path& folder) {
    return "[PictureDialog]\r\nSavePicMode=" + std::to_string(mode) +
           "\r\nInitialDir=" + folder.string() + "\r\n\r\n";
}

// The default name for the 7 x 5 picture, Image（7×5）, in UTF-8.
const std::string ProposedName = "Image\xEF\xBC\x88"
                                 "7"
                                 "\xC3\x97"
                                 "5"
                                 "\xEF\xBC\x89";

int MaxDifference(const std::string& a, const std::string& b) {
    int most = 0;
    for (std::size_t i = 0; i < std::min(a.size(), b.size()); ++i)
        most = std::max(
            most, std::abs(static_cast<unsigned char>(a[i]) - static_cast<unsigned char>(b[i])));
    return most;
}

} // namespace

TEST(PictureRoad, EachOfferSavedThroughEachFilterIsRemembered) {
    enum Fidelity { Exact, WebCube, Lossy };
    struct Filter {
        int mode;
        const char* extension;
        Fidelity fidelity;
    } filters[] = {{1, "bmp", Exact}, {3, "png", Exact}, {4, "gif", WebCube}, {2, "jpg", Lossy}};
    Session session;
    const std::string rgb = SourceRgb();
    // image/jpeg alone, as some screenshot tools offer it.
    for (const char* offer : {"png", "bmp", "jpeg"}) {
        const std::string bytes =
            EncodeAs(session, rgb, offer == std::string("bmp") ? "bmp3" : offer);
        ASSERT_FALSE(bytes.empty());
        // What the offer holds; a JPEG offer is already lossy.
        const fs::path offered = session.WorkDir() / "offered";
        WriteFileBytes(offered, bytes);
        const std::string source = DecodeRgb(offered, session.Environment());
        fs::remove(offered);
        ASSERT_EQ(source.size(), rgb.size());
        const bool lossyOffer = offer == std::string("jpeg");
        for (const Filter& f : filters) {
            SCOPED_TRACE(std::string(offer) + " as " + f.extension);
            WriteFileBytes(session.SettingsPath(),
                           "[PictureDialog]\r\nSavePicMode=" + std::to_string(f.mode) + "\r\n");
            session.OwnClipboard({{std::string("image/") + offer, bytes}});
            // A name without extension gets the remembered format's.
            const fs::path typed =
                session.WorkDir() / (std::string(offer) + "-" + std::to_string(f.mode));
            ASSERT_EQ(session.SaveThroughDialog(PictureDialogTitle, typed.string()), 0);
            const fs::path written = typed.string() + "." + f.extension;
            ASSERT_TRUE(fs::exists(written));
            const std::string decoded = DecodeRgb(written, session.Environment());
            ASSERT_EQ(decoded.size(), rgb.size());
            if (f.fidelity == Exact) {
                // Decoders may round a JPEG offer's pixels a little apart.
                EXPECT_LE(MaxDifference(decoded, source), lossyOffer ? 3 : 0);
            } else if (f.fidelity == WebCube) {
                std::string cube = source;
                for (char& channel : cube)
                    channel =
                        static_cast<char>((static_cast<unsigned char>(channel) + 3) / 51 * 51);
                EXPECT_LE(MaxDifference(decoded, cube), lossyOffer ? 51 : 0);
            } else {
                EXPECT_LE(MaxDifference(decoded, source), 40);
            }
            EXPECT_EQ(ReadFileBytes(session.SettingsPath()), Settings(f.mode, session.WorkDir()));
        }
    }
}

TEST(PictureRoad, NextRunProposesTheSizeTheLastFormatAndTheLastFolder) {
    Session session;
    const std::string png = PngOf(session, SourceRgb());
    const fs::path folder = session.WorkDir() / "pictures";
    fs::create_directories(folder);
    WriteFileBytes(session.SettingsPath(), "[PictureDialog]\r\nSavePicMode=4\r\n");
    session.OwnClipboard({{"image/png", png}});
    ASSERT_EQ(session.SaveThroughDialog(PictureDialogTitle, (folder / "first").string()), 0);
    ASSERT_TRUE(fs::exists(folder / "first.gif"));
    EXPECT_EQ(ReadFileBytes(session.SettingsPath()), Settings(4, folder));

    // Return takes the proposal: the size in the name, GIF, that folder.
    session.OwnClipboard({{"image/png", png}});
    session.StartProgram();
    ASSERT_FALSE(session.WaitForWindow(PictureDialogTitle).empty());
    session.Key("Return");
    ASSERT_EQ(session.WaitForExit(), 0);
    const fs::path proposed = folder / (ProposedName + ".gif");
    ASSERT_TRUE(fs::exists(proposed));
    EXPECT_EQ(DecodeRgb(proposed, session.Environment()).size(), SourceRgb().size());
}

TEST(PictureRoad, SavePicMode258ProposesJpegAndWritesTwoBack) {
    Session session;
    WriteFileBytes(session.SettingsPath(), Settings(258, session.WorkDir()));
    session.OwnClipboard({{"image/png", PngOf(session, SourceRgb())}});
    session.StartProgram();
    ASSERT_FALSE(session.WaitForWindow(PictureDialogTitle).empty());
    session.Key("Return");
    ASSERT_EQ(session.WaitForExit(), 0);
    const std::string jpeg = ReadFileBytes(session.WorkDir() / (ProposedName + ".jpg"));
    ASSERT_GE(jpeg.size(), 3u);
    EXPECT_EQ(jpeg.substr(0, 3), "\xFF\xD8\xFF");
    EXPECT_EQ(ReadFileBytes(session.SettingsPath()), Settings(2, session.WorkDir()));
}

TEST(PictureRoad, CancelWritesNothingAndKeepsTheSettings) {
    Session session;
    const std::string settings = Settings(3, session.WorkDir());
    WriteFileBytes(session.SettingsPath(), settings);
    session.OwnClipboard({{"image/png", PngOf(session, SourceRgb())}});
    const auto before = std::distance(fs::directory_iterator(session.WorkDir()), {});
    session.StartProgram();
    ASSERT_FALSE(session.WaitForWindow(PictureDialogTitle).empty());
    session.Key("Escape");
    ASSERT_EQ(session.WaitForExit(), 0);
    EXPECT_EQ(std::distance(fs::directory_iterator(session.WorkDir()), {}), before);
    EXPECT_EQ(ReadFileBytes(session.SettingsPath()), settings);
}

TEST(PictureRoad, LongWriteShowsItsProgressAndTheFileIsWhole) {
    Session session;
    // Noise: deflate finds nothing to shorten, so the PNG write takes
    // well over half a second.
    const fs::path source = session.WorkDir() / "noise.png";
    RunCommand({"convert", "-size", "4000x3000", "xc:", "+noise", "Random", "-depth", "8",
                source.string()},
               session.Environment(), 120s);
    session.OwnClipboard({{"image/png", ReadFileBytes(source)}});
    WriteFileBytes(session.SettingsPath(), "[PictureDialog]\r\nSavePicMode=3\r\n");
    const fs::path typed = session.WorkDir() / "written.png";
    session.StartProgram();
    ASSERT_FALSE(session.WaitForWindow(PictureDialogTitle).empty());
    session.Type(typed.string());
    session.Key("Return");
    EXPECT_FALSE(session.WaitForWindow("^Sorvak$", 30000).empty());
    ASSERT_EQ(session.WaitForExit(60000), 0);
    auto pixels = [&session](const fs::path& file) {
        return RunCommand({"identify", "-format", "%m %wx%h %#", file.string()},
                          session.Environment(), 60s)
            .Output;
    };
    const std::string expected = pixels(source);
    ASSERT_EQ(expected.substr(0, 14), "PNG 4000x3000 ");
    EXPECT_EQ(pixels(typed), expected);
}

TEST(PictureRoad, TransparentPixelsAreLaidOverWhite) {
    Session session;
    const fs::path source = session.WorkDir() / "alpha.png";
    // Left half transparent red, right half opaque blue.
    RunCommand({"convert", "-size", "4x2", "xc:none", "-fill", "rgba(255,0,0,0)", "-draw",
                "rectangle 0,0 1,1", "-fill", "rgb(0,0,255)", "-draw", "rectangle 2,0 3,1",
                source.string()},
               session.Environment(), 20s);
    session.OwnClipboard({{"image/png", ReadFileBytes(source)}});
    fs::remove(source);
    const fs::path typed = session.WorkDir() / "over-white.bmp";
    ASSERT_EQ(session.SaveThroughDialog(PictureDialogTitle, typed.string()), 0);
    const std::string white = "\xFF\xFF\xFF", blue = std::string("\0\0\xFF", 3);
    EXPECT_EQ(DecodeRgb(typed, session.Environment()),
              white + white + blue + blue + white + white + blue + blue);
}
