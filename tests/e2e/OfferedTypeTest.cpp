// -o NAME.EXT writes the owner's own bytes of the type the extension names,
// where it offers them; .txt and the picture formats keep their roads.
#include "tests/e2e/Session.h"

#include <gtest/gtest.h>

using namespace sorvak::e2e;
namespace fs = std::filesystem;
using namespace std::chrono_literals;

namespace {

int RunSorvak(Session& session, const std::vector<std::string>& arguments) {
    std::vector<std::string> argv{(session.ProgramDir() / "sorvak").string()};
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    return RunCommand(argv, session.Environment(), 30s).ExitCode;
}

TEST(E2eOfferedType, HtmlAndSvgAsOfferedTextAndPicturesByTheirRoads) {
    Session session;
    const fs::path out = session.WorkDir();
    const std::string html = "<meta charset=\"utf-8\"><b>日本語</b> &amp; more\n";
    session.OwnClipboard({{"text/html", html}, {"text", "日本語 & more"}});
    EXPECT_EQ(RunSorvak(session, {"-o", (out / "page.html").string()}), 0);
    EXPECT_EQ(ReadFileBytes(out / "page.html"), html);
    EXPECT_EQ(RunSorvak(session, {"-o", (out / "page.txt").string()}), 0);
    EXPECT_EQ(ReadFileBytes(out / "page.txt"), "日本語 & more\r\n");
    // Not offered: the text road, as before.
    EXPECT_EQ(RunSorvak(session, {"-o", (out / "page.rtf").string()}), 0);
    EXPECT_EQ(ReadFileBytes(out / "page.rtf"), "日本語 & more\r\n");

    const std::string svg = "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"4\" height=\"3\">"
                            "<rect width=\"4\" height=\"3\" fill=\"red\"/></svg>\n";
    const std::string png = ReadFileBytes(fs::path(SORVAK_SOURCE_DIR) / "docs/file-list.png");
    session.OwnClipboard({{"image/svg+xml", svg}, {"image/png", png}});
    EXPECT_EQ(RunSorvak(session, {"-o", (out / "drawing.svg").string()}), 0);
    EXPECT_EQ(ReadFileBytes(out / "drawing.svg"), svg);
    EXPECT_EQ(RunSorvak(session, {"-o", (out / "drawing.png").string()}), 0);
    EXPECT_EQ(ReadFileBytes(out / "drawing.png"), png); // the owner's own, unchanged
    // A type the owner does not offer: no file, as for any missing kind.
    EXPECT_EQ(RunSorvak(session, {"-o", (out / "drawing.webp").string()}), 3);
    EXPECT_FALSE(fs::exists(out / "drawing.webp"));
}

} // namespace
