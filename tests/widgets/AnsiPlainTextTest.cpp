// Bytes shown in a Qt text box come back as they were, in UTF-8 and in code
// page 932, where Unicode alone would change them.
#include "widgets/AnsiPlainText.h"

#include <gtest/gtest.h>

using namespace sorvak;
using sorvak::widgets::AnsiPlainText;

TEST(AnsiPlainText, ShowsLinesAndTakesBackTheSameBytes) {
    struct Case {
        const char* name;
        int codePage;
        std::string bytes;
        QString shown;
    } cases[] = {
        {"paths with CR LF", codepage::Utf8, "/a b\r\n/写真\r\n", QStringLiteral("/a b\n/写真\n")},
        {"no final break", codepage::Utf8, "/a\r\n/b", QStringLiteral("/a\n/b")},
        {"lone LF and CR", codepage::Utf8, "/a\n/b\r/c", QStringLiteral("/a\n/b\n/c")},
        {"empty", codepage::Utf8, "", QString()},
        {"invalid UTF-8", codepage::Utf8, "/\xFF\xFE\r\n", QStringLiteral("/\uFFFD\uFFFD\n")},
        {"932 kanji", codepage::ShiftJis, "/\x8E\xCA\x90\x5E\r\n", QStringLiteral("/写真\n")},
        // Two codes of one character: NEC's and IBM's kanji extensions.
        {"932 twin", codepage::ShiftJis, "/\xED\x40\r\n", QStringLiteral("/\u7E8A\n")},
        {"932 undefined byte", codepage::ShiftJis, "/\xA0x\r\n", QStringLiteral("/?x\n")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        AnsiPlainText text(c.codePage);
        EXPECT_EQ(text.Show(c.bytes), c.shown);
        EXPECT_EQ(text.Take(c.shown), c.bytes);
    }
}

TEST(AnsiPlainText, EditedTextKeepsTheBytesOfUnchangedLines) {
    AnsiPlainText text(codepage::ShiftJis);
    QString edited = text.Show("/\xED\x40\r\n/\xA0x\r\n/old\r\n");
    edited.replace(QStringLiteral("/old"), QStringLiteral("/新しい"));
    EXPECT_EQ(text.Take(edited), "/\xED\x40\r\n/\xA0x\r\n/\x90\x56\x82\xB5\x82\xA2\r\n");
}
