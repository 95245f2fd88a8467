#pragma once
// What the CLIPBOARD owner hands over, taken once: the picture in the first
// target of the preferred kinds that decodes, the file list, the text.
#include <QImage>

#include <optional>
#include <string>
#include <vector>

namespace sorvak::platform {

struct ClipboardSnapshot {
    enum class Picture { None, Decoded, TooLarge };
    Picture Kind = Picture::None;
    QImage Image;
    std::optional<std::string> Utf8Text;
    std::optional<std::vector<std::string>> FileList;
};

// Reads the owner's targets with bounded waits (SelectionReader); throws
// SelectionTimeout when the owner did not answer in time.
ClipboardSnapshot TakeSnapshot();

} // namespace sorvak::platform
