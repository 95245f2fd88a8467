#include "app/CommandLineRun.h"

#include "base/CodePage.h"
#include "base/FileErrors.h"
#include "base/OutputFile.h"
#include "base/Paths.h"
#include "base/ShownText.h"
#include "cli/ThunarAction.h"
#include "driver/QuickSave.h"
#include "platform/qt/QtTranslations.h"

#include <QTranslator>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <unistd.h>

namespace sorvak::app {

namespace {

// Every byte to standard output, or EWriteError (a closed pipe included).
void WriteStandardOutput(std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t written = ::write(STDOUT_FILENO, bytes.data(), bytes.size());
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            throw EWriteError();
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
}

int Print(const std::string& text) {
    const bool ok = std::fputs(text.c_str(), stdout) >= 0 && std::fflush(stdout) == 0;
    return ok ? cli::ExitWritten : cli::ExitFailed;
}

// Adds our custom action to Thunar's uca.xml; Thunar reads it when it
// starts (a running Thunar keeps its own copy until then).
int AddThunarAction() {
    const char* config = std::getenv("XDG_CONFIG_HOME");
    const char* home = std::getenv("HOME");
    std::filesystem::path folder;
    if (config != nullptr && *config == '/')
        folder = config;
    else if (home != nullptr && *home != '\0')
        folder = std::filesystem::path(home) / ".config";
    else
        return cli::ExitFailed;
    const std::filesystem::path file = folder / "Thunar" / "uca.xml";
    std::optional<std::string> existing;
    if (std::ifstream in{file, std::ios::binary}) {
        std::ostringstream text;
        text << in.rdbuf();
        existing = text.str();
    }
    const cli::ThunarEditResult edit = cli::AddThunarAction(existing, ProgramPath());
    switch (edit.Outcome) {
    case cli::ThunarEdit::AlreadyThere:
        return Print(cli::Text(cli::TextId::ThunarActionPresent, {file.string()}) + "\n");
    case cli::ThunarEdit::NotUnderstood:
        PrintError(cli::TextId::ThunarFileNotUnderstood, file.string());
        return cli::ExitFailed;
    case cli::ThunarEdit::Added:
        break;
    }
    try {
        std::filesystem::create_directories(file.parent_path());
        WriteWholeFile(file.string(), edit.Text);
    } catch (const std::exception& failure) {
        PrintError(cli::TextId::WriteFailed, failure.what());
        return cli::ExitFailed;
    }
    return Print(cli::Text(cli::TextId::ThunarActionAdded, {file.string()}) + "\n");
}

} // namespace

void InstallCommandLineTranslator() {
    // Help and the messages come before any application object exists, so
    // the catalogue is read here directly rather than through Qt's installed
    // translators. Under Japanese and C there is none: the texts stay as
    // written.
    static QTranslator catalogue;
    const bool translated = platform::LoadOwnCatalogue(catalogue);
    cli::SetTranslator([translated](std::string_view source) {
        std::string text(source);
        if (translated) {
            const QString found = catalogue.translate(ShownTextContext, text.c_str());
            if (!found.isEmpty())
                text = found.toStdString();
        }
        // The terminal reads the locale's character set (Shift_JIS under
        // ja_JP.SJIS); where that cannot hold the text (Japanese under C),
        // UTF-8 is the better guess. The arguments are put in as given.
        const std::string local = codepage::FromUtf8(text);
        return codepage::ToUtf8(local) == text ? local : text;
    });
}

void PrintError(cli::TextId id, const std::string& argument) {
    std::fprintf(stderr, "%s\n", cli::Text(id, {argument}).c_str());
}

std::optional<int> AnswerWithoutDisplay(const cli::CommandLine& line, std::string& initialFolder) {
    switch (line.Action) {
    case cli::Action::Help:
        return Print(cli::Text(cli::TextId::Help));
    case cli::Action::Version:
        return Print(cli::Text(cli::TextId::Version, {SORVAK_VERSION}));
    case cli::Action::UsageError:
        std::fprintf(stderr, "%s\n", line.Error.c_str());
        return cli::ExitUsage;
    case cli::Action::AddThunarAction:
        return AddThunarAction();
    case cli::Action::Run:
        break;
    }
    if (line.Folder) {
        std::error_code error;
        if (!std::filesystem::is_directory(*line.Folder, error)) {
            PrintError(cli::TextId::NotAFolder, *line.Folder);
            return cli::ExitUsage;
        }
        // File names reach the module in the locale's code page.
        initialFolder = codepage::FromUtf8(AbsolutePath(*line.Folder));
    }
    return std::nullopt;
}

int SaveOutput(TClipboard& clipboard, const cli::CommandLine& line) {
    // A reader that goes away is a failed write, not a silent death.
    std::signal(SIGPIPE, SIG_IGN);
    QuickSaveRequest request;
    request.Output = *line.Output;
    request.Format = line.Format;
    request.ProgramPath = ProgramPath();
    request.WriteStandardOutput = WriteStandardOutput;
    try {
        switch (SaveWithoutDialog(clipboard, request)) {
        case QuickSaveResult::Written:
            return cli::ExitWritten;
        case QuickSaveResult::NothingToSave:
            PrintError(cli::TextId::NothingToSave);
            return cli::ExitNothing;
        case QuickSaveResult::NoPicture:
            PrintError(cli::TextId::NoPicture);
            return cli::ExitNothing;
        case QuickSaveResult::NoTextOrFileList:
            PrintError(cli::TextId::NoTextOrFileList);
            return cli::ExitNothing;
        }
    } catch (const std::exception& failure) {
        PrintError(cli::TextId::WriteFailed, failure.what());
    }
    return cli::ExitFailed;
}

} // namespace sorvak::app
