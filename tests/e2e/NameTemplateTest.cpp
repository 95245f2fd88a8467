// -o DIR --name: the template's file name with today's date and the
// picture's size; a template that gives no file name is a usage error that
// writes nothing.
#include "tests/e2e/Session.h"

#include <gtest/gtest.h>

#include <ctime>
#include <set>

using namespace sorvak::e2e;
namespace fs = std::filesystem;
using namespace std::chrono_literals;

namespace {

std::string Today() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char date[16];
    std::strftime(date, sizeof date, "%Y-%m-%d", &local);
    return date;
}

int RunSorvak(Session& session, const std::vector<std::string>& arguments) {
    std::vector<std::string> argv{(session.ProgramDir() / "sorvak").string()};
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    return RunCommand(argv, session.Environment(), 30s).ExitCode;
}

TEST(E2eNameTemplate, DateAndSizeInTheNameTheExtensionFromTheFormat) {
    Session session;
    const std::string png = ReadFileBytes(fs::path(SORVAK_SOURCE_DIR) / "docs/file-list.png");
    session.OwnClipboard({{"image/png", png}});
    const fs::path folder = session.WorkDir();
    const std::string before = Today();
    ASSERT_EQ(RunSorvak(session, {"-o", folder.string(), "--name", "%Y-%m-%d {width}x{height}",
                                  "--format", "jpg"}),
              0);
    ASSERT_EQ(RunSorvak(session, {"-o", folder.string(), "--name", "%Y-%m-%d {width}x{height}",
                                  "--format", "jpg"}),
              0);
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder))
        names.insert(entry.path().filename().string());
    const std::string identified =
        RunCommand({"identify", "-format", "%wx%h", (folder / *names.begin()).string()},
                   session.Environment(), 20s)
            .Output;
    EXPECT_FALSE(identified.empty());
    const std::set<std::string> expected{before + " " + identified + ".jpg",
                                         before + " " + identified + " (2).jpg"};
    if (names != expected && Today() != before) // midnight passed
        GTEST_SKIP() << "the date changed during the test";
    EXPECT_EQ(names, expected);
}

TEST(E2eNameTemplate, ATemplateWithoutAFileNameIsRefusedAndNothingWritten) {
    Session session;
    session.OwnClipboard({{"text", "a"}});
    const fs::path folder = session.WorkDir();
    for (const char* pattern : {"%Y/%m", "{size}", "x%", ".."})
        EXPECT_EQ(RunSorvak(session, {"-o", folder.string(), "--name", pattern}), 2) << pattern;
    // Known only from the content: text has no width.
    EXPECT_EQ(RunSorvak(session, {"-o", folder.string(), "--name", "{width}"}), 2);
    // A template is for a folder.
    EXPECT_EQ(RunSorvak(session, {"-o", (folder / "a.txt").string(), "--name", "%F"}), 2);
    EXPECT_TRUE(fs::is_empty(folder));
}

} // namespace
