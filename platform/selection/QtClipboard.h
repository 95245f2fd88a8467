#pragma once
// The clipboard, read through a transport, as a Windows-style clipboard.
// Everything the program may use is taken from the owner once, from the
// start, with bounded waits, and served from that copy: the owner may change,
// hang or vanish while a dialog is open. What the content is can be answered
// from its first bytes, before the rest has come. Writing goes through Qt's
// clipboard.
#include "clipboard/ClipboardBackend.h"
#include "platform/selection/ClipboardSnapshot.h"
#include "platform/selection/ClipboardTransfer.h"

#include <memory>
#include <mutex>
#include <optional>
#include <string>

namespace sorvak::platform {

class QtClipboard : public ClipboardBackend {
public:
    // Starts taking the content through the transport `open` gives; needs
    // the application object.
    explicit QtClipboard(ClipboardTransfer::SourceFactory open,
                         AfterPicture afterPicture = AfterPicture::Nothing);
    ~QtClipboard() override;

    bool IsFormatAvailable(unsigned format) override;
    bool Open() override;
    void Close() override;
    std::optional<std::string> GetData(unsigned format) override;
    bool ReadText(const std::function<void(std::string_view)>& piece) override;
    std::optional<DeviceBitmap> GetBitmap() override;
    std::optional<DevicePalette> GetPalette() override;
    std::optional<std::pair<std::int32_t, std::int32_t>> GetBitmapSize() override;
    std::optional<OwnerPicture> GetOwnerPicture() override;
    void Abandon() override;
    void Empty() override;
    void SetData(unsigned format, std::string block) override;

    // True once this program put text on the clipboard.
    bool WroteText() const { return wroteText_; }
    // The UTF-8 text this program last put on the clipboard.
    const std::string& WrittenText() const { return writtenText_; }

private:
    // The whole content, held for as long as the caller keeps it; throws
    // ClipboardUnavailable when the owner did not hand it over.
    std::shared_ptr<const ClipboardSnapshot> Content();
    // What the first bytes told of the content still on its way.
    std::optional<ContentOutline> Outline();

    ClipboardTransfer transfer_;
    // What this program put on the clipboard since, in place of the owner's:
    // written by the GUI thread while workers may read the content.
    std::mutex ownMutex_;
    std::shared_ptr<const ClipboardSnapshot> own_;
    bool wroteText_ = false;
    std::string writtenText_;
};

} // namespace sorvak::platform
