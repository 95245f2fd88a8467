#pragma once
// What the clipboard's owner hands over, taken once through any transport:
// the picture in the first offer of the preferred kinds that decodes, the
// file list, the text.
#include "platform/selection/ContentOutline.h"
#include "platform/selection/PictureDecode.h"

#include <QImage>

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace sorvak::platform {

class SelectionSource;

struct ClipboardSnapshot {
    using Picture = PictureDecoded;
    Picture Kind = Picture::None;
    QImage Image;
    // The offer that decoded, as the owner sent it, and its mime type
    // ("image/png"): what can be written out unchanged.
    std::string PictureBytes;
    std::string PictureType;
    std::optional<std::string> Utf8Text;
    std::optional<std::vector<std::string>> FileList;
};

// What is read once a picture has decoded. A picture wins wherever the
// program is free to choose, so the file lists and the text are read only
// for a road that may ask for them beside a picture (a save to a text file
// name).
enum class AfterPicture { Nothing, Everything };

// Reads the owner's offers with the source's bounded waits; throws
// SelectionTimeout when the owner did not hand over the first offer read in
// time or went away, SelectionOwnerChanged when another owner took the
// clipboard, and SelectionStopped once the source is stopped. Any later offer
// that does not come in time is absent, as a refused one is. `early` hears,
// at most once, what the content is as soon as its first bytes tell it;
// content whose kind only the whole of it can tell is not told.
ClipboardSnapshot TakeSnapshot(SelectionSource& source,
                               const std::function<void(const ContentOutline&)>& early = {},
                               AfterPicture afterPicture = AfterPicture::Nothing);

} // namespace sorvak::platform
