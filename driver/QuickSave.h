#pragma once
// Saving without a dialog (--output): the same writers and the same
// whole-or-nothing files as the dialogs, and nothing remembered.
#include "clipboard/Clipboard.h"

#include <cstdint>
#include <ctime>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace sorvak {

enum class QuickSaveResult {
    Written,
    NothingToSave,    // the clipboard holds nothing the program saves
    NoPicture,        // a picture was asked for
    NoTextOrFileList, // text was asked for (a file name with another extension)
};

struct QuickSaveRequest {
    // A file, a folder (saved there under a free proposed name), or "-";
    // the file system's bytes, as a command line gives them.
    std::string Output;
    // An existing file is not replaced: EFCreateError with EEXIST.
    bool NoClobber = false;
    // A picture format name ("png", "jpeg"...): a picture is asked for.
    std::optional<std::string> Format;
    // The running program file: its settings give the remembered format.
    std::string ProgramPath;
    // For a folder: the name template (NameTemplate.h) in place of the
    // proposed names, and the local time its fields take.
    std::optional<std::string> NameTemplate;
    std::function<std::tm()> Now;
    // Receives the bytes when Output is "-"; throws when they cannot go.
    std::function<void(std::string_view bytes)> WriteStandardOutput;
};

// The picture dialog's filter index of a format name, any case.
std::optional<std::uint8_t> PictureFilterIndexOfName(std::string_view name);

// Writes what the clipboard holds as the request says. Failures of the
// clipboard or of the write raise their exceptions; no file is then left.
// written receives the file-system bytes of the file written ("-" for
// standard output).
QuickSaveResult SaveWithoutDialog(TClipboard& clipboard, const QuickSaveRequest& request,
                                  std::string* written = nullptr);

} // namespace sorvak
