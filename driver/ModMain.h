#pragma once
// The program's one module: its components and the export of the clipboard
// that runs when it is created.
#include "base/LineList.h"
#include "clipboard/Clipboard.h"
#include "dialogs/FileListWindow.h"
#include "dialogs/SavePictureDialog.h"
#include "dialogs/TextDlgs.h"
#include "settings/ExtIniFile.h"

#include <cstdint>
#include <exception>
#include <functional>
#include <memory>
#include <string>

namespace sorvak {

class TDataModule1;
class TGraphic;

// Follows one picture write; whatever shows it goes when this is destroyed.
class WriteProgress {
public:
    virtual ~WriteProgress() = default;
    // The part of the write done, 0 to 100; -1 while the write waits for the
    // content to come from the clipboard.
    virtual void Report(int percent) = 0;
};

// What the module needs of its surroundings; the program passes the real
// services, tests pass doubles.
struct DriverServices {
    TClipboard* Clipboard = nullptr;
    FileDialogService* Dialogs = nullptr;
    // Information box: caption and text in UTF-8.
    std::function<void(const std::string& caption, const std::string& text)> ShowInformation;
    // The error box for a failure that left the export.
    std::function<void(const std::exception& failure)> ShowError;
    // Creates the file list window with the module as its owner; the
    // dispatch fills it, shows it and frees it.
    std::function<std::unique_ptr<FileListWindow>(TDataModule1& owner)> CreateFileListWindow;
    // Starts following a picture write in the named format ("PNG"), from
    // before the writer takes the picture until the file is written. Not
    // part of the export: nothing is followed when it is not set.
    std::function<std::unique_ptr<WriteProgress>(const std::string& format)> StartWriteProgress;
    // The running program file (file-system bytes); its folder holds the
    // settings file.
    std::string ProgramPath;
    // When set (--folder), this run's save dialog opens here instead of the
    // remembered folder; what a save remembers stays as it is.
    std::string InitialFolder;
};

class TDataModule1 {
public:
    // Creates the components (the settings store reads its file at once),
    // then runs DataModuleCreate; a failure there is shown in the error box.
    explicit TDataModule1(DriverServices services);
    // Frees the components; the settings store writes its file now.
    ~TDataModule1();
    TDataModule1(const TDataModule1&) = delete;
    TDataModule1& operator=(const TDataModule1&) = delete;

    std::unique_ptr<TExtIniFile> ExtIniFile1;
    std::unique_ptr<TSavePictureDialog> SavePictureDialog1;
    std::unique_ptr<TTextSaveDialog> TextSaveDialog1;

    // The export: one branch by the first clipboard format found.
    void DataModuleCreate();
    void SetPictureDefaultExt(std::uint8_t index);
    // Appends the paths of the clipboard's file list.
    void GetClipboardFileList(LineList& list);

    // Set when the export ended normally and asked the program to end.
    bool QuitPosted() const { return quitPosted_; }
    // The folder of the running program file, the default of every folder,
    // in the code page.
    std::string ProgramFolder() const;

private:
    void PictureBranch();
    void TextBranch();
    void FileListBranch();
    // The information box for a clipboard without content the program saves.
    void ShowUnsupported();
    std::string InitialDirOf(const char* section);

    DriverServices services_;
    bool quitPosted_ = false;
};

// The module of the running program; set while it exists.
extern TDataModule1* DataModule1;

// Image（W×H） in the ANSI code page; Image(WxH) where the code page cannot
// hold （, × or ）.
std::string DefaultPictureName(std::int32_t width, std::int32_t height,
                               int codePage = codepage::System());
// The name of the format written for a filter index: its extension in
// capitals ("BMP", "JPG", ...).
std::string PictureFormatName(std::uint8_t filterIndex);
// Routes the writer's progress notices to progress, as one 0-100 scale.
void FollowWriteProgress(TGraphic& writer, WriteProgress& progress);
// The writer object for a filter index of the picture dialog.
std::unique_ptr<TGraphic> CreatePictureWriter(std::uint8_t filterIndex);

} // namespace sorvak
