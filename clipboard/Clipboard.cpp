#include "clipboard/Clipboard.h"

#include "base/Exception.h"
#include "imaging/Bitmap.h"

namespace sorvak {

namespace {

[[noreturn]] void CannotOpen() {
    throw Exception(SORVAK_TEXT("sorvak", "クリップボードを開くことができません"));
}

// An owner that did not hand over its content in time is a clipboard that
// cannot be opened, not an empty one.
template <typename Read> auto FromOwner(Read read) {
    try {
        return read();
    } catch (const ClipboardUnavailable&) {
        CannotOpen();
    }
}

} // namespace

bool TClipboard::QueryFormat(unsigned format) {
    return FromOwner([&] { return backend_.IsFormatAvailable(format); });
}

void TClipboard::Open() {
    if (openCount_ == 0) {
        if (!backend_.Open())
            CannotOpen();
        emptied_ = false;
    }
    ++openCount_;
}

void TClipboard::Close() {
    if (openCount_ == 0)
        return;
    if (--openCount_ == 0)
        backend_.Close();
}

std::string TClipboard::ReadText() {
    ClipboardOpen open(*this);
    std::optional<std::string> block = FromOwner([&] { return backend_.GetData(CF_TEXT); });
    if (!block)
        return std::string();
    const std::size_t end = block->find('\0');
    if (end != std::string::npos)
        block->resize(end);
    return std::move(*block);
}

void TClipboard::ReadText(const std::function<void(std::string_view)>& piece) {
    ClipboardOpen open(*this);
    FromOwner([&] { return backend_.ReadText(piece); });
}

std::optional<std::string> TClipboard::ReadDataBlock(unsigned format) {
    ClipboardOpen open(*this);
    return FromOwner([&] { return backend_.GetData(format); });
}

void TClipboard::WriteText(const std::string& text) {
    ClipboardOpen open(*this);
    std::string block;
    block.reserve(text.size() + 1);
    block.append(text);
    block.push_back('\0');
    if (!emptied_) {
        backend_.Empty();
        emptied_ = true;
    }
    backend_.SetData(CF_TEXT, std::move(block));
}

void TClipboard::FillBitmap(TBitmap& bitmap) {
    ClipboardOpen open(*this);
    std::optional<DeviceBitmap> picture = FromOwner([&] { return backend_.GetBitmap(); });
    const std::optional<DevicePalette> palette = FromOwner([&] { return backend_.GetPalette(); });
    bitmap.LoadClipboardBitmap(CF_BITMAP, picture ? &*picture : nullptr,
                               palette ? &*palette : nullptr);
}

} // namespace sorvak

namespace sorvak {

std::optional<OwnerPicture> TClipboard::OwnerPictureBytes() {
    return FromOwner([&] { return backend_.GetOwnerPicture(); });
}

std::pair<std::int32_t, std::int32_t> TClipboard::BitmapSize() {
    ClipboardOpen open(*this);
    const auto size = FromOwner([&] { return backend_.GetBitmapSize(); });
    if (!size)
        throw Exception(SORVAK_TEXT("sorvak", "未対応のクリップボード データです"));
    return *size;
}

} // namespace sorvak
