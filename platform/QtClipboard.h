#pragma once
// The X11 CLIPBOARD selection, through Qt, as a Windows-style clipboard.
#include "ClipboardBackend.h"

#include <memory>
#include <vector>

class QMimeData;

namespace sorvak::platform {

class QtClipboard : public ClipboardBackend {
public:
    QtClipboard();
    ~QtClipboard() override;

    bool IsFormatAvailable(unsigned format) override;
    bool Open() override;
    void Close() override;
    std::optional<std::string> GetData(unsigned format) override;
    std::optional<DeviceBitmap> GetBitmap() override;
    std::optional<DevicePalette> GetPalette() override;
    void Empty() override;
    void SetData(unsigned format, std::string block) override;

    // True once this program put text on the clipboard.
    bool WroteText() const { return wroteText_; }
    // The UTF-8 text this program last put on the clipboard.
    const std::string& WrittenText() const { return writtenText_; }

private:
    const QMimeData* Offer();
    const std::optional<std::vector<std::string>>& FileList();
    const std::optional<std::string>& Utf8Text();

    bool offerTaken_ = false;
    std::unique_ptr<QMimeData> offer_;
    bool fileListTaken_ = false;
    std::optional<std::vector<std::string>> fileList_;
    bool textTaken_ = false;
    std::optional<std::string> utf8Text_;
    bool wroteText_ = false;
    std::string writtenText_;
};

} // namespace sorvak::platform
