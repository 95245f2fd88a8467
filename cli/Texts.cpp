#include "cli/Texts.h"

#include "base/ShownText.h"

#include <array>
#include <utility>

namespace sorvak::cli {

namespace {

struct Entry {
    TextId Id;
    std::string_view Source;
};

constexpr std::array Table{
    Entry{TextId::Help,
          SORVAK_TEXT(
              "sorvak",
              "使い方: sorvak [オプション]\n"
              "クリップボードの内容（画像、テキスト、コピーされたファイルのリスト）をファイルに"
              "保存します。\n"
              "オプションなしで起動すると、内容に合った保存ダイアログを開きます。\n"
              "\n"
              "  -h, --help               この説明を表示して終了します\n"
              "  -v, --version            版数を表示して終了します\n"
              "      --folder DIR         保存ダイアログを DIR で開きます\n"
              "  -o, --output FILE        ダイアログなしで FILE に保存します\n"
              "                           - は標準出力、フォルダーならその中の空いている名前\n"
              "      --format FORMAT      画像の形式: bmp, png, jpg, jpeg, gif\n"
              "                           （FILE の拡張子より優先します）\n"
              "      --name TEMPLATE      フォルダーに保存するときの名前: strftime の欄"
              "（%Y-%m-%d %H.%M.%S など）と\n"
              "                           {width}, {height}, {kind}（拡張子は形式から）\n"
              "      --notify             保存したファイル（または失敗）をデスクトップ通知で"
              "知らせます\n"
              "      --watch DIR          終了するまで、クリップボードの新しい内容を DIR に"
              "保存し続けます\n"
              "  -n, --no-clobber         既存のファイルを置き換えません\n"
              "  -q, --quiet              エラーの行を表示しません\n"
              "      --list-types         クリップボードが提供する MIME タイプを 1 行に 1 つ"
              "表示します\n"
              "      --add-thunar-action  Thunar の右クリックメニューに項目を追加します\n"
              "\n"
              "フォルダーに保存すると、書き込んだファイルのパスを標準出力に表示します。\n"
              "\n"
              "終了ステータス:\n"
              "  0  保存しました\n"
              "  1  書き込みまたはクリップボードの読み取りに失敗しました"
              "（既存のファイルを -n で残した場合も）\n"
              "  2  オプションの誤り\n"
              "  3  クリップボードに保存できる内容がないか、求めた種類ではありません\n")},
    Entry{TextId::Version, SORVAK_TEXT("sorvak", "sorvak %1\n")},
    Entry{TextId::UnknownOption,
          SORVAK_TEXT("sorvak", "sorvak: 不明なオプションです: %1（--help を参照）")},
    Entry{TextId::MissingValue, SORVAK_TEXT("sorvak", "sorvak: %1 には値が必要です")},
    Entry{TextId::UnexpectedArgument,
          SORVAK_TEXT("sorvak", "sorvak: 余分な引数です: %1（--help を参照）")},
    Entry{TextId::GivenTwice, SORVAK_TEXT("sorvak", "sorvak: %1 が二度指定されています")},
    Entry{TextId::UnknownFormat,
          SORVAK_TEXT("sorvak",
                      "sorvak: 不明な画像形式です: %1（bmp, png, jpg, jpeg, gif のいずれか）")},
    Entry{TextId::FormatWithoutOutput,
          SORVAK_TEXT("sorvak", "sorvak: --format は --output と共に指定してください")},
    Entry{TextId::FolderWithOutput,
          SORVAK_TEXT("sorvak", "sorvak: --folder と --output は同時に指定できません")},
    Entry{
        TextId::WatchWithOthers,
        SORVAK_TEXT("sorvak",
                    "sorvak: --watch は --output、--folder、--no-clobber と同時に指定できません")},
    Entry{TextId::NeedsOutputOrWatch,
          SORVAK_TEXT("sorvak", "sorvak: %1 は --output か --watch と共に指定してください")},
    Entry{TextId::NotAFolder, SORVAK_TEXT("sorvak", "sorvak: フォルダーではありません: %1")},
    Entry{TextId::NothingToSave,
          SORVAK_TEXT("sorvak", "sorvak: クリップボードが空か未サポートのフォーマットです。")},
    Entry{TextId::NoPicture, SORVAK_TEXT("sorvak", "sorvak: クリップボードに画像がありません")},
    Entry{TextId::NoTextOrFileList,
          SORVAK_TEXT("sorvak", "sorvak: クリップボードにテキストもファイルのリストもありません")},
    Entry{TextId::WriteFailed, SORVAK_TEXT("sorvak", "sorvak: %1")},
    Entry{TextId::CannotWrite, SORVAK_TEXT("sorvak", "sorvak: %1 に書き込めません: %2")},
    Entry{TextId::StandardOutput, SORVAK_TEXT("sorvak", "標準出力")},
    Entry{TextId::NoDisplay,
          SORVAK_TEXT("sorvak", "sorvak: X11 ディスプレイを開けません (DISPLAY=%1)")},
    Entry{TextId::ThunarActionAdded,
          SORVAK_TEXT("sorvak", "sorvak: Thunar のメニュー項目を %1 に追加しました")},
    Entry{TextId::ThunarActionPresent,
          SORVAK_TEXT("sorvak", "sorvak: Thunar のメニュー項目は %1 にすでにあります")},
    Entry{TextId::ThunarFileNotUnderstood,
          SORVAK_TEXT("sorvak", "sorvak: %1 を読み取れないため変更しませんでした")},
};

Translator& CurrentTranslator() {
    static Translator translator;
    return translator;
}

} // namespace

std::string_view SourceText(TextId id) {
    for (const Entry& entry : Table)
        if (entry.Id == id)
            return entry.Source;
    return {};
}

void SetTranslator(Translator translator) {
    CurrentTranslator() = std::move(translator);
}

std::string Text(TextId id, std::initializer_list<std::string_view> arguments) {
    const std::string_view source = SourceText(id);
    const Translator& translator = CurrentTranslator();
    const std::string text = translator ? translator(source) : std::string(source);
    // One pass, so that an argument holding "%2" stays as it is.
    std::string result;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 1 < text.size() && text[i + 1] >= '1' && text[i + 1] <= '9') {
            const std::size_t index = static_cast<std::size_t>(text[i + 1] - '1');
            if (index < arguments.size()) {
                // A name with a line break must not split the one-line message.
                for (char c : *(arguments.begin() + index))
                    result += static_cast<unsigned char>(c) < 0x20 ? '?' : c;
                ++i;
                continue;
            }
        }
        result += text[i];
    }
    return result;
}

} // namespace sorvak::cli
