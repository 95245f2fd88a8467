// The binary-to-text conversion of component streams: value forms, strings
// and their line breaking, component prefixes, errors and hostile input.
#include <clocale>
#include <functional>
#include <string>

#include <gtest/gtest.h>

#include "formtext/FormText.h"
#include "tests/formtext/FormStreamWriter.h"

namespace sorvak {
namespace {

using test::FormStreamWriter;
using ValueWriter = std::function<void(FormStreamWriter&)>;

std::string Convert(const std::string& stream) {
    std::string text;
    FormBinaryToText(stream, text);
    return text;
}

// The stream of a component Form1 with one property P and its value.
std::string OnePropertyStream(const ValueWriter& value) {
    FormStreamWriter w;
    w.Signature().Object("TForm1", "Form1").Prop("P");
    value(w);
    w.End().End();
    return w.bytes;
}

// What the converter writes for the value, after "P = " and before the CR LF.
std::string ValueText(const ValueWriter& value) {
    const std::string text = Convert(OnePropertyStream(value));
    const std::string head = "object Form1: TForm1\r\n  P = ";
    const std::string tail = "\r\nend\r\n";
    if (text.size() < head.size() + tail.size() || text.compare(0, head.size(), head) != 0 ||
        text.compare(text.size() - tail.size(), tail.size(), tail) != 0) {
        ADD_FAILURE() << "unexpected frame: " << text;
        return text;
    }
    return text.substr(head.size(), text.size() - head.size() - tail.size());
}

std::string ErrorOf(const std::string& stream) {
    try {
        Convert(stream);
    } catch (const EFormReadError& e) {
        return e.what();
    }
    return "(no error)";
}

struct ValueCase {
    const char* name;
    ValueWriter value;
    std::string expected;
};

const std::string Indent4 = "\r\n    ";

TEST(FormBinaryToText, WritesEachValueType) {
    const std::string hex40 = "000102030405060708090A0B0C0D0E0F101112131415161718191A1B1C1D1E1F"
                              "2021222324252627";
    std::string bytes40;
    for (int i = 0; i < 40; ++i)
        bytes40.push_back(static_cast<char>(i));
    const ValueCase cases[] = {
        {"null", [](auto& w) { w.Null(); }, "Null"},
        {"int8", [](auto& w) { w.Int(-128); }, "-128"},
        {"int16", [](auto& w) { w.Int(32767); }, "32767"},
        {"int32", [](auto& w) { w.Int(INT32_MIN); }, "-2147483648"},
        {"int64", [](auto& w) { w.Int(INT64_MIN); }, "-9223372036854775808"},
        {"false", [](auto& w) { w.Bool(false); }, "False"},
        {"true", [](auto& w) { w.Bool(true); }, "True"},
        {"nil", [](auto& w) { w.Nil(); }, "nil"},
        {"identifier", [](auto& w) { w.Ident("clBtnFace"); }, "clBtnFace"},
        {"set",
         [](auto& w) {
             w.Set({"fsBold", "fsItalic"});
         },
         "[fsBold, fsItalic]"},
        {"empty set", [](auto& w) { w.Set({}); }, "[]"},
        {"binary 3 bytes", [](auto& w) { w.Binary("\x01\xAB\xFF"); }, "{01ABFF}"},
        {"binary empty", [](auto& w) { w.Binary(""); }, "{}"},
        {"binary 40 bytes", [&](auto& w) { w.Binary(bytes40); },
         "{" + Indent4 + hex40.substr(0, 64) + Indent4 + hex40.substr(64) + "}"},
        {"extended one half", [](auto& w) { w.Extended(0.5); }, "0.500000000000000000"},
        {"extended", [](auto& w) { w.Extended(-1234.25); }, "-1234.250000000000000000"},
        {"single", [](auto& w) { w.Single(1.5f); }, "1.5s"},
        {"single 0.1", [](auto& w) { w.Single(0.1f); }, "0.100000001490116s"},
        {"currency", [](auto& w) { w.Currency(12345); }, "1.2345c"},
        {"currency whole", [](auto& w) { w.Currency(-100000); }, "-10c"},
        {"date", [](auto& w) { w.Date(36526.5); }, "36526.5d"},
        {"list", [](auto& w) { w.List().String("a").Int(2).End(); },
         "(" + Indent4 + "'a'" + Indent4 + "2)"},
        {"empty list", [](auto& w) { w.List().End(); }, "()"},
        {"nested list", [](auto& w) { w.List().List().Ident("x").End().End(); },
         "(" + Indent4 + "(\r\n      x))"},
        {"list, top bit ignored", [](auto& w) { w.Byte(0x81).Byte(0x89).End(); },
         "(" + Indent4 + "True)"},
        {"collection",
         [](auto& w) {
             w.Collection();
             w.Item().Prop("Caption").String("x").End();
             w.Item(3).End();
             w.End();
         },
         "<" + Indent4 + "item\r\n      Caption = 'x'\r\n    end" + Indent4 +
             "item [3]\r\n    end>"},
        {"empty collection", [](auto& w) { w.Collection().End(); }, "<>"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ValueText(c.value), c.expected) << c.name;
}

TEST(FormBinaryToText, QuotesStrings) {
    const std::string a64(64, 'a');
    const ValueCase cases[] = {
        {"empty", [](auto& w) { w.String(""); }, "''"},
        {"quote", [](auto& w) { w.String("it's"); }, "'it'#39's'"},
        {"line break", [](auto& w) { w.String("a\r\nb"); }, "'a'#13#10'b'"},
        {"only control bytes", [](auto& w) { w.String(std::string("\0\x1F", 2)); }, "#0#31"},
        {"bytes above 127 stay", [](auto& w) { w.String("\x93\xFA"); }, "'\x93\xFA'"},
        {"64 bytes, one line", [&](auto& w) { w.String(a64); }, "'" + a64 + "'"},
        {"65 bytes", [&](auto& w) { w.String(a64 + "b"); },
         Indent4 + "'" + a64 + "' +" + Indent4 + "'b'"},
        {"long string, type 12", [&](auto& w) { w.String(a64 + a64 + a64 + a64 + "z"); },
         Indent4 + "'" + a64 + "' +" + Indent4 + "'" + a64 + "' +" + Indent4 + "'" + a64 + "' +" +
             Indent4 + "'" + a64 + "' +" + Indent4 + "'z'"},
        {"escapes count towards the line",
         [&](auto& w) { w.String(std::string(62, 'a') + "''" + "b"); },
         Indent4 + "'" + std::string(62, 'a') + "'#39#39 +" + Indent4 + "'b'"},
        {"wide quote", [](auto& w) { w.WString(u"it's"); }, "'it'#39's'"},
        {"wide above 127", [](auto& w) { w.WString(u"a\u00E9\u65E5"); }, "'a'#233#26085"},
        {"wide 127 is quoted", [](auto& w) { w.WString(u"\u007F"); }, "'\x7F'"},
        {"wide 65 units", [&](auto& w) { w.WString(std::u16string(64, u'a') + u"\u3042"); },
         Indent4 + "'" + a64 + "' +" + Indent4 + "#12354"},
        {"wide empty", [](auto& w) { w.WString(u""); }, "''"},
        {"utf-8", [](auto& w) { w.Utf8String("a\xC3\xA9"); }, "'a'#233"},
        {"utf-8 beyond 16 bits", [](auto& w) { w.Utf8String("\xF0\x9F\x98\x80"); }, "#55357#56832"},
        {"utf-8 malformed",
         [](auto& w) {
             w.Utf8String("\xFF"
                          "a\xE3\x81");
         },
         "#65533'a'#65533#65533"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ValueText(c.value), c.expected) << c.name;
}

// The 64-byte limit never splits a double-byte character of code page 932.
TEST(FormBinaryToText, BreaksStringsBetweenDoubleByteCharacters) {
    const std::string kanji = "\x93\xFA"; // one double-byte character
    const ValueCase cases[] = {
        // The character straddles the limit: the line ends after 63 bytes.
        {"straddling", [&](auto& w) { w.String(std::string(63, 'a') + kanji + "b"); },
         Indent4 + "'" + std::string(63, 'a') + "' +" + Indent4 + "'" + kanji + "b'"},
        // Only escapes before it: the line ends without an empty run.
        {"straddling after escapes", [&](auto& w) { w.String(std::string(63, '\x01') + kanji); },
         [] {
             std::string s = Indent4;
             for (int i = 0; i < 63; ++i)
                 s += "#1";
             return s;
         }() +
             " +" + Indent4 + "'" + kanji + "'"},
        // The character ends at the limit: 64 bytes stay on the line.
        {"ending at the limit", [&](auto& w) { w.String(std::string(62, 'a') + kanji + "b"); },
         Indent4 + "'" + std::string(62, 'a') + kanji + "' +" + Indent4 + "'b'"},
        // A trail-range byte after a single-byte character is a character itself.
        {"no lead before", [&](auto& w) { w.String(std::string(64, 'a') + "\xFA"); },
         Indent4 + "'" + std::string(64, 'a') + "' +" + Indent4 + "'\xFA'"},
        // A run of characters keeps its pairs across several lines.
        {"all double-byte",
         [&](auto& w) {
             std::string s = "a";
             for (int i = 0; i < 64; ++i)
                 s += kanji;
             w.String(s);
         },
         [&] {
             std::string line1 = "a", line2;
             for (int i = 0; i < 31; ++i)
                 line1 += kanji;
             for (int i = 0; i < 32; ++i)
                 line2 += kanji;
             return Indent4 + "'" + line1 + "' +" + Indent4 + "'" + line2 + "' +" + Indent4 + "'" +
                    kanji + "'";
         }()},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ValueText(c.value), c.expected) << c.name;
}

TEST(FormBinaryToText, BreaksLongLeadByteRunsInLinearTime) {
    // Pairs of lead-range bytes: every line holds 32 pairs. Deciding where a
    // character starts must not look back to the start of the string, or
    // four megabytes of such pairs would take minutes.
    const std::string pairs(std::size_t{1} << 22, '\x81');
    const std::string text = ValueText([&](auto& w) { w.String(pairs); });
    const std::string line = Indent4 + "'" + std::string(64, '\x81') + "'";
    EXPECT_EQ(text.size(), (pairs.size() / 64) * (line.size() + 2) - 2);
    EXPECT_EQ(text.substr(0, line.size() + 2), line + " +");
}

TEST(FormBinaryToText, WritesComponentsWithPrefixesAndChildren) {
    FormStreamWriter w;
    w.Signature().Object("TForm1", "Form1").Prop("Caption").String("x").End();
    w.Object("TPanel", "").Prop("Top").Int(1).End();
    w.Object("TFrame1", "Frame1", 4).End().End();
    w.End();
    w.Object("TButton", "Button1", 1 | 2, 3).End().End();
    w.Object("TEdit", "", 2, -1).End().End();
    w.End();
    EXPECT_EQ(Convert(w.bytes), "object Form1: TForm1\r\n"
                                "  Caption = 'x'\r\n"
                                "  object TPanel\r\n"
                                "    Top = 1\r\n"
                                "    inline Frame1: TFrame1\r\n"
                                "    end\r\n"
                                "  end\r\n"
                                "  inherited Button1: TButton [3]\r\n"
                                "  end\r\n"
                                "  object TEdit [-1]\r\n"
                                "  end\r\n"
                                "end\r\n");
}

TEST(FormBinaryToText, ReadsOneComponentAndAdvances) {
    const std::string stream = FormStreamWriter().Signature().Object("T", "").End().End().bytes;
    const std::string input = stream + "rest";
    std::size_t position = 0;
    std::string text;
    StringFormTextSink sink(text);
    FormBinaryToText(input, position, sink);
    EXPECT_EQ(position, stream.size());
    EXPECT_EQ(text, "object T\r\nend\r\n");
}

TEST(FormBinaryToText, ReportsMalformedStreams) {
    const auto withValue = [](const ValueWriter& v) { return OnePropertyStream(v); };
    const std::string tpf0 = "TPF0";
    const struct {
        const char* name;
        std::string stream;
        std::string message;
    } cases[] = {
        {"wrong signature", "TPF1\x04T\x00\x00\x00", "不正なイメージ リスト"},
        {"short signature", "TPF", "ストリームからの読み込みエラー"},
        {"empty", "", "ストリームからの読み込みエラー"},
        {"type 21", withValue([](auto& w) { w.Byte(21); }), "Form1.P の読み込み中のエラー : 21"},
        {"type 127", withValue([](auto& w) { w.Byte(0xFF); }),
         "Form1.P の読み込み中のエラー : 127"},
        {"unnamed component names its class",
         FormStreamWriter().Signature().Object("TPanel", "").Prop("Q").Byte(40).bytes,
         "TPanel.Q の読み込み中のエラー : 40"},
        {"integer with top bit", withValue([](auto& w) { w.Byte(0x82).Byte(1); }),
         "不正なプロパティの値です"},
        {"string with top bit", withValue([](auto& w) { w.Byte(0x86).Byte(0); }),
         "不正なプロパティの値です"},
        {"child position not an integer", tpf0 + "\xF2\x07\x01x\x01T\x00\x00\x00",
         "不正なプロパティの値です"},
        {"collection item without list marker",
         withValue([](auto& w) { w.Collection().Int(1).Byte(2); }), "不正なプロパティの値です"},
        {"truncated value", withValue([](auto& w) { w.Byte(4).Byte(1); }),
         "ストリームからの読み込みエラー"},
        {"missing end", FormStreamWriter().Signature().Object("T", "X").End().bytes,
         "ストリームからの読み込みエラー"},
        {"huge string length", withValue([](auto& w) { w.Byte(12).Le(0xFFFFFFFF, 4); }),
         "ストリームからの読み込みエラー"},
        {"huge wide length", withValue([](auto& w) { w.Byte(18).Le(0x80000001, 4).Raw("ab"); }),
         "ストリームからの読み込みエラー"},
        {"huge binary length", withValue([](auto& w) { w.Byte(10).Le(0xFFFFFFFF, 4); }),
         "ストリームからの読み込みエラー"},
        {"short string past the end", tpf0 + "\x05TA", "ストリームからの読み込みエラー"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ErrorOf(c.stream), c.message) << c.name;
}

TEST(FormBinaryToText, BoundsTheNesting) {
    const auto nestedLists = [](int depth) {
        FormStreamWriter w;
        w.Signature().Object("T", "").Prop("P");
        for (int i = 0; i < depth; ++i)
            w.List();
        for (int i = 0; i < depth; ++i)
            w.End();
        return w.End().End().bytes;
    };
    // The property is at level 1, so MaxNesting - 1 lists reach the limit.
    const std::string deepest = Convert(nestedLists(formtext::MaxNesting - 1));
    EXPECT_NE(deepest.find(std::string(2 * formtext::MaxNesting - 2, ' ') + "()"),
              std::string::npos);
    EXPECT_EQ(ErrorOf(nestedLists(formtext::MaxNesting)), formtext::SNestingTooDeep);

    // A million nested lists or components end with the error, not a crash.
    const std::string lists = std::string("TPF0\x01T\x00\x01P", 9) + std::string(1000000, '\x01');
    EXPECT_EQ(ErrorOf(lists), formtext::SNestingTooDeep);
    std::string components = "TPF0";
    for (int i = 0; i < 100000; ++i)
        components += std::string("\x01T\x00\x00", 4);
    EXPECT_EQ(ErrorOf(components), formtext::SNestingTooDeep);
}

TEST(StringFormTextSink, KeepsOnlyTheLimit) {
    std::string text = "x";
    StringFormTextSink sink(text, 5);
    sink.Write("abc");
    sink.Write("defg");
    sink.Write("h");
    EXPECT_EQ(text, "xabcde");
}

TEST(FormBinaryToText, IgnoresTheNumericLocale) {
    // The German locale writes "0,5" in printf; it must not reach the text.
    if (!std::setlocale(LC_ALL, "de_DE.UTF-8") && !std::setlocale(LC_ALL, "de_DE.utf8"))
        GTEST_SKIP() << "no German locale installed";
    const std::string text = ValueText(
        [](auto& w) { w.List().Extended(0.5).Single(2.25f).Date(1.5).Currency(15000).End(); });
    std::setlocale(LC_ALL, "C");
    EXPECT_EQ(text, "(" + Indent4 + "0.500000000000000000" + Indent4 + "2.25s" + Indent4 + "1.5d" +
                        Indent4 + "1.5c)");
}

} // namespace
} // namespace sorvak
