#pragma once
// The clipboard object: every clipboard access of the program goes through it.
#include "clipboard/ClipboardBackend.h"

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <utility>

namespace sorvak {

class TBitmap;

class TClipboard {
public:
    explicit TClipboard(ClipboardBackend& backend) : backend_(backend) {}
    TClipboard(const TClipboard&) = delete;
    TClipboard& operator=(const TClipboard&) = delete;

    bool QueryFormat(unsigned format);
    // Nesting: the outermost Open opens the system clipboard, inner calls count.
    void Open();
    void Close();
    // CF_TEXT up to its first NUL; empty without CF_TEXT data.
    std::string ReadText();
    // The same text handed over in pieces, never copied whole; nothing when
    // there is no CF_TEXT.
    void ReadText(const std::function<void(std::string_view)>& piece);
    // A copy of the format's whole data block (empty when absent); the copy
    // stands for the locked handle, so nothing stays locked.
    std::optional<std::string> ReadDataBlock(unsigned format);
    // The clipboard then holds this text and nothing it held before.
    void WriteText(const std::string& text);
    // Hands CF_BITMAP and CF_PALETTE to the bitmap, which keeps its own copy.
    void FillBitmap(TBitmap& bitmap);
    // The width and height FillBitmap will give, without the picture's copy;
    // fails as FillBitmap does when there is no picture.
    std::pair<std::int32_t, std::int32_t> BitmapSize();
    // The picture as its owner sent it, where the backend keeps that.
    std::optional<OwnerPicture> OwnerPictureBytes();
    // The content will not be read: the system clipboard may stop handing
    // it over.
    void Abandon() { backend_.Abandon(); }

private:
    ClipboardBackend& backend_;
    int openCount_ = 0;
    bool emptied_ = false;
};

// Holds the clipboard open for a scope.
class ClipboardOpen {
public:
    explicit ClipboardOpen(TClipboard& clipboard) : clipboard_(clipboard) { clipboard_.Open(); }
    ~ClipboardOpen() { clipboard_.Close(); }
    ClipboardOpen(const ClipboardOpen&) = delete;
    ClipboardOpen& operator=(const ClipboardOpen&) = delete;

private:
    TClipboard& clipboard_;
};

} // namespace sorvak
