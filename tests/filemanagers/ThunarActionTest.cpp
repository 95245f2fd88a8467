// Our action joins the user's uca.xml without changing a byte of the rest;
// a user without one starts from the system's.
#include "resources/filemanagers/ThunarAction.h"

#include "base/Exception.h"
#include "resources/filemanagers/ThunarActionFile.h"
#include "tests/support/TestFiles.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

using namespace sorvak::filemanagers;

namespace {

const std::string Program = "/opt/my tools/sorvak";

const std::string Theirs = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                           "<actions>\n"
                           "<action>\n\t<icon>utilities-terminal</icon>\n"
                           "\t<name>Open Terminal Here</name>\n"
                           "\t<unique-id>1234-1</unique-id>\n"
                           "\t<command>exo-open --working-directory %f</command>\n"
                           "\t<directories/>\n</action>\n"
                           "</actions>\n";

} // namespace

TEST(ThunarAction, NewFileHoldsOnlyOurs) {
    for (const std::optional<std::string>& existing :
         {std::optional<std::string>{}, std::optional<std::string>{""},
          std::optional<std::string>{"\n  \n"}}) {
        const ThunarEditResult edit = AddThunarAction(existing, Program);
        ASSERT_EQ(edit.Outcome, ThunarEdit::Added);
        EXPECT_TRUE(edit.Text.starts_with(
            "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<actions>\n<action>"));
        EXPECT_TRUE(edit.Text.ends_with("</action>\n</actions>\n"));
        EXPECT_NE(edit.Text.find("<command>'/opt/my tools/sorvak' --folder %f</command>"),
                  std::string::npos);
        EXPECT_NE(edit.Text.find("<directories/>"), std::string::npos);
    }
}

TEST(ThunarAction, OthersStayByteForByteAndOursIsAddedOnce) {
    const ThunarEditResult edit = AddThunarAction(Theirs, Program);
    ASSERT_EQ(edit.Outcome, ThunarEdit::Added);
    const std::size_t ours = edit.Text.find("<action>\n\t<icon>sorvak</icon>");
    ASSERT_NE(ours, std::string::npos);
    const std::size_t end = edit.Text.find("</action>\n", ours) + 10;
    EXPECT_EQ(edit.Text.substr(0, ours) + edit.Text.substr(end), Theirs);
    EXPECT_EQ(AddThunarAction(edit.Text, Program).Outcome, ThunarEdit::AlreadyThere);
}

TEST(ThunarAction, ProgramPathIsQuotedForTheShellAndEscapedForXml) {
    const ThunarEditResult edit = AddThunarAction(std::nullopt, "/a'b&<c>");
    EXPECT_NE(edit.Text.find("<command>'/a'\\''b&amp;&lt;c&gt;' --folder %f</command>"),
              std::string::npos);
}

TEST(ThunarAction, FileOfAnotherShapeIsLeftAlone) {
    for (const std::string text :
         {"not xml at all", "<actions>\n", "<actions></actions>\n<trailing/>", "</actions>"}) {
        SCOPED_TRACE(text);
        EXPECT_EQ(AddThunarAction(text, Program).Outcome, ThunarEdit::NotUnderstood);
    }
}

namespace {

// Sets an environment variable while it lives.
class ScopedVariable {
public:
    ScopedVariable(const char* name, const std::string& value) : name_(name) {
        if (const char* old = std::getenv(name))
            old_ = old;
        ::setenv(name, value.c_str(), 1);
    }
    ~ScopedVariable() {
        if (old_)
            ::setenv(name_, old_->c_str(), 1);
        else
            ::unsetenv(name_);
    }
    ScopedVariable(const ScopedVariable&) = delete;
    ScopedVariable& operator=(const ScopedVariable&) = delete;

private:
    const char* name_;
    std::optional<std::string> old_;
};

} // namespace

TEST(ThunarActionFile, UserWithoutAFileStartsFromTheSystemsAndAnUnreadableFileStays) {
    namespace fs = std::filesystem;
    sorvak::test::TempDir temp;
    const fs::path user = temp.Path() / "config";
    const fs::path empty = temp.Path() / "empty-xdg";
    const fs::path system = temp.Path() / "xdg";
    fs::create_directories(system / "Thunar");
    fs::create_directories(empty);
    sorvak::test::WriteFileBytes(system / "Thunar/uca.xml", Theirs);
    const ScopedVariable config("XDG_CONFIG_HOME", user.string());
    // The first folder of the list that holds the file is the system's.
    const ScopedVariable dirs("XDG_CONFIG_DIRS",
                              "relative:" + empty.string() + ":" + system.string());

    const ThunarActionInstall done = AddThunarActionForUser(Program);
    EXPECT_EQ(done.Outcome, ThunarEdit::Added);
    EXPECT_EQ(done.File, (user / "Thunar/uca.xml").string());
    const std::string written = sorvak::test::ReadFileBytes(user / "Thunar/uca.xml");
    EXPECT_EQ(written, AddThunarAction(Theirs, Program).Text);
    EXPECT_EQ(sorvak::test::ReadFileBytes(system / "Thunar/uca.xml"), Theirs);
    EXPECT_EQ(AddThunarActionForUser(Program).Outcome, ThunarEdit::AlreadyThere);

    // A file that cannot be read is an error and stays as it is.
    fs::remove(user / "Thunar/uca.xml");
    fs::create_directory(user / "Thunar/uca.xml");
    EXPECT_THROW(AddThunarActionForUser(Program), sorvak::Exception);
    EXPECT_TRUE(fs::is_directory(user / "Thunar/uca.xml"));
}
