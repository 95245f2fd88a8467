#pragma once
// What the program does with its command line around the module: answers
// that need no display, and saving without a dialog, each with its exit
// status.
#include "app/StandardStreams.h"
#include "app/Terminal.h"
#include "cli/CommandLine.h"
#include "clipboard/Clipboard.h"
#include "platform/selection/ClipboardTransfer.h"

#include <optional>
#include <string>

namespace sorvak::app {

// Help, version, usage errors, a --folder that is no folder, the Thunar
// action, -o - with standard output closed at start: the exit status when
// the run ends here. Otherwise initialFolder
// receives the --folder to open the dialog in (empty without one).
std::optional<int> AnswerWithoutDisplay(const cli::CommandLine& line,
                                        const StandardStreams& streams, std::string& initialFolder);

// --list-types: the owner's mime types, one a line, read through the
// transport `open` gives; the exit status.
int ListTypes(const platform::ClipboardTransfer::SourceFactory& open, const cli::CommandLine& line);

// --output: saves without a dialog, reading through the transport `open`
// gives, and with --notify tells the desktop; the exit status. Needs the
// application object.
int SaveOutput(const platform::ClipboardTransfer::SourceFactory& open,
               const cli::CommandLine& line);

} // namespace sorvak::app
