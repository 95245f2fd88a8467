#pragma once
// A clipboard in memory, for tests.
#include "clipboard/ClipboardBackend.h"

#include <functional>
#include <map>

namespace sorvak {

class MemoryClipboard : public ClipboardBackend {
public:
    bool IsFormatAvailable(unsigned format) override;
    bool Open() override;
    void Close() override;
    std::optional<std::string> GetData(unsigned format) override;
    std::optional<DeviceBitmap> GetBitmap() override;
    std::optional<DevicePalette> GetPalette() override;
    // From the picture's header, as a transfer under way gives it.
    std::optional<std::pair<std::int32_t, std::int32_t>> GetBitmapSize() override;
    std::optional<OwnerPicture> GetOwnerPicture() override {
        CheckOwner();
        return bitmap_ ? Owner : std::nullopt;
    }
    void Abandon() override { ++AbandonCalls; }
    void Empty() override;
    void SetData(unsigned format, std::string block) override;

    void SetBitmap(DeviceBitmap bitmap) { bitmap_ = std::move(bitmap); }
    void SetPalette(DevicePalette palette) { palette_ = std::move(palette); }
    // The picture's bytes as its owner sent them, beside the bitmap.
    std::optional<OwnerPicture> Owner;
    // Simulates another program holding the clipboard open.
    bool HeldByOtherProgram = false;
    // Simulates an owner that does not hand over its content: every read
    // raises ClipboardUnavailable.
    bool OwnerHung = false;
    // Runs at every picture read: how a test fails a transfer under way.
    std::function<void()> WhenBitmapRead;
    int AbandonCalls = 0;
    int OpenCalls = 0;
    int CloseCalls = 0;
    bool IsOpen() const { return open_; }

private:
    void CheckOwner() const;

    bool open_ = false;
    std::map<unsigned, std::string> blocks_;
    std::optional<DeviceBitmap> bitmap_;
    std::optional<DevicePalette> palette_;
};

} // namespace sorvak
