// The form-file step of the text preview: the resource header, the
// conversion of the program's own two forms, and the 1024-byte cut.
#include <initializer_list>
#include <string>

#include <gtest/gtest.h>

#include "base/CodePage.h"
#include "formtext/FormPreview.h"
#include "tests/formtext/FormFixtures.h"

namespace sorvak {
namespace {

using test::ResourceFile;

std::string Lines(std::initializer_list<const char*> lines) {
    std::string text;
    for (const char* line : lines)
        text.append(line).append("\r\n");
    return text;
}

std::string FullText(const std::string& file) {
    std::string text;
    StringFormTextSink sink(text);
    ConvertFormFile(file, sink);
    return text;
}

std::string Utf8(const std::string& sjis) {
    return codepage::ToUtf8(sjis, codepage::ShiftJis);
}

std::string PreviewError(const std::string& file) {
    try {
        FormFilePreview(file);
    } catch (const EFormReadError& e) {
        return e.what();
    }
    return "(no error)";
}

TEST(FormFilePreview, ConvertsTheDataModule) {
    const std::string file = ResourceFile("TDATAMODULE1", test::DataModule1Stream());
    const std::string expected = Lines({
        "object DataModule1: TDataModule1",
        "  OldCreateOrder = False",
        "  OnCreate = DataModuleCreate",
        "  Left = 192",
        "  Top = 107",
        "  Height = 150",
        "  Width = 215",
        "  object ExtIniFile1: TExtIniFile",
        "    Left = 24",
        "    Top = 16",
        "  end",
        "  object SavePictureDialog1: TSavePictureDialog",
        "    Filter = ",
        // Lines of 64 bytes in code page 932, where a kana takes two.
        "      'ビットマップ (*.bmp)|*.bmp|JPEG イメージファイル (*.jpg)|*.jpg;*' +",
        "      '.ipeg|PNG イメージファイル (*.png)|*.png|GIF イメージファイル (*' +",
        "      '.gif)|*.gif'",
        "    Options = [ofOverwritePrompt, ofHideReadOnly, ofEnableSizing]",
        "    Title = 'クリップボード画像に名前を付けて保存'",
        "    Left = 56",
        "    Top = 16",
        "  end",
        "  object TextSaveDialog1: TTextSaveDialog",
        "    DefaultExt = 'txt'",
        "    FileName = 'ClipboardText.txt'",
        "    Filter = 'テキストファイル(*.txt)|*.txt|すべてのファイル|*.*'",
        "    Options = [ofOverwritePrompt, ofEnableSizing]",
        "    Title = 'クリップボードテキストに名前を付けて保存'",
        "    ShowPlacesBar = True",
        "    Preview = True",
        "    Left = 88",
        "    Top = 16",
        "  end",
        "  object XPManifest1: TXPManifest",
        "    Left = 120",
        "    Top = 16",
        "  end",
        "end",
    });
    const std::string full = FullText(file);
    EXPECT_EQ(Utf8(full), expected);
    ASSERT_GT(full.size(), 1024u);
    EXPECT_EQ(FormFilePreview(file), full.substr(0, 1024));
}

TEST(FormFilePreview, ConvertsTheFileListWindow) {
    const std::string file = ResourceFile("TTEXTFORM", test::TextFormStream());
    const std::string full = FullText(file);
    const auto has = [&full](const std::string& lines) {
        return full.find(lines) != std::string::npos;
    };
    EXPECT_EQ(full.substr(0, 42), "object TextForm: TTextForm\r\n  Left = 192\r\n");
    EXPECT_TRUE(has("  Font.Height = -12\r\n  Font.Name = '" + test::Sjis("ＭＳ Ｐゴシック") +
                    "'\r\n  Font.Style = []\r\n"));
    // The unnamed top panel has no colon, and its label sits one level deeper.
    EXPECT_TRUE(has("  object TPanel\r\n    Left = 0\r\n"));
    EXPECT_TRUE(has("    object Label1: TLabel\r\n"));
    EXPECT_TRUE(has("      Caption = '" +
                    test::Sjis("クリップボードにコピーされたファイルのパスです。") + "'\r\n"));
    EXPECT_TRUE(has("    Lines.Strings = (\r\n      'Memo1')\r\n"));
    EXPECT_TRUE(has(Lines({
        "    object Button2: TButton",
        "      Left = 425",
        "      Top = 8",
        "      Width = 75",
        "      Height = 25",
        "      Anchors = [akRight, akBottom]",
    })));
    EXPECT_TRUE(has(Lines({
        "      OnClick = Button2Click",
        "    end",
        "  end",
        "  object TextSaveDialog1: TTextSaveDialog",
        "    ShowPlacesBar = True",
        "    Preview = True",
        "    Left = 16",
        "    Top = 64",
        "  end",
        "end",
    })));
    EXPECT_TRUE(full.ends_with("  end\r\nend\r\n"));

    const std::string preview = FormFilePreview(file);
    EXPECT_EQ(preview, full.substr(0, PreviewLimit));
    EXPECT_EQ(FormFilePreview(file, 100), full.substr(0, 100));
}

TEST(FormFilePreview, ShowsFilesWithoutTheHeaderUnchanged) {
    const std::string textForm = "object Form1: TForm1\r\n  Caption = 'x'\r\nend\r\n";
    const std::string big(5000, 'x');
    const struct {
        const char* name;
        std::string file;
        std::string expected;
    } cases[] = {
        {"empty", "", ""},
        {"form in text form", textForm, textForm},
        {"long file is cut", big, big.substr(0, 1024)},
        {"first byte only", "\xFF", "\xFF"},
        {"type cut short", std::string("\xFF\x0A", 2), std::string("\xFF\x0A", 2)},
        {"other resource type", std::string("\xFF\x0B\x00TPF0", 7),
         std::string("\xFF\x0B\x00TPF0", 7)},
        {"bare component stream", "TPF0\x01T", "TPF0\x01T"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FormFilePreview(c.file), c.expected) << c.name;
}

TEST(FormFilePreview, ReportsStreamErrorsAfterAValidHeader) {
    const std::string stream =
        test::FormStreamWriter().Signature().Object("T", "").End().End().bytes;
    // A name with no NUL in the first 79 bytes is cut there: the stream
    // starts after 76 name bytes, 3 header bytes and 7 skipped bytes.
    const std::string longName = std::string("\xFF\x0A\x00", 3) + std::string(90, 'N');
    const struct {
        const char* name;
        std::string file;
        std::string result;
    } cases[] = {
        {"header alone", std::string("\xFF\x0A\x00", 3), "ストリームからの読み込みエラー"},
        {"text after the header", ResourceFile("X", "object Form1: TForm1"),
         "不正なイメージ リスト"},
        {"stream cut short", ResourceFile("X", stream.substr(0, stream.size() - 1)),
         "ストリームからの読み込みエラー"},
        {"valid", ResourceFile("X", stream), "(no error)"},
        {"name without NUL", longName.substr(0, 86) + stream, "(no error)"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(PreviewError(c.file), c.result) << c.name;
    EXPECT_EQ(FormFilePreview(longName.substr(0, 86) + stream), "object T\r\nend\r\n");
}

} // namespace
} // namespace sorvak
