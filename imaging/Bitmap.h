#pragma once
// The clipboard bitmap: the picture taken from the clipboard, shared between
// bitmaps by reference counting, and written as a BMP file.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include "base/ClipboardFormats.h"
#include "imaging/Graphic.h"

namespace sorvak {

// One colour-table entry as BMP files and device-independent rows hold it.
struct TRGBQuad {
    std::uint8_t Blue = 0, Green = 0, Red = 0, Reserved = 0;
    friend bool operator==(const TRGBQuad&, const TRGBQuad&) = default;
};

// One logical-palette entry as the clipboard's palette carries it.
struct TPaletteEntry {
    std::uint8_t Red = 0, Green = 0, Blue = 0, Flags = 0;
    friend bool operator==(const TPaletteEntry&, const TPaletteEntry&) = default;
};

// The platform's clipboard picture (CF_BITMAP), filled by the platform layer.
struct DeviceBitmap {
    std::int32_t Width = 0;  // pixels per row; negative is invalid
    std::int32_t Height = 0; // rows; a negative value counts as its absolute value
    std::uint16_t Planes = 1;
    // 32 for the display's depth, 1 for a monochrome picture; 24, 8 and 4 are
    // also accepted (indexed depths take their colours from the palette).
    std::uint16_t BitsPerPixel = 32;
    // The rows, top row first, each padded to a multiple of 4 bytes
    // (((Width * BitsPerPixel + 31) / 32) * 4 bytes per row).
    //   32 bits: bytes blue, green, red, 0 (transparent pixels already laid
    //            over white by the platform layer; the fourth byte is ignored)
    //   24 bits: bytes blue, green, red
    //   1, 4, 8: indices, first pixel in the most significant bits; for 1 bit,
    //            0 is black and 1 is white
    // LoadClipboardBitmap takes this buffer over (it is left empty).
    std::vector<std::uint8_t> Bits;
};

// The clipboard's logical palette (CF_PALETTE).
struct DevicePalette {
    std::vector<TPaletteEntry> Entries;
};

// BITMAPINFOHEADER fields of the device-independent form.
struct TBitmapInfoHeader {
    std::uint32_t Size = 40;
    std::int32_t Width = 0;
    std::int32_t Height = 0; // positive: bottom row first
    std::uint16_t Planes = 1;
    std::uint16_t BitCount = 0;
    std::uint32_t Compression = 0;
    std::uint32_t SizeImage = 0;
    std::int32_t XPelsPerMeter = 0;
    std::int32_t YPelsPerMeter = 0;
    std::uint32_t ClrUsed = 0;
    std::uint32_t ClrImportant = 0;
};

// The shared picture behind one or more TBitmap objects. It is never changed
// while shared: a bitmap that changes its picture takes a private copy first.
class TBitmapImage {
public:
    std::int32_t Width = 0;
    std::int32_t Height = 0; // absolute value
    std::uint16_t Planes = 1;
    std::uint16_t BitsPerPixel = 0;
    // Device pixels, stored in the device-independent layout: bottom row
    // first, each row padded with zeros to RowStride(Width, depth). Empty
    // when the picture has no pixels (0 width or height).
    std::vector<std::uint8_t> Bits;
    std::optional<std::vector<TPaletteEntry>> Palette;
    bool OS2Format = false; // never produced here
    // Device-independent form, made on first need. Its rows are Bits.
    bool HasDib = false;
    TBitmapInfoHeader DibHeader;
    std::vector<TRGBQuad> DibColors;

    int Depth() const { return Planes * BitsPerPixel; }
    bool Empty() const { return Bits.empty(); }
};

enum class TPixelFormat { pfDevice, pf1bit, pf4bit, pf8bit, pf15bit, pf16bit, pf24bit, pf32bit };

class TBitmap : public TGraphic {
public:
    TBitmap();
    TBitmap(const TBitmap&) = delete;
    TBitmap& operator=(const TBitmap&) = delete;

    // Bytes per row of a picture width pixels wide at bitCount bits per pixel,
    // padded to 4 bytes; 0 when it would not fit in memory.
    static std::size_t RowStride(std::int64_t width, int bitCount);

    // Fills the bitmap from the clipboard picture; takes data->Bits over.
    // Raises "未対応のクリップボード データです" for another format or no data,
    // "ビットマップイメージが不正です" for a description that does not hold.
    void LoadClipboardBitmap(unsigned format, DeviceBitmap* data,
                             const DevicePalette* palette = nullptr);

    // Shares source's picture (null: an empty picture).
    void AssignFrom(const TBitmap& source) override;
    void AssignFrom(const TBitmap* source);
    // Writes the BMP file; an empty picture writes nothing.
    void WriteToStream(TStream& stream) override;

    std::int32_t Width() const { return FImage->Width; }
    std::int32_t Height() const { return FImage->Height; }
    bool Empty() const { return FImage->Empty(); }
    // planes × bits per pixel of the device pixels.
    int Depth() const { return FImage->Depth(); }
    TPixelFormat PixelFormat() const { return FPixelFormat; }
    // Only pf24bit and pf32bit are made; the picture is replaced by a
    // bottom-up device-independent one of that depth, other holders keep theirs.
    void SetPixelFormat(TPixelFormat format);
    bool Transparent() const { return FTransparent; }
    bool HasPalette() const { return FImage->Palette.has_value(); }
    const std::vector<TPaletteEntry>* Palette() const {
        return FImage->Palette ? &*FImage->Palette : nullptr;
    }

    // Rows at a requested depth: bitCount is 24, 32 or the bitmap's own depth
    // when that is 8 or less. Row y counts from the top. out receives
    // RowStride(Width(), bitCount) bytes, padding zero.
    void ReadRow(std::int32_t y, int bitCount, std::uint8_t* out) const;
    // The colour table that goes with rows at the own depth (2^depth entries
    // for depth 8 or less, else none).
    std::vector<TRGBQuad> ColorTable() const;
    // The device-independent form (made now if needed); its rows are Bits().
    const TBitmapInfoHeader& DibHeader() const;
    const std::vector<TRGBQuad>& DibColors() const;
    const std::vector<std::uint8_t>& Bits() const { return FImage->Bits; }
    // Row y (0 = top) of the device pixels at the own depth, in place.
    const std::uint8_t* ScanLine(std::int32_t y) const;

    // The device pixels for changing: takes a private copy of a shared
    // picture, else drops the device-independent form.
    std::uint8_t* MutableBits();
    // How many bitmaps share this picture.
    long ImageRefCount() const { return FImage.use_count(); }
    const TBitmapImage* Image() const { return FImage.get(); }

private:
    void ReplaceImage(std::shared_ptr<TBitmapImage> image);
    void MakeDib() const;

    std::shared_ptr<TBitmapImage> FImage;
    TPixelFormat FPixelFormat = TPixelFormat::pfDevice;
    bool FTransparent = false;
};

} // namespace sorvak
