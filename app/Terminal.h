#pragma once
// The command line's texts on the terminal: translated through the program's
// catalogue as the windows' texts are, in the terminal's character set.
#include "cli/Texts.h"

#include <exception>
#include <initializer_list>
#include <string>
#include <string_view>

namespace sorvak::app {

// Routes the command line's texts through the program's translations.
void InstallCommandLineTranslator();

// A UTF-8 text in the locale's character set (Shift_JIS under ja_JP.SJIS);
// UTF-8 where that set cannot hold it (Japanese under C), the better guess.
std::string ForTerminal(std::string_view utf8);

// Writes the text to standard output: the exit status of a run that ends
// with it.
int Print(const std::string& text);

// The one line on standard error that a failed run ends with; nothing under
// --quiet.
class ErrorLine {
public:
    explicit ErrorLine(bool quiet) : quiet_(quiet) {}
    // A text of the command line's table; arguments as given on the command
    // line, in the terminal's set.
    void Print(cli::TextId id, std::initializer_list<std::string_view> arguments = {}) const;
    // A failure, its cause named: the format translated, then filled, as
    // the error box does.
    void Print(const std::exception& failure) const;

private:
    bool quiet_;
};

} // namespace sorvak::app
