// Clipboard text and surroundings that a careless program would mangle.
#include "tests/e2e/Session.h"
#include "tests/support/Locales.h"

#include <gtest/gtest.h>

using namespace sorvak::e2e;
namespace fs = std::filesystem;

namespace {

std::string SaveClipboardText(Session& session, const std::string& name,
                              const std::map<std::string, std::string>& environment = {}) {
    const fs::path target = session.WorkDir() / name;
    // The whole text is taken before the dialog opens: a long wait for large ones.
    session.StartProgram(environment);
    if (session.WaitForWindow(TextDialogTitle, 120000).empty())
        return "<no dialog>";
    session.Type(target.string());
    session.Key("Return");
    if (session.WaitForExit(120000) != 0)
        return "<no normal end>";
    return ReadFileBytes(target);
}

bool IsValidUtf8(const std::string& s) {
    for (std::size_t i = 0; i < s.size();) {
        const auto b = static_cast<unsigned char>(s[i]);
        const std::size_t n = b < 0x80         ? 1
                              : (b >> 5) == 6  ? 2
                              : (b >> 4) == 14 ? 3
                              : (b >> 3) == 30 ? 4
                                               : 0;
        if (n == 0 || i + n > s.size())
            return false;
        for (std::size_t k = 1; k < n; ++k)
            if ((static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80)
                return false;
        i += n;
    }
    return true;
}

} // namespace

TEST(BadInput, InvalidUtf8TextIsSavedAsValidTextAroundReplacementCharacters) {
    Session session;
    session.OwnClipboard({{"text/plain;charset=utf-8", "ok\xFF\xFE\xC3(end"}});
    const std::string file = SaveClipboardText(session, "invalid.txt");
    ASSERT_GE(file.size(), 7u) << file;
    EXPECT_EQ(file.substr(0, 2), "ok");
    EXPECT_EQ(file.substr(file.size() - 5), "end\r\n");
    EXPECT_TRUE(IsValidUtf8(file));
    EXPECT_NE(file.find("\xEF\xBF\xBD"), std::string::npos) << "U+FFFD in place of bad bytes";
}

TEST(BadInput, HundredMegabytesOfTextArriveWhole) {
    Session session;
    const std::string line =
        "0123456789 abcdefghijklmnopqrstuvwxyz ABCDEFGHIJKLMNOPQRSTUVWXYZ 日本語\n";
    std::string text;
    text.reserve(100u << 20);
    while (text.size() + line.size() <= (100u << 20))
        text += line;
    const std::size_t lines = text.size() / line.size();
    session.OwnClipboard({{"text", text}});
    const std::string file = SaveClipboardText(session, "large.txt");
    ASSERT_EQ(file.size(), text.size() + lines);
    std::string expectedLine = line;
    expectedLine.insert(expectedLine.size() - 1, "\r");
    EXPECT_EQ(file.substr(0, expectedLine.size()), expectedLine);
    EXPECT_EQ(file.substr(file.size() - expectedLine.size()), expectedLine);
}

// The text file is written in the locale's code page; the plain C locale
// keeps the clipboard's UTF-8.
TEST(BadInput, LocaleChoosesTheTextFileCodePage) {
    const struct {
        const char* locale;
        std::string text, file, expected;
    } cases[] = {
        {"C", "日本語", "c.txt", "日本語\r\n"},
        // "é" has no code page 932 form: it becomes the default character.
        {"ja_JP.SJIS", "日本語\nx\u00E9y", "sjis.txt", "\x93\xFA\x96\x7B\x8C\xEA\r\nx?y\r\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.locale);
        if (!sorvak::test::LocaleLoads(c.locale))
            GTEST_SKIP() << "no " << c.locale << " locale";
        Session session;
        session.OwnClipboard({{"text", c.text}});
        const std::string file =
            SaveClipboardText(session, c.file, {{"LANG", c.locale}, {"LC_ALL", c.locale}});
        EXPECT_EQ(file, c.expected);
    }
}
