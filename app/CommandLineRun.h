#pragma once
// What the program does with its command line around the module: answers
// that need no display, and saving without a dialog.
#include "cli/CommandLine.h"
#include "cli/Texts.h"
#include "clipboard/Clipboard.h"

#include <optional>
#include <string>

namespace sorvak::app {

// Routes the command line's texts through the program's translations.
void InstallCommandLineTranslator();

// One line on standard error.
void PrintError(cli::TextId id, const std::string& argument = {});

// Help, version, usage errors, a --folder that is no folder, the Thunar
// action: the exit status when the run ends here. Otherwise initialFolder
// receives the --folder to open the dialog in (empty without one).
std::optional<int> AnswerWithoutDisplay(const cli::CommandLine& line, std::string& initialFolder);

// --output: saves without a dialog; the exit status.
int SaveOutput(TClipboard& clipboard, const cli::CommandLine& line);

} // namespace sorvak::app
