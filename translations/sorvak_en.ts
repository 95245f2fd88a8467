<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="ja_JP">
<context>
    <name>FileDialog</name>
    <message>
        <source>読み取り専用ファイルとして開く(&amp;R)</source>
        <translation>Open as &amp;read-only</translation>
    </message>
</context>
<context>
    <name>FileListWindow</name>
    <message>
        <source>ファイルのコピー</source>
        <translation>Copied Files</translation>
    </message>
    <message>
        <source>クリップボードにコピーされたファイルのパスです。</source>
        <translation>The paths of the files copied to the clipboard.</translation>
    </message>
    <message>
        <source>コピー</source>
        <translation>Copy</translation>
    </message>
    <message>
        <source>保存</source>
        <translation>Save</translation>
    </message>
    <message>
        <source>閉じる</source>
        <translation>Close</translation>
    </message>
</context>
<context>
    <name>MessageBox</name>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
</context>
<context>
    <name>Notification</name>
    <message>
        <source>%1 を保存しました</source>
        <translation>Saved %1</translation>
    </message>
    <message>
        <source>フォルダに表示</source>
        <translation>Show in Folder</translation>
    </message>
    <message>
        <source>クリップボードを保存できませんでした</source>
        <translation>Could not save the clipboard</translation>
    </message>
</context>
<context>
    <name>PicturePane</name>
    <message>
        <source>画像が不正です</source>
        <translation>Invalid picture</translation>
    </message>
    <message>
        <source>プレビュー</source>
        <translation>Preview</translation>
    </message>
</context>
<context>
    <name>PreviewWindow</name>
    <message>
        <source>プレビュー</source>
        <translation>Preview</translation>
    </message>
</context>
<context>
    <name>ProgressWindow</name>
    <message>
        <source>%1 形式で保存しています...</source>
        <translation>Saving as %1...</translation>
    </message>
</context>
<context>
    <name>sorvak</name>
    <message>
        <source>ファイル &quot;%s&quot;. %s を作成できません</source>
        <translation>Cannot create file &quot;%s&quot;. %s</translation>
    </message>
    <message>
        <source>ストリームへの書き込みエラー</source>
        <translation>Stream write error</translation>
    </message>
    <message>
        <source>ファイル &quot;%s&quot;. %s は開けません</source>
        <translation>Cannot open file &quot;%s&quot;. %s</translation>
    </message>
    <message>
        <source>クリップボードを開くことができません</source>
        <translation>Cannot open the clipboard</translation>
    </message>
    <message>
        <source>未対応のクリップボード データです</source>
        <translation>Unsupported clipboard data</translation>
    </message>
    <message>
        <source>(なし)</source>
        <translation>(None)</translation>
    </message>
    <message>
        <source>画像:</source>
        <translation>Picture:</translation>
    </message>
    <message>
        <source>すべての画像 (*.bmp;*.ico;*.wmf;*.emf;*.jpeg;*.jpg;*.png;*.gif)</source>
        <translation>All pictures (*.bmp;*.ico;*.wmf;*.emf;*.jpeg;*.jpg;*.png;*.gif)</translation>
    </message>
    <message>
        <source>内容をプレビューする(&amp;P)</source>
        <translation>&amp;Preview contents</translation>
    </message>
    <message>
        <source>クリップボード画像に名前を付けて保存</source>
        <translation>Save Clipboard Picture As</translation>
    </message>
    <message>
        <source>テキストファイル(*.txt)</source>
        <translation>Text files (*.txt)</translation>
    </message>
    <message>
        <source>すべてのファイル</source>
        <translation>All files</translation>
    </message>
    <message>
        <source>クリップボードテキストに名前を付けて保存</source>
        <translation>Save Clipboard Text As</translation>
    </message>
    <message>
        <source>情報</source>
        <translation>Information</translation>
    </message>
    <message>
        <source>クリップボードが空か未サポートのフォーマットです。</source>
        <translation>The clipboard is empty or holds an unsupported format.</translation>
    </message>
    <message>
        <source>コピーされたファイルリストに名前を付けて保存</source>
        <translation>Save Copied File List As</translation>
    </message>
    <message>
        <source>不正なイメージ リスト</source>
        <translation>Invalid image list</translation>
    </message>
    <message>
        <source>不正なプロパティの値です</source>
        <translation>Invalid property value</translation>
    </message>
    <message>
        <source>%s%s%s の読み込み中のエラー : %s</source>
        <translation>Error reading %s%s%s: %s</translation>
    </message>
    <message>
        <source>ストリームからの読み込みエラー</source>
        <translation>Stream read error</translation>
    </message>
    <message>
        <source>フォーム記述の入れ子が深すぎます</source>
        <translation>Form description nested too deeply</translation>
    </message>
    <message>
        <source>ビットマップイメージが不正です</source>
        <translation>Bitmap image is not valid</translation>
    </message>
    <message>
        <source>システム リソースが足りません</source>
        <translation>Out of system resources</translation>
    </message>
    <message>
        <source>JPEG エラー #%d</source>
        <translation>JPEG error #%d</translation>
    </message>
    <message>
        <source>メモリストリームの拡大中にメモリが足りなくなりました</source>
        <translation>Out of memory while expanding memory stream</translation>
    </message>
    <message>
        <source>ビットマップ (*.bmp)</source>
        <translation>Bitmaps (*.bmp)</translation>
    </message>
    <message>
        <source>JPEG イメージファイル (*.jpg)</source>
        <translation>JPEG image files (*.jpg)</translation>
    </message>
    <message>
        <source>PNG イメージファイル (*.png)</source>
        <translation>PNG image files (*.png)</translation>
    </message>
    <message>
        <source>GIF イメージファイル (*.gif)</source>
        <translation>GIF image files (*.gif)</translation>
    </message>
    <message>
        <source>ファイル名が長すぎます</source>
        <translation>File name too long</translation>
    </message>
    <message>
        <source>sorvak %1
</source>
        <translation>sorvak %1
</translation>
    </message>
    <message>
        <source>sorvak: 不明なオプションです: %1（--help を参照）</source>
        <translation>sorvak: unknown option: %1 (see --help)</translation>
    </message>
    <message>
        <source>sorvak: %1 には値が必要です</source>
        <translation>sorvak: %1 needs a value</translation>
    </message>
    <message>
        <source>sorvak: 余分な引数です: %1（--help を参照）</source>
        <translation>sorvak: unexpected argument: %1 (see --help)</translation>
    </message>
    <message>
        <source>sorvak: %1 が二度指定されています</source>
        <translation>sorvak: %1 is given twice</translation>
    </message>
    <message>
        <source>sorvak: 不明な画像形式です: %1（bmp, png, jpg, jpeg, gif のいずれか）</source>
        <translation>sorvak: unknown picture format: %1 (one of bmp, png, jpg, jpeg, gif)</translation>
    </message>
    <message>
        <source>sorvak: --format は --output と共に指定してください</source>
        <translation>sorvak: --format needs --output</translation>
    </message>
    <message>
        <source>sorvak: --folder と --output は同時に指定できません</source>
        <translation>sorvak: --folder and --output cannot be used together</translation>
    </message>
    <message>
        <source>sorvak: フォルダーではありません: %1</source>
        <translation>sorvak: not a folder: %1</translation>
    </message>
    <message>
        <source>sorvak: クリップボードが空か未サポートのフォーマットです。</source>
        <translation>sorvak: the clipboard is empty or holds an unsupported format.</translation>
    </message>
    <message>
        <source>sorvak: クリップボードに画像がありません</source>
        <translation>sorvak: the clipboard holds no picture</translation>
    </message>
    <message>
        <source>sorvak: クリップボードにテキストもファイルのリストもありません</source>
        <translation>sorvak: the clipboard holds neither text nor a list of files</translation>
    </message>
    <message>
        <source>sorvak: %1</source>
        <translation>sorvak: %1</translation>
    </message>
    <message>
        <source>sorvak: X11 ディスプレイを開けません (DISPLAY=%1)</source>
        <translation>sorvak: cannot open the X11 display (DISPLAY=%1)</translation>
    </message>
    <message>
        <source>sorvak: Thunar のメニュー項目を %1 に追加しました</source>
        <translation>sorvak: added the Thunar menu item to %1</translation>
    </message>
    <message>
        <source>sorvak: Thunar のメニュー項目は %1 にすでにあります</source>
        <translation>sorvak: the Thunar menu item is already in %1</translation>
    </message>
    <message>
        <source>sorvak: %1 を読み取れないため変更しませんでした</source>
        <translation>sorvak: could not read %1, so it was left unchanged</translation>
    </message>
    <message>
        <source>Line index out of range (%d)</source>
        <translation>Line index out of range (%d)</translation>
    </message>
    <message>
        <source>Image too large for GIF: width and height must not exceed 65535</source>
        <translation>Image too large for GIF: width and height must not exceed 65535</translation>
    </message>
    <message>
        <source>Color table overflow</source>
        <translation>Color table overflow</translation>
    </message>
    <message>
        <source>Unsupported GIF version</source>
        <translation>Unsupported GIF version</translation>
    </message>
    <message>
        <source>Invalid image dimensions</source>
        <translation>Invalid image dimensions</translation>
    </message>
    <message>
        <source>Object type not supported for operation</source>
        <translation>Object type not supported for operation</translation>
    </message>
    <message>
        <source>Failed to allocate memory for GIF DIB</source>
        <translation>Failed to allocate memory for GIF DIB</translation>
    </message>
    <message>
        <source>Invalid stream operation</source>
        <translation>Invalid stream operation</translation>
    </message>
    <message>
        <source>Invalid bits per pixel</source>
        <translation>Invalid bits per pixel</translation>
    </message>
    <message>
        <source>Color not in color table</source>
        <translation>Color not in color table</translation>
    </message>
    <message>
        <source>PNG compression failed (zlib: %s)</source>
        <translation>PNG compression failed (zlib: %s)</translation>
    </message>
    <message>
        <source>Cannot save an empty image (width or height is 0)</source>
        <translation>Cannot save an empty image (width or height is 0)</translation>
    </message>
    <message>
        <source>Interlaced PNG writing is not supported</source>
        <translation>Interlaced PNG writing is not supported</translation>
    </message>
    <message>
        <source>名前のテンプレート &quot;%s&quot; からはファイル名を作れません</source>
        <translation>The name template &quot;%s&quot; gives no file name</translation>
    </message>
    <message>
        <source>sorvak: %1 に書き込めません: %2</source>
        <translation>sorvak: cannot write to %1: %2</translation>
    </message>
    <message>
        <source>標準出力</source>
        <translation>standard output</translation>
    </message>
    <message>
        <source>HOME も XDG_CONFIG_HOME も設定されていません</source>
        <translation>neither HOME nor XDG_CONFIG_HOME is set</translation>
    </message>
    <message>
        <source>使い方: sorvak [オプション]
クリップボードの内容（画像、テキスト、コピーされたファイルのリスト）をファイルに保存します。
オプションなしで起動すると、内容に合った保存ダイアログを開きます。

  -h, --help               この説明を表示して終了します
  -v, --version            版数を表示して終了します
      --folder DIR         保存ダイアログを DIR で開きます
  -o, --output FILE        ダイアログなしで FILE に保存します
                           - は標準出力、フォルダーならその中の空いている名前
      --format FORMAT      画像の形式: bmp, png, jpg, jpeg, gif
                           （FILE の拡張子より優先します）
      --name TEMPLATE      フォルダーに保存するときの名前: strftime の欄（%Y-%m-%d %H.%M.%S など）と
                           {width}, {height}, {kind}（拡張子は形式から）
      --notify             保存したファイル（または失敗）をデスクトップ通知で知らせます
      --watch DIR          終了するまで、クリップボードの新しい内容を DIR に保存し続けます
  -n, --no-clobber         既存のファイルを置き換えません
  -q, --quiet              エラーの行を表示しません
      --list-types         クリップボードが提供する MIME タイプを 1 行に 1 つ表示します
      --add-thunar-action  Thunar の右クリックメニューに項目を追加します

フォルダーに保存すると、書き込んだファイルのパスを標準出力に表示します。

終了ステータス:
  0  保存しました
  1  書き込みまたはクリップボードの読み取りに失敗しました（既存のファイルを -n で残した場合も）
  2  オプションの誤り
  3  クリップボードに保存できる内容がないか、求めた種類ではありません
</source>
        <translation>Usage: sorvak [OPTION]...
Saves what the clipboard holds (a picture, text, a list of copied files) into a file.
Started without options, it opens the save dialog that fits the content.

  -h, --help               show this help and exit
  -v, --version            show the version and exit
      --folder DIR         open the save dialog in DIR
  -o, --output FILE        save to FILE without a dialog
                           - is standard output; a folder takes a free name in it
      --format FORMAT      picture format: bmp, png, jpg, jpeg, gif
                           (wins over FILE&apos;s extension)
      --name TEMPLATE      the name of a save into a folder: strftime fields
                           (%Y-%m-%d %H.%M.%S...) and {width}, {height}, {kind}
                           (the extension comes from the format)
      --notify             tell the desktop which file was saved (or what failed)
      --watch DIR          until ended, save each new clipboard content into DIR
  -n, --no-clobber         never replace an existing file
  -q, --quiet              print no error line
      --list-types         print the MIME types the clipboard offers, one a line
      --add-thunar-action  add an item to Thunar&apos;s context menu

Saved into a folder, it prints the path of the file it wrote on standard output.

Exit status:
  0  saved
  1  writing the file or reading the clipboard failed (an existing file kept by -n too)
  2  wrong options
  3  the clipboard holds nothing that can be saved, or not the kind asked for
</translation>
    </message>
    <message>
        <source>sorvak: --watch は --output、--folder、--no-clobber と同時に指定できません</source>
        <translation>sorvak: --watch goes with neither --output, --folder nor --no-clobber</translation>
    </message>
    <message>
        <source>sorvak: %1 は --output か --watch と共に指定してください</source>
        <translation>sorvak: %1 needs --output or --watch</translation>
    </message>
</context>
</TS>
