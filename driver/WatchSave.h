#pragma once
// The watch mode's save of one clipboard content into a folder: the same
// roads and writers as a save without a dialog, under the proposed name or
// the template's, skipped when the content is the one saved just before.
// Nothing of the content is kept after its file is written.
#include "clipboard/Clipboard.h"

#include <cstdint>
#include <ctime>
#include <functional>
#include <optional>
#include <string>

namespace sorvak {

struct WatchRequest {
    // The folder, as the file system names it.
    std::string Folder;
    // --name; the proposed names without it.
    std::optional<std::string> NameTemplate;
    // --format; the remembered picture format without it.
    std::optional<std::string> Format;
    // The running program file: its settings give the remembered format.
    std::string ProgramPath;
    // The local time of a save, for the template's fields.
    std::function<std::tm()> Now;
};

class WatchSaver {
public:
    explicit WatchSaver(WatchRequest request) : request_(std::move(request)) {}

    // Saves what the clipboard holds now: the file's path, or nothing when
    // there was nothing to save or it equals the content saved just before.
    // Failures of the clipboard, the template or the write raise their
    // exceptions, with no file left; the next content is tried afresh.
    std::optional<std::string> SaveCurrent(TClipboard& clipboard);

private:
    WatchRequest request_;
    // A digest of the last file's bytes, not the bytes themselves.
    std::optional<std::uint64_t> lastSaved_;
};

} // namespace sorvak
