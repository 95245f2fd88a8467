#include "base/Paths.h"

#include <gtest/gtest.h>

namespace sorvak {
namespace {

TEST(FolderOf, CutsAfterLastSlashKeepingTheRoot) {
    struct Case {
        const char* path;
        const char* folder;
    };
    const Case cases[] = {
        {"/a.png", "/"},
        {"/home/u/a.png", "/home/u"},
        {"/home/u/", "/home/u"},
        {"a.png", ""},
        {"", ""},
        {"/", "/"},
        {"//a.png", "//"}, // the "/" follows another "/": kept
        {"/home//a.png", "/home//"},
        {"dir/a.png", "dir"},
        {"c:/x", "c:"}, // ":" is an ordinary character
        {"/home/u/.hidden", "/home/u"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(FolderOf(c.path), c.folder) << c.path;
}

TEST(Paths, NamesAndSeparatedFolder) {
    EXPECT_EQ(FolderWithSeparator("/opt/sorvak/sorvak"), "/opt/sorvak/");
    EXPECT_EQ(FolderWithSeparator("sorvak"), "");
    EXPECT_EQ(FileNameOf("/opt/sorvak/sorvak.bin"), "sorvak.bin");
    EXPECT_EQ(BaseNameOf("/opt/sorvak/sorvak"), "sorvak");
    EXPECT_EQ(BaseNameOf("/opt/my.tool.bin"), "my.tool");
    EXPECT_EQ(BaseNameOf("/opt.d/tool"), "tool"); // a dot in a folder is no extension
}

TEST(Paths, ProgramIsThisTestExecutable) {
    const std::string path = ProgramPath();
    ASSERT_FALSE(path.empty());
    EXPECT_EQ(path.front(), '/');
    EXPECT_EQ(ProgramBaseName(), "test_paths");
    EXPECT_EQ(ProgramFolder() + "/test_paths", path);
}

} // namespace
} // namespace sorvak
