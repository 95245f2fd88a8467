#pragma once
// What the CLIPBOARD owner hands over, taken once: the picture in the first
// target of the preferred kinds that decodes, the file list, the text.
#include <QImage>

#include <cstdint>
#include <functional>
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

// What the first bytes of the content tell, before the rest has come: a
// picture of this size, or text that is no file list.
struct ContentOutline {
    enum class Kind { Picture, Text };
    Kind What = Kind::Text;
    std::int32_t Width = 0;
    std::int32_t Height = 0;
};

class SelectionReader;

// Reads the owner's targets with the reader's bounded waits; throws
// SelectionTimeout when the owner did not answer in time or went away, and
// SelectionStopped once the reader is stopped. `early` hears, at most once,
// what the content is as soon as its first bytes tell it; content whose kind
// only the whole of it can tell is not told.
ClipboardSnapshot TakeSnapshot(SelectionReader& reader,
                               const std::function<void(const ContentOutline&)>& early = {});

} // namespace sorvak::platform
