#include "tests/support/MemoryClipboard.h"

namespace sorvak {

void MemoryClipboard::CheckOwner() const {
    if (OwnerHung)
        throw ClipboardUnavailable("the owner does not answer");
}

bool MemoryClipboard::IsFormatAvailable(unsigned format) {
    CheckOwner();
    if (format == CF_BITMAP)
        return bitmap_.has_value();
    if (format == CF_PALETTE)
        return palette_.has_value();
    return blocks_.count(format) != 0;
}

bool MemoryClipboard::Open() {
    ++OpenCalls;
    if (HeldByOtherProgram || open_)
        return false;
    open_ = true;
    return true;
}

void MemoryClipboard::Close() {
    ++CloseCalls;
    open_ = false;
}

std::optional<std::string> MemoryClipboard::GetData(unsigned format) {
    CheckOwner();
    auto found = blocks_.find(format);
    if (!open_ || found == blocks_.end())
        return std::nullopt;
    return found->second;
}

std::optional<DeviceBitmap> MemoryClipboard::GetBitmap() {
    CheckOwner();
    if (WhenBitmapRead)
        WhenBitmapRead();
    return open_ ? bitmap_ : std::nullopt;
}

std::optional<std::pair<std::int32_t, std::int32_t>> MemoryClipboard::GetBitmapSize() {
    CheckOwner();
    if (!open_ || !bitmap_)
        return std::nullopt;
    return std::pair(bitmap_->Width, bitmap_->Height < 0 ? -bitmap_->Height : bitmap_->Height);
}

std::optional<DevicePalette> MemoryClipboard::GetPalette() {
    CheckOwner();
    return open_ ? palette_ : std::nullopt;
}

void MemoryClipboard::Empty() {
    blocks_.clear();
    bitmap_.reset();
    palette_.reset();
}

void MemoryClipboard::SetData(unsigned format, std::string block) {
    blocks_[format] = std::move(block);
}

} // namespace sorvak
