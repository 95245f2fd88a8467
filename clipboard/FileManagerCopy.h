#pragma once
// Lists of files as file managers put them on the X11 clipboard. Plain C++:
// these parse data from other programs and are fuzzed.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace sorvak {

// The local path of a "file:" URI (empty or "localhost" host, percent escapes
// decoded), or nothing when the URI is not a local file or is malformed.
std::optional<std::string> LocalPathOfFileUri(std::string_view uri);

// text/uri-list (RFC 2483): CR LF or LF separated, "#" lines are comments.
// A list only when it names at least one URI and every URI is a local file.
std::optional<std::vector<std::string>> ParseUriList(std::string_view data);

// x-special/gnome-copied-files and x-special/mate-copied-files: a line "copy"
// or "cut", then one URI a line.
std::optional<std::vector<std::string>> ParseCopiedFiles(std::string_view data);

// Text of older file managers: "x-special/nautilus-clipboard", then the
// copied-files form above.
std::optional<std::vector<std::string>> ParseNautilusText(std::string_view text);

} // namespace sorvak
