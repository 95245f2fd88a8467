// Writes form description files for fuzz seeds and throughput measurements:
//   sorvak-formtext-gen forms DIR        the program's two forms and a form with
//                                        every value type, as .dfm files
//   sorvak-formtext-gen large FILE MB    a form of about MB megabytes with many
//                                        components of mixed content
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>

#include "tests/formtext/FormFixtures.h"

namespace {

using sorvak::test::FormStreamWriter;

bool Save(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out);
}

// One panel with a captioned button, an image with glyph data, a memo with
// lines, a list view with columns and a few numbers: what forms are made of.
void Block(FormStreamWriter& w, int n) {
    const std::string id = std::to_string(n);
    w.Object("TPanel", "Panel" + id);
    w.Prop("Left").Int(8 + n % 300).Prop("Top").Int(n % 20000).Prop("Width").Int(513);
    w.Prop("Height").Int(41).Prop("Align").Ident("alTop").Prop("BevelOuter").Ident("bvNone");
    w.Prop("Caption").String(sorvak::test::Sjis("パネル") + id);
    w.Prop("Font.Style").Set({"fsBold", "fsItalic"});
    w.End();

    w.Object("TButton", "Button" + id);
    w.Prop("Caption").String(
        sorvak::test::Sjis("クリップボードにコピーされたファイルのパスです。") + "It's button " +
        id + "\r\n");
    w.Prop("Hint").WString(u"Wide hint \u65E5\u672C with a quote ' and more text to wrap it");
    w.Prop("OnClick").Ident("Button" + id + "Click");
    w.End().End();

    std::string glyph;
    for (int i = 0; i < 600; ++i)
        glyph.push_back(static_cast<char>((i * 37 + n) & 0xFF));
    w.Object("TImage", "Image" + id);
    w.Prop("Picture.Data").Binary(glyph);
    w.End().End();

    w.Object("TMemo", "Memo" + id);
    w.Prop("Lines.Strings").List();
    for (int i = 0; i < 4; ++i)
        w.String("Line " + std::to_string(i) + " of memo " + id + std::string(50 + i * 10, 'x'));
    w.End();
    w.Prop("Scale").Extended(1.25 + n).Prop("Ratio").Single(0.75f);
    w.Prop("Price").Currency(1234500 + n).Prop("When").Date(45000.5 + n);
    w.End().End();

    w.Object("TListView", "ListView" + id);
    w.Prop("Columns").Collection();
    for (int i = 0; i < 3; ++i)
        w.Item().Prop("Caption").String("Column " + std::to_string(i)).Prop("Width").Int(120).End();
    w.End();
    w.End().End();

    w.End(); // children of the panel
}

// Every value type, the component prefixes, and a string whose double-byte
// character straddles the 64-byte line limit.
std::string AllTypes() {
    FormStreamWriter w;
    w.Signature().Object("TAllTypes", "AllTypes");
    w.Prop("N").Null().Prop("I8").Int(-5).Prop("I16").Int(1000).Prop("I32").Int(-100000);
    w.Prop("I64").Int(INT64_MAX).Prop("X").Extended(0.5).Prop("S").String("it's\r\n");
    w.Prop("Id").Ident("clRed").Prop("F").Bool(false).Prop("T").Bool(true);
    w.Prop("B").Binary(std::string(40, '\xAB')).Prop("Set").Set({"akLeft", "akTop"});
    w.Prop("L").String(std::string(63, 'a') + "\x93\xFA" + std::string(70, 'b'));
    w.Prop("Nil").Nil().Prop("Sg").Single(0.1f).Prop("C").Currency(12345).Prop("D").Date(1.5);
    w.Prop("W").WString(u"wide \u65E5 '").Prop("U").Utf8String("utf \xE6\x97\xA5");
    w.Prop("List").List().Int(1).List().String("x").End().End();
    w.Prop("Items").Collection().Item(0).Prop("A").Int(1).End().Item().End().End();
    w.End();
    w.Object("TChild", "", 1 | 2, 3).End().End();
    w.Object("TFrame", "Frame1", 4).End().End();
    w.End();
    return sorvak::test::ResourceFile("TALLTYPES", w.bytes);
}

std::string Large(std::size_t bytes) {
    FormStreamWriter w;
    w.Signature().Object("TLargeForm", "LargeForm");
    w.Prop("Caption").String("Large form").End();
    for (int n = 0; w.bytes.size() < bytes; ++n)
        Block(w, n);
    w.End();
    return sorvak::test::ResourceFile("TLARGEFORM", w.bytes);
}

} // namespace

int main(int argc, char** argv) {
    if (argc == 3 && std::strcmp(argv[1], "forms") == 0) {
        const std::string dir = argv[2];
        const bool ok =
            Save(dir + "/DataModule1.dfm",
                 sorvak::test::ResourceFile("TDATAMODULE1", sorvak::test::DataModule1Stream())) &&
            Save(dir + "/TextForm.dfm",
                 sorvak::test::ResourceFile("TTEXTFORM", sorvak::test::TextFormStream())) &&
            Save(dir + "/AllTypes.dfm", AllTypes());
        return ok ? 0 : 1;
    }
    if (argc == 4 && std::strcmp(argv[1], "large") == 0) {
        const double mb = std::atof(argv[3]);
        return Save(argv[2], Large(static_cast<std::size_t>(mb * 1e6))) ? 0 : 1;
    }
    std::fprintf(stderr, "usage: sorvak-formtext-gen forms DIR | large FILE MB\n");
    return 2;
}
