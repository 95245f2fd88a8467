#include "app/CommandLineRun.h"

#include "base/CodePage.h"
#include "base/FileErrors.h"
#include "base/Paths.h"
#include "driver/QuickSave.h"
#include "platform/selection/OfferedTypes.h"
#include "resources/filemanagers/ThunarActionFile.h"

#include <cerrno>
#include <cstdio>
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

int SaveOutput(TClipboard& clipboard, const cli::CommandLine& line) {
    const ErrorLine errors(line.Quiet);
    const bool toStandardOutput = *line.Output == "-";
    QuickSaveRequest request;
    request.Output = *line.Output;
    request.Format = line.Format;
    request.NoClobber = line.NoClobber;
    request.ProgramPath = ProgramPath();
    request.WriteStandardOutput = WriteStandardOutput;
    try {
        std::string written;
        switch (SaveWithoutDialog(clipboard, request, &written)) {
        case QuickSaveResult::Written:
            // A script learns the name the program chose in a folder: the
            // file system's bytes, as find gives them.
            if (!toStandardOutput && written != *line.Output)
                return Print(written + "\n");
            return cli::ExitWritten;
        case QuickSaveResult::NothingToSave:
            errors.Print(cli::TextId::NothingToSave);
            return cli::ExitNothing;
        case QuickSaveResult::NoPicture:
            errors.Print(cli::TextId::NoPicture);
            return cli::ExitNothing;
        case QuickSaveResult::NoTextOrFileList:
            errors.Print(cli::TextId::NoTextOrFileList);
            return cli::ExitNothing;
        }
    } catch (const std::exception& failure) {
        errors.Print(failure);
    }
    return cli::ExitFailed;
}

} // namespace sorvak::app
