// The picture road: a picture on the clipboard of another program, the
// picture dialog, and the written file read back by ImageMagick.
#include "Session.h"

#include <gtest/gtest.h>

#include <cstdlib>

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

std::string PngOf(Session& session, const std::string& rgb) {
    const fs::path raw = session.WorkDir() / "source.rgb";
    WriteFileBytes(raw, rgb);
    const std::string size = std::to_string(Width) + "x" + std::to_string(Height);
    const std::string png =
        RunCommand({"convert", "-size", size, "-depth", "8", "rgb:" + raw.string(), "png:-"},
                   session.Environment(), 20s)
            .Output;
    fs::remove(raw);
    return png;
}

} // namespace

TEST(PictureRoad, EachRememberedFormatWritesItsFileAndIsRemembered) {
    enum Fidelity { Exact, WebCube, Lossy };
    struct Case {
        int mode;
        const char* extension;
        Fidelity fidelity;
    } cases[] = {{1, "bmp", Exact}, {3, "png", Exact}, {4, "gif", WebCube}, {2, "jpg", Lossy}};
    Session session;
    const std::string rgb = SourceRgb();
    const std::string png = PngOf(session, rgb);
    ASSERT_EQ(png.substr(0, 4), "\x89PNG");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.extension);
        WriteFileBytes(session.SettingsPath(),
                       "[PictureDialog]\r\nSavePicMode=" + std::to_string(c.mode) + "\r\n");
        session.OwnClipboard({{"image/png", png}});
        // A name without extension gets the remembered format's.
        const fs::path typed = session.WorkDir() / ("pic" + std::to_string(c.mode));
        ASSERT_EQ(session.SaveThroughDialog(PictureDialogTitle, typed.string()), 0);
        const fs::path written = typed.string() + "." + c.extension;
        ASSERT_TRUE(fs::exists(written));
        const std::string decoded = DecodeRgb(written, session.Environment());
        ASSERT_EQ(decoded.size(), rgb.size());
        if (c.fidelity == Exact) {
            EXPECT_EQ(decoded, rgb);
        } else if (c.fidelity == WebCube) {
            std::string cube = rgb;
            for (char& channel : cube)
                channel = static_cast<char>((static_cast<unsigned char>(channel) + 3) / 51 * 51);
            EXPECT_EQ(decoded, cube);
        } else {
            for (std::size_t i = 0; i < rgb.size(); ++i)
                EXPECT_LE(std::abs(static_cast<unsigned char>(decoded[i]) -
                                   static_cast<unsigned char>(rgb[i])),
                          40)
                    << "byte " << i;
        }
        EXPECT_EQ(ReadFileBytes(session.SettingsPath()),
                  "[PictureDialog]\r\nSavePicMode=" + std::to_string(c.mode) +
                      "\r\nInitialDir=" + session.WorkDir().string() + "\r\n\r\n");
    }
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
