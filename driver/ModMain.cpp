#include "driver/ModMain.h"

#include "base/CrLfFile.h"
#include "base/FileNames.h"
#include "base/Paths.h"
#include "base/ShownText.h"
#include "clipboard/DropFiles.h"
#include "imaging/Bitmap.h"
#include "imaging/Graphic.h"
#include "imaging/PictureFormats.h"

#include <cctype>
#include <chrono>
#include <exception>
#include <future>

namespace sorvak {

TDataModule1* DataModule1 = nullptr;

namespace {

constexpr const char* PictureSection = "PictureDialog";
constexpr const char* TextSection = "TextSaveDialog";

// Waits for work on another thread; a progress window, when there is one,
// stays painted meanwhile.
void WaitShowing(std::future<void>& work, WriteProgress* progress) {
    while (work.wait_for(std::chrono::milliseconds(50)) != std::future_status::ready) {
        if (progress)
            progress->Report(-1);
    }
}

// Stops the clipboard's transfer when the scope is left by an exception: the
// work waiting on it then ends at once, and the future that owns the work
// does not hold the program until the transfer's own bound.
class AbandonOnUnwind {
public:
    explicit AbandonOnUnwind(TClipboard& clipboard)
        : clipboard_(clipboard), unwinding_(std::uncaught_exceptions()) {}
    ~AbandonOnUnwind() {
        if (std::uncaught_exceptions() > unwinding_)
            clipboard_.Abandon();
    }
    AbandonOnUnwind(const AbandonOnUnwind&) = delete;
    AbandonOnUnwind& operator=(const AbandonOnUnwind&) = delete;

private:
    TClipboard& clipboard_;
    int unwinding_;
};

} // namespace

std::string DefaultPictureName(std::int32_t width, std::int32_t height, int codePage) {
    const std::string utf8 = "Image\xEF\xBC\x88" + std::to_string(width) + "\xC3\x97" +
                             std::to_string(height) + "\xEF\xBC\x89";
    const std::string name = codepage::FromUtf8(utf8, codePage);
    // A set without these characters would make them "?", which the dialog
    // reads as a filter pattern: Save would then filter instead of saving.
    if (codepage::ToUtf8(name, codePage) == utf8)
        return name;
    return "Image(" + std::to_string(width) + "x" + std::to_string(height) + ")";
}

std::unique_ptr<TGraphic> CreatePictureWriter(std::uint8_t filterIndex) {
    return PictureFormatOf(filterIndex).CreateWriter();
}

std::string PictureFormatName(std::uint8_t filterIndex) {
    std::string name(PictureFormatOf(filterIndex).DefaultExt);
    for (char& c : name)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return name;
}

void FollowWriteProgress(TGraphic& writer, WriteProgress& progress) {
    writer.OnWriteProgress = [&progress](int percent) { progress.Report(percent); };
}

TDataModule1::TDataModule1(DriverServices services) : services_(std::move(services)) {
    DataModule1 = this;
    ExtIniFile1 = std::make_unique<TExtIniFile>(services_.ProgramPath);

    SavePictureDialog1 = std::make_unique<TSavePictureDialog>(services_.Dialogs);
    SavePictureDialog1->Filter = codepage::FromUtf8(PictureFilterText());
    SavePictureDialog1->Options = {TOpenOption::ofOverwritePrompt, TOpenOption::ofHideReadOnly,
                                   TOpenOption::ofEnableSizing};
    SavePictureDialog1->Title =
        AnsiShownText(SORVAK_TEXT("sorvak", "クリップボード画像に名前を付けて保存"));

    TextSaveDialog1 = std::make_unique<TTextSaveDialog>(services_.Dialogs);
    TextSaveDialog1->DefaultExt = "txt";
    TextSaveDialog1->SetFileName("ClipboardText.txt");
    TextSaveDialog1->Filter = AnsiShownText(SORVAK_TEXT("sorvak", "テキストファイル(*.txt)")) +
                              "|*.txt|" + AnsiShownText(SORVAK_TEXT("sorvak", "すべてのファイル")) +
                              "|*.*";
    TextSaveDialog1->Options = {TOpenOption::ofOverwritePrompt, TOpenOption::ofEnableSizing};
    TextSaveDialog1->Title =
        AnsiShownText(SORVAK_TEXT("sorvak", "クリップボードテキストに名前を付けて保存"));
    TextSaveDialog1->ShowPlacesBar = true;
    TextSaveDialog1->Preview = true;

    try {
        DataModuleCreate();
    } catch (const std::exception& failure) {
        if (services_.ShowError)
            services_.ShowError(failure);
    }
}

TDataModule1::~TDataModule1() {
    TextSaveDialog1.reset();
    SavePictureDialog1.reset();
    ExtIniFile1.reset();
    if (DataModule1 == this)
        DataModule1 = nullptr;
}

std::string TDataModule1::ProgramFolder() const {
    return FileNameFromSystem(FolderOf(services_.ProgramPath));
}

void TDataModule1::DataModuleCreate() {
    TClipboard& clipboard = *services_.Clipboard;
    if (clipboard.QueryFormat(CF_BITMAP))
        PictureBranch();
    else if (clipboard.QueryFormat(CF_TEXT))
        TextBranch();
    else if (clipboard.QueryFormat(CF_HDROP))
        FileListBranch();
    else
        ShowUnsupported();
    quitPosted_ = true;
}

void TDataModule1::ShowUnsupported() {
    if (services_.ShowInformation)
        services_.ShowInformation(
            SORVAK_TEXT("sorvak", "情報"),
            SORVAK_TEXT("sorvak", "クリップボードが空か未サポートのフォーマットです。"));
}

std::string TDataModule1::InitialDirOf(const char* section) {
    if (!services_.InitialFolder.empty())
        return services_.InitialFolder;
    return ExtIniFile1->ReadStr(section, "InitialDir", ProgramFolder());
}

void TDataModule1::SetPictureDefaultExt(std::uint8_t index) {
    SavePictureDialog1->DefaultExt = std::string(PictureFormatOf(index).DefaultExt);
}

void TDataModule1::PictureBranch() {
    // The name needs only the size, which the picture's first bytes give:
    // the dialog shows before the rest of it has come.
    const auto [width, height] = services_.Clipboard->BitmapSize();
    const auto index =
        static_cast<std::uint8_t>(ExtIniFile1->ReadInt(PictureSection, "SavePicMode", 1) & 0xFF);
    SavePictureDialog1->SetFilterIndex(index);
    SavePictureDialog1->InitialDir = InitialDirOf(PictureSection);
    SetPictureDefaultExt(index);
    SavePictureDialog1->SetFileName(DefaultPictureName(width, height));
    // The picture may still be on its way from the clipboard's owner: it is
    // taken, decoded and copied while the user chooses, so that Save starts
    // the write as soon as it can. Nothing else touches the clipboard while
    // the dialog is open; a failure is reported after Save.
    TBitmap bitmap;
    std::future<void> filled =
        std::async(std::launch::async, [&] { services_.Clipboard->FillBitmap(bitmap); });
    const AbandonOnUnwind abandonFill(*services_.Clipboard);
    if (!SavePictureDialog1->Execute()) {
        services_.Clipboard->Abandon();
        filled.wait();
        return;
    }
    const int chosen = SavePictureDialog1->FilterIndex();
    const std::string fileName = SavePictureDialog1->FileName();
    const auto format = static_cast<std::uint8_t>(chosen);
    std::unique_ptr<WriteProgress> progress;
    if (services_.StartWriteProgress)
        progress = services_.StartWriteProgress(PictureFormatName(format));
    // A wait for the picture counts as the start of its write.
    WaitShowing(filled, progress.get());
    try {
        filled.get();
    } catch (const ClipboardContentUnreadable&) {
        progress.reset();
        ShowUnsupported();
        return;
    }
    std::unique_ptr<TGraphic> writer = CreatePictureWriter(format);
    if (progress)
        FollowWriteProgress(*writer, *progress);
    writer->AssignFrom(bitmap);
    writer->WriteToFile(fileName);
    progress.reset();
    ExtIniFile1->WriteInt(PictureSection, "SavePicMode", chosen);
    ExtIniFile1->WriteStr(PictureSection, "InitialDir", FolderOf(fileName));
}

void TDataModule1::TextBranch() {
    TextSaveDialog1->InitialDir = InitialDirOf(TextSection);
    if (!TextSaveDialog1->Execute()) {
        services_.Clipboard->Abandon();
        return;
    }
    // One pass from the clipboard's text to the file, in pieces: a large
    // text is never held twice. The text may still be on its way: the
    // progress window shows while it comes.
    const std::string fileName = TextSaveDialog1->FileName();
    std::unique_ptr<WriteProgress> progress;
    if (services_.StartWriteProgress)
        progress = services_.StartWriteProgress("TXT");
    CrLfFile file(fileName);
    std::future<void> written = std::async(std::launch::async, [&] {
        services_.Clipboard->ReadText([&file](std::string_view piece) { file.Append(piece); });
        file.Close();
    });
    const AbandonOnUnwind abandonRead(*services_.Clipboard);
    WaitShowing(written, progress.get());
    written.get();
    progress.reset();
    ExtIniFile1->WriteStr(TextSection, "InitialDir", FolderOf(fileName));
}

void TDataModule1::GetClipboardFileList(LineList& list) {
    TClipboard& clipboard = *services_.Clipboard;
    if (!clipboard.QueryFormat(CF_HDROP))
        return;
    std::optional<std::string> block;
    {
        ClipboardOpen open(clipboard);
        block = clipboard.ReadDataBlock(CF_HDROP);
    }
    if (block)
        ReadFileNames(*block, list);
}

void TDataModule1::FileListBranch() {
    LineList paths;
    GetClipboardFileList(paths);
    if (!services_.CreateFileListWindow)
        return;
    // Freed on every path, also when filling or showing it fails.
    const std::unique_ptr<FileListWindow> window = services_.CreateFileListWindow(*this);
    TTextSaveDialog& dialog = window->SaveDialog();
    dialog.InitialDir = InitialDirOf(FileListSettingsSection);
    dialog.Filter = TextSaveDialog1->Filter;
    dialog.SetFileName("CopyFiles.txt");
    dialog.DefaultExt = "txt";
    dialog.Title =
        AnsiShownText(SORVAK_TEXT("sorvak", "コピーされたファイルリストに名前を付けて保存"));
    window->SetMemoText(paths.JoinText());
    window->ShowModal();
}

} // namespace sorvak
