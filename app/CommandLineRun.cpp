#include "app/CommandLineRun.h"

#include "base/ClipboardFormats.h"
#include "base/CodePage.h"
#include "base/FileErrors.h"
#include "base/FilePath.h"
#include "base/OutputFile.h"
#include "base/Paths.h"
#include "driver/FreeName.h"
#include "driver/NameTemplate.h"
#include "driver/QuickSave.h"
#include "platform/notify/SaveNotification.h"
#include "platform/qt/ShownTexts.h"
#include "platform/selection/OfferedByExtension.h"
#include "platform/selection/OfferedTypes.h"
#include "platform/selection/QtClipboard.h"
#include "resources/filemanagers/ThunarActionFile.h"

#include <cerrno>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <memory>
#include <vector>

namespace sorvak::app {

namespace {

int AddThunarAction(const ErrorLine& errors) {
    try {
        const filemanagers::ThunarActionInstall done =
            filemanagers::AddThunarActionForUser(ProgramPath());
        const std::string file = ForTerminal(codepage::ToUtf8(done.File));
        switch (done.Outcome) {
        case filemanagers::ThunarEdit::Added:
            return Print(cli::Text(cli::TextId::ThunarActionAdded, {file}) + "\n");
        case filemanagers::ThunarEdit::AlreadyThere:
            return Print(cli::Text(cli::TextId::ThunarActionPresent, {file}) + "\n");
        case filemanagers::ThunarEdit::NotUnderstood:
            errors.Print(cli::TextId::ThunarFileNotUnderstood, {file});
            return cli::ExitFailed;
        }
    } catch (const std::exception& failure) {
        errors.Print(failure);
    }
    return cli::ExitFailed;
}

} // namespace

std::optional<int> AnswerWithoutDisplay(const cli::CommandLine& line,
                                        const StandardStreams& streams,
                                        std::string& initialFolder) {
    const ErrorLine errors(line.Quiet);
    switch (line.Action) {
    case cli::Action::Help:
        return Print(cli::Text(cli::TextId::Help));
    case cli::Action::Version:
        return Print(cli::Text(cli::TextId::Version, {SORVAK_VERSION}));
    case cli::Action::UsageError:
        if (!line.Quiet)
            std::fprintf(stderr, "%s\n", line.Error.c_str());
        return cli::ExitUsage;
    case cli::Action::AddThunarAction:
        return AddThunarAction(errors);
    case cli::Action::Run:
    case cli::Action::ListTypes:
        break;
    }
    // Said before the display is opened: nothing could take the bytes.
    if (line.Output == "-" && streams.OutputClosedAtStart) {
        errors.Print(StandardOutputError(EBADF));
        return cli::ExitFailed;
    }
    if (line.NameTemplate) {
        try {
            CheckNameTemplate(*line.NameTemplate);
        } catch (const ENameTemplate& refused) {
            errors.Print(refused);
            return cli::ExitUsage;
        }
    }
    // A template names files in a folder; the watch saves into one.
    const std::optional<std::string> folder = line.Watch          ? line.Watch
                                              : line.NameTemplate ? line.Output
                                                                  : std::nullopt;
    if (std::error_code error; folder && !std::filesystem::is_directory(*folder, error)) {
        errors.Print(cli::TextId::NotAFolder, {*folder});
        return cli::ExitUsage;
    }
    if (line.Folder) {
        std::error_code error;
        if (!std::filesystem::is_directory(*line.Folder, error)) {
            errors.Print(cli::TextId::NotAFolder, {*line.Folder});
            return cli::ExitUsage;
        }
        // Arguments are the file system's bytes, as a shell's completion
        // gives them; the module's names are in the locale's code page.
        initialFolder = codepage::FromUtf8(AbsolutePath(*line.Folder));
    }
    return std::nullopt;
}

int ListTypes(const platform::ClipboardTransfer::SourceFactory& open,
              const cli::CommandLine& line) {
    const ErrorLine errors(line.Quiet);
    try {
        const std::unique_ptr<platform::SelectionSource> source = open();
        const std::vector<std::string> types = platform::OfferedTypes(*source);
        if (types.empty()) {
            errors.Print(cli::TextId::NothingToSave);
            return cli::ExitNothing;
        }
        std::string text;
        for (const std::string& type : types)
            text += type + "\n";
        return Print(text);
    } catch (const platform::SelectionTimeout&) {
        // The text every other read of a silent owner gives.
        errors.Print(Exception(SORVAK_TEXT("sorvak", "クリップボードを開くことができません")));
    } catch (const std::exception& failure) {
        errors.Print(failure);
    }
    return cli::ExitFailed;
}

namespace {

std::tm LocalNow() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    ::localtime_r(&now, &local);
    return local;
}

// -o page.html and the like: the owner's bytes of that type, unchanged,
// where it offers them; nothing when the program's own roads decide.
std::optional<int> SaveOfferedType(const platform::ClipboardTransfer::SourceFactory& open,
                                   const cli::CommandLine& line, const ErrorLine& errors,
                                   platform::SaveNotice& notice) {
    std::error_code error;
    if (line.Format || *line.Output == "-" || std::filesystem::is_directory(*line.Output, error))
        return std::nullopt;
    try {
        const std::unique_ptr<platform::SelectionSource> source = open();
        const std::optional<platform::OfferedBytes> offered =
            platform::OfferedBytesForName(*source, *line.Output);
        if (!offered)
            return std::nullopt;
        const FilePath target = FilePath::FromSystem(*line.Output);
        // -n: the name is taken before anything is written, as on the
        // other roads.
        Reservation reserved;
        if (line.NoClobber && !reserved.Take(target.Bytes()))
            throw EFCreateError(target.Name(), errno);
        WriteWholeFile(target, offered->Bytes);
        reserved.Keep();
        notice.File = *line.Output;
        return cli::ExitWritten;
    } catch (const platform::SelectionTimeout&) {
        const Exception failure(SORVAK_TEXT("sorvak", "クリップボードを開くことができません"));
        notice.Failure = platform::ShownMessage(failure);
        errors.Print(failure);
    } catch (const std::exception& failure) {
        notice.Failure = platform::ShownMessage(failure);
        errors.Print(failure);
    }
    return cli::ExitFailed;
}

int Save(TClipboard& clipboard, const cli::CommandLine& line, const ErrorLine& errors,
         platform::SaveNotice& notice) {
    const bool toStandardOutput = *line.Output == "-";
    QuickSaveRequest request;
    request.Output = *line.Output;
    request.Format = line.Format;
    request.NoClobber = line.NoClobber;
    request.ProgramPath = ProgramPath();
    request.NameTemplate = line.NameTemplate;
    request.Now = LocalNow;
    request.WriteStandardOutput = WriteStandardOutput;
    const auto refuse = [&](cli::TextId id) {
        notice.Failure = cli::Text(id);
        errors.Print(id);
        return cli::ExitNothing;
    };
    try {
        std::string written;
        switch (SaveWithoutDialog(clipboard, request, &written)) {
        case QuickSaveResult::Written:
            if (!toStandardOutput) {
                notice.File = written;
                notice.Picture = clipboard.QueryFormat(CF_BITMAP);
            }
            // A script learns the name the program chose in a folder: the
            // file system's bytes, as find gives them.
            if (!toStandardOutput && written != *line.Output)
                return Print(written + "\n");
            return cli::ExitWritten;
        case QuickSaveResult::NothingToSave:
            return refuse(cli::TextId::NothingToSave);
        case QuickSaveResult::NoPicture:
            return refuse(cli::TextId::NoPicture);
        case QuickSaveResult::NoTextOrFileList:
            return refuse(cli::TextId::NoTextOrFileList);
        }
    } catch (const ENameTemplate& refused) {
        // Known only once the content is: text has no {width}.
        notice.Failure = platform::ShownMessage(refused);
        errors.Print(refused);
        return cli::ExitUsage;
    } catch (const std::exception& failure) {
        notice.Failure = platform::ShownMessage(failure);
        errors.Print(failure);
    }
    return cli::ExitFailed;
}

} // namespace

int SaveOutput(const platform::ClipboardTransfer::SourceFactory& open,
               const cli::CommandLine& line) {
    const ErrorLine errors(line.Quiet);
    platform::SaveNotice notice;
    std::optional<int> status = SaveOfferedType(open, line, errors, notice);
    if (!status) {
        // A save to a text file's name takes the text even beside a picture.
        platform::QtClipboard backend(open, platform::AfterPicture::Everything);
        TClipboard clipboard(backend);
        status = Save(clipboard, line, errors, notice);
    }
    // The user has a few seconds to ask for the file; the notice closing
    // ends the wait sooner.
    if (line.Notify && (notice.File || !notice.Failure.empty()))
        platform::NotifySave(notice, std::chrono::seconds(10));
    return *status;
}

} // namespace sorvak::app
