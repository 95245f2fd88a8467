#include "platform/selection/ClipboardSnapshot.h"

#include "clipboard/FileManagerCopy.h"
#include "platform/selection/OfferedText.h"
#include "platform/selection/SelectionSource.h"
#include "platform/selection/TargetChoice.h"

#include <utility>

namespace sorvak::platform {

namespace {

// The first offer read is what the content is: the owner that does not hand
// it over cannot be read. Every later one is an extra, and one that the
// owner is too slow to give is as absent as one it refuses.
class Reads {
public:
    explicit Reads(SelectionSource& source) : source_(source) {}

    std::optional<std::string> operator()(const std::string& type,
                                          const SelectionSource::Watch& watch = {}) {
        if (std::exchange(first_, false))
            return source_.Fetch(type, watch);
        try {
            return source_.Fetch(type, watch);
        } catch (const SelectionStopped&) {
            throw;
        } catch (const SelectionOwnerChanged&) {
            throw;
        } catch (const SelectionTimeout&) {
            return std::nullopt;
        }
    }

    const SelectionSource& Source() const { return source_; }

private:
    SelectionSource& source_;
    bool first_ = true;
};

void TakePicture(Reads& read, const std::vector<std::string>& pictures, EarlyOutline& outline,
                 ClipboardSnapshot& snapshot) {
    for (const std::string& type : pictures) {
        // Only the first picture offer can tell: a later one is read because
        // an earlier one did not decode, which only the whole of it showed.
        const bool first = &type == &pictures.front();
        std::optional<std::string> bytes =
            read(type, outline.Wanted() && first ? outline.Picture() : SelectionSource::Watch());
        if (!bytes)
            continue;
        snapshot.Kind = DecodePicture(*bytes, snapshot.Image, read.Source());
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
                               const std::function<void(const ContentOutline&)>& early,
                               AfterPicture afterPicture) {
    ClipboardSnapshot snapshot;
    if (!source.HasOwner())
        return snapshot;
    const TargetChoice choice = ChooseTargets(source.Targets());
    EarlyOutline outline(early);
    Reads read(source);

    TakePicture(read, choice.Pictures, outline, snapshot);
    if (snapshot.Kind != ClipboardSnapshot::Picture::None && afterPicture == AfterPicture::Nothing)
        return snapshot;
    for (const std::string& list : choice.FileLists) {
        if (snapshot.FileList)
            break;
        if (const std::optional<std::string> bytes = read(list))
            snapshot.FileList = ParseCopiedFiles(*bytes);
    }
    std::optional<std::string> uriList;
    if (choice.UriList) {
        uriList = read("text/uri-list");
        if (uriList && !snapshot.FileList)
            snapshot.FileList = ParseUriList(*uriList);
    }

    const bool textTells = outline.Wanted() && choice.TextOnly();
    for (const TargetChoice::Text& text : choice.Texts) {
        if (std::optional<std::string> bytes =
                read(text.Type, textTells ? outline.Text() : SelectionSource::Watch())) {
            snapshot.Utf8Text = text.Latin1 ? Latin1AsUtf8(*bytes, source)
                                            : RepairedUtf8(std::move(*bytes), source);
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
