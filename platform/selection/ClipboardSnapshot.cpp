#include "platform/selection/ClipboardSnapshot.h"

#include "clipboard/FileManagerCopy.h"
#include "platform/selection/OfferedText.h"
#include "platform/selection/SelectionSource.h"
#include "platform/selection/TargetChoice.h"

namespace sorvak::platform {

namespace {

void TakePicture(SelectionSource& source, const std::vector<std::string>& pictures,
                 EarlyOutline& outline, ClipboardSnapshot& snapshot) {
    for (const std::string& type : pictures) {
        // Only the first picture offer can tell: a later one is read because
        // an earlier one did not decode, which only the whole of it showed.
        const bool first = &type == &pictures.front();
        std::optional<std::string> bytes = source.Fetch(
            type, outline.Wanted() && first ? outline.Picture() : SelectionSource::Watch());
        if (!bytes)
            continue;
        snapshot.Kind = DecodePicture(*bytes, snapshot.Image, source);
        if (snapshot.Kind == ClipboardSnapshot::Picture::Decoded) {
            snapshot.PictureBytes = std::move(*bytes);
            snapshot.PictureType = type;
        }
        if (snapshot.Kind != ClipboardSnapshot::Picture::None)
            return;
    }
}

} // namespace

ClipboardSnapshot TakeSnapshot(SelectionSource& source,
                               const std::function<void(const ContentOutline&)>& early) {
    ClipboardSnapshot snapshot;
    if (!source.HasOwner())
        return snapshot;
    const TargetChoice choice = ChooseTargets(source.Targets());
    EarlyOutline outline(early);

    TakePicture(source, choice.Pictures, outline, snapshot);
    for (const std::string& list : choice.FileLists) {
        if (snapshot.FileList)
            break;
        if (const std::optional<std::string> bytes = source.Fetch(list))
            snapshot.FileList = ParseCopiedFiles(*bytes);
    }
    std::optional<std::string> uriList;
    if (choice.UriList) {
        uriList = source.Fetch("text/uri-list");
        if (uriList && !snapshot.FileList)
            snapshot.FileList = ParseUriList(*uriList);
    }

    const bool textTells = outline.Wanted() && choice.TextOnly();
    for (const TargetChoice::Text& text : choice.Texts) {
        if (std::optional<std::string> bytes =
                source.Fetch(text.Type, textTells ? outline.Text() : SelectionSource::Watch())) {
            snapshot.Utf8Text =
                text.Latin1 ? Latin1AsUtf8(*bytes) : RepairedUtf8(std::move(*bytes));
            break;
        }
    }
    if (!snapshot.Utf8Text && uriList)
        snapshot.Utf8Text = UriListAsText(*uriList);
    if (!snapshot.FileList && snapshot.Utf8Text)
        snapshot.FileList = ParseNautilusText(*snapshot.Utf8Text);
    return snapshot;
}

} // namespace sorvak::platform
