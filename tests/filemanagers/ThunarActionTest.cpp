// Our action joins the user's uca.xml without changing a byte of the rest.
#include "resources/filemanagers/ThunarAction.h"

#include <gtest/gtest.h>

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
