#pragma once
// Binary form descriptions of the program's own two forms, the data module
// and the file list window, as the form designer stores them: texts as bytes
// of code page 932.
#include <string>

#include "base/CodePage.h"
#include "tests/formtext/FormStreamWriter.h"

namespace sorvak::test {

inline std::string Sjis(const char* utf8) {
    return codepage::FromUtf8(utf8, codepage::ShiftJis);
}

inline std::string DataModule1Stream() {
    FormStreamWriter w;
    w.Signature().Object("TDataModule1", "DataModule1");
    w.Prop("OldCreateOrder").Bool(false);
    w.Prop("OnCreate").Ident("DataModuleCreate");
    w.Prop("Left").Int(192).Prop("Top").Int(107);
    w.Prop("Height").Int(150).Prop("Width").Int(215);
    w.End();

    w.Object("TExtIniFile", "ExtIniFile1");
    w.Prop("Left").Int(24).Prop("Top").Int(16).End().End();

    w.Object("TSavePictureDialog", "SavePictureDialog1");
    w.Prop("Filter").String(Sjis("ビットマップ (*.bmp)|*.bmp|JPEG イメージファイル (*.jpg)|*.jpg;"
                                 "*.ipeg|PNG イメージファイル (*.png)|*.png|GIF イメージファイル "
                                 "(*.gif)|*.gif"));
    w.Prop("Options").Set({"ofOverwritePrompt", "ofHideReadOnly", "ofEnableSizing"});
    w.Prop("Title").String(Sjis("クリップボード画像に名前を付けて保存"));
    w.Prop("Left").Int(56).Prop("Top").Int(16).End().End();

    w.Object("TTextSaveDialog", "TextSaveDialog1");
    w.Prop("DefaultExt").String("txt");
    w.Prop("FileName").String("ClipboardText.txt");
    w.Prop("Filter").String(Sjis("テキストファイル(*.txt)|*.txt|すべてのファイル|*.*"));
    w.Prop("Options").Set({"ofOverwritePrompt", "ofEnableSizing"});
    w.Prop("Title").String(Sjis("クリップボードテキストに名前を付けて保存"));
    w.Prop("ShowPlacesBar").Bool(true);
    w.Prop("Preview").Bool(true);
    w.Prop("Left").Int(88).Prop("Top").Int(16).End().End();

    w.Object("TXPManifest", "XPManifest1");
    w.Prop("Left").Int(120).Prop("Top").Int(16).End().End();

    w.End(); // children of the module
    return w.bytes;
}

inline void Button(FormStreamWriter& w, const char* name, int left, const char* caption,
                   int tabOrder, const char* onClick) {
    w.Object("TButton", name);
    w.Prop("Left").Int(left).Prop("Top").Int(8).Prop("Width").Int(75).Prop("Height").Int(25);
    w.Prop("Anchors").Set({"akRight", "akBottom"});
    w.Prop("Caption").String(Sjis(caption));
    w.Prop("TabOrder").Int(tabOrder);
    w.Prop("OnClick").Ident(onClick);
    w.End().End();
}

inline std::string TextFormStream() {
    FormStreamWriter w;
    w.Signature().Object("TTextForm", "TextForm");
    w.Prop("Left").Int(192).Prop("Top").Int(114);
    w.Prop("Width").Int(521).Prop("Height").Int(246);
    w.Prop("Caption").String(Sjis("ファイルのコピー"));
    w.Prop("Color").Ident("clBtnFace");
    w.Prop("Font.Charset").Ident("SHIFTJIS_CHARSET");
    w.Prop("Font.Color").Ident("clWindowText");
    w.Prop("Font.Height").Int(-12);
    w.Prop("Font.Name").String(Sjis("ＭＳ Ｐゴシック"));
    w.Prop("Font.Style").Set({});
    w.Prop("OldCreateOrder").Bool(false);
    w.Prop("Position").Ident("poScreenCenter");
    w.Prop("PixelsPerInch").Int(96);
    w.Prop("TextHeight").Int(12);
    w.End();

    w.Object("TPanel", ""); // the unnamed top panel
    w.Prop("Left").Int(0).Prop("Top").Int(0).Prop("Width").Int(513).Prop("Height").Int(33);
    w.Prop("Align").Ident("alTop").Prop("BevelOuter").Ident("bvNone");
    w.Prop("TabOrder").Int(0);
    w.End();
    w.Object("TLabel", "Label1");
    w.Prop("Left").Int(8).Prop("Top").Int(8).Prop("Width").Int(329).Prop("Height").Int(25);
    w.Prop("AutoSize").Bool(false);
    w.Prop("Caption").String(Sjis("クリップボードにコピーされたファイルのパスです。"));
    w.Prop("WordWrap").Bool(true);
    w.End().End();
    w.End(); // children of the panel

    w.Object("TMemo", "Memo1");
    w.Prop("Left").Int(0).Prop("Top").Int(33).Prop("Width").Int(513).Prop("Height").Int(139);
    w.Prop("Align").Ident("alClient");
    w.Prop("Lines.Strings").List().String("Memo1").End();
    w.Prop("ScrollBars").Ident("ssBoth");
    w.Prop("TabOrder").Int(1);
    w.Prop("WordWrap").Bool(false);
    w.End().End();

    w.Object("TPanel", "Panel1");
    w.Prop("Left").Int(0).Prop("Top").Int(172).Prop("Width").Int(513).Prop("Height").Int(41);
    w.Prop("Align").Ident("alBottom").Prop("BevelOuter").Ident("bvNone");
    w.Prop("TabOrder").Int(2);
    w.End();
    Button(w, "Button3", 265, "コピー", 0, "Button3Click");
    Button(w, "Button1", 345, "保存", 1, "Button1Click");
    Button(w, "Button2", 425, "閉じる", 2, "Button2Click");
    w.End(); // children of Panel1

    w.Object("TTextSaveDialog", "TextSaveDialog1");
    w.Prop("ShowPlacesBar").Bool(true);
    w.Prop("Preview").Bool(true);
    w.Prop("Left").Int(16).Prop("Top").Int(64);
    w.End().End();

    w.End(); // children of the window
    return w.bytes;
}

} // namespace sorvak::test
