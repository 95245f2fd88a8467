#pragma once
// The program's options, read before anything needs a display, so that
// --help and a wrong option answer on any terminal.
#include <optional>
#include <string>
#include <vector>

namespace sorvak::cli {

// The exit statuses scripts can rely on.
enum ExitStatus : int {
    ExitWritten = 0, // saved, or help and version shown
    ExitFailed = 1,  // the write or the clipboard failed
    ExitUsage = 2,   // unknown option, missing value, unknown format, not a folder
    ExitNothing = 3, // nothing that can be saved, or not the kind asked for
};

enum class Action { Run, Help, Version, AddThunarAction, ListTypes, UsageError };

struct CommandLine {
    cli::Action Action = cli::Action::Run;
    // --folder: this run's save dialog opens there.
    std::optional<std::string> Folder;
    // --output / -o: saved there without a dialog; "-" is standard output.
    std::optional<std::string> Output;
    // --format, in lower case: one of PictureFormatNames().
    std::optional<std::string> Format;
    // --watch: stays running and saves each new content into this folder.
    std::optional<std::string> Watch;
    // --name: the name template of saves into a folder (-o DIR, --watch).
    std::optional<std::string> NameTemplate;
    // --notify: a desktop notification after each save without a dialog.
    bool Notify = false;
    // -n / --no-clobber: an existing file is not replaced.
    bool NoClobber = false;
    // --quiet: no error line, the exit status alone.
    bool Quiet = false;
    // For UsageError: the message, ready for standard error.
    std::string Error;
};

// Parses the arguments after the program name.
CommandLine ParseCommandLine(const std::vector<std::string>& arguments);

// The picture formats --format and an output's extension name.
const std::vector<std::string>& PictureFormatNames();

} // namespace sorvak::cli
