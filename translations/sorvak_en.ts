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
</context>
</TS>
