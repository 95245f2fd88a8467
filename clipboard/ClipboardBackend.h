#pragma once
// The system clipboard as the clipboard object uses it: the primitive
// operations of a Windows-style clipboard, whatever serves them.
#include "imaging/Bitmap.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>

namespace sorvak {

// Raised by the reading operations when the clipboard's owner did not hand
// over its content in time: the clipboard cannot be opened.
class ClipboardUnavailable : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Raised when content that its first bytes announced turned out unreadable
// as a whole: a picture whose header was sound but whose data does not
// decode.
class ClipboardContentUnreadable : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A picture as its owner sent it: what can be written out unchanged.
struct OwnerPicture {
    std::string MimeType; // "image/png"
    std::string Bytes;
};

class ClipboardBackend {
public:
    virtual ~ClipboardBackend() = default;

    // Whether the format can be had now; does not need the clipboard open.
    virtual bool IsFormatAvailable(unsigned format) = 0;
    // False when another program holds the clipboard.
    virtual bool Open() = 0;
    virtual void Close() = 0;
    // A format's data block: CF_TEXT is the text with its NUL, CF_HDROP a
    // DROPFILES block. Nothing when the format is absent.
    virtual std::optional<std::string> GetData(unsigned format) = 0;
    // CF_TEXT up to its first NUL, handed to `piece` in pieces, so that a
    // large text is never copied whole; false when the format is absent.
    // Throws as GetData.
    virtual bool ReadText(const std::function<void(std::string_view)>& piece) {
        const std::optional<std::string> block = GetData(CF_TEXT);
        if (!block)
            return false;
        piece(std::string_view(*block).substr(0, block->find('\0')));
        return true;
    }
    // The picture behind CF_BITMAP and the palette behind CF_PALETTE.
    virtual std::optional<DeviceBitmap> GetBitmap() = 0;
    virtual std::optional<DevicePalette> GetPalette() = 0;
    // The width and height of the picture behind CF_BITMAP. A backend that
    // holds the picture in another form answers without converting it.
    virtual std::optional<std::pair<std::int32_t, std::int32_t>> GetBitmapSize() {
        const std::optional<DeviceBitmap> bitmap = GetBitmap();
        if (!bitmap)
            return std::nullopt;
        return std::pair(bitmap->Width, bitmap->Height < 0 ? -bitmap->Height : bitmap->Height);
    }
    // The picture behind CF_BITMAP in its owner's own form, once it decoded
    // (a damaged offer is never given). Nothing where the backend keeps none.
    virtual std::optional<OwnerPicture> GetOwnerPicture() { return std::nullopt; }
    // Nobody will read the content: a backend still taking it from its owner
    // may stop, and later reads fail as ClipboardUnavailable.
    virtual void Abandon() {}
    // Empty and SetData need the clipboard open.
    virtual void Empty() = 0;
    virtual void SetData(unsigned format, std::string block) = 0;
};

} // namespace sorvak
