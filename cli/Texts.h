#pragma once
// Every text the command line shows, in one table, so that the program's
// catalogue can translate them all: the Japanese source text is the key.
#include <functional>
#include <initializer_list>
#include <string>
#include <string_view>

namespace sorvak::cli {

enum class TextId {
    Help,
    Version,
    UnknownOption,
    MissingValue,
    UnexpectedArgument,
    GivenTwice,
    UnknownFormat,
    FormatWithoutOutput,
    FolderWithOutput,
    WatchWithOthers,
    NeedsOutputOrWatch,
    NotAFolder,
    NothingToSave,
    NoPicture,
    NoTextOrFileList,
    WriteFailed,
    CannotWrite,
    StandardOutput,
    NoDisplay,
    ThunarActionAdded,
    ThunarActionPresent,
    ThunarFileNotUnderstood,
};

// The untranslated (Japanese) text, with %1, %2 where arguments go.
std::string_view SourceText(TextId id);

// Turns a source text into the user's language; the identity until the
// program installs its catalogue.
using Translator = std::function<std::string(std::string_view source)>;
void SetTranslator(Translator translator);

// The text in the user's language with %1, %2... replaced by the arguments.
std::string Text(TextId id, std::initializer_list<std::string_view> arguments = {});

} // namespace sorvak::cli
