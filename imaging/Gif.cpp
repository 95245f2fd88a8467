#include "imaging/Gif.h"

#include "base/Exception.h"
#include "imaging/Bitmap.h"
#include "imaging/GifBuffers.h"
#include "imaging/GifLzw.h"

#include <algorithm>
#include <unordered_map>

namespace sorvak {

namespace {

// Indexed by version: 1 is GIF87a, 2 is GIF89a.
const char* const kVersions[] = {"", "87a", "89a"};

constexpr const char* kTooLarge =
    SORVAK_TEXT("sorvak", "Image too large for GIF: width and height must not exceed 65535");

void Put16(std::vector<std::uint8_t>& out, int value) {
    out.push_back(static_cast<std::uint8_t>(value));
    out.push_back(static_cast<std::uint8_t>(value >> 8));
}

void CheckFits(long long left, long long width) {
    if (width < 0 || left + width > 65535)
        throw Exception(kTooLarge);
}

} // namespace

// --- colour map -------------------------------------------------------------

void TGIFColorMap::Reserve(int count) {
    if (count <= Capacity())
        return;
    const int capacity = count <= 16 ? 16 : std::min((count + 31) / 32 * 32, kMaxColors);
    FEntries.resize(static_cast<std::size_t>(capacity));
}

int TGIFColorMap::Add(const TGIFColor& color) {
    if (FCount >= kMaxColors)
        throw Exception(SORVAK_TEXT("sorvak", "Color table overflow"));
    Reserve(FCount + 1);
    FEntries[FCount] = color;
    return FCount++;
}

void TGIFColorMap::Clear() {
    FEntries.clear();
    FCount = 0;
    FSorted = false;
}

void TGIFColorMap::Assign(const std::vector<TGIFColor>& colors) {
    Clear();
    const int count = static_cast<int>(std::min<std::size_t>(colors.size(), kMaxColors));
    Reserve(count);
    std::copy_n(colors.begin(), count, FEntries.begin());
    FCount = count;
}

int TGIFColorMap::BitsPerPixel() const {
    if (FCount == 0)
        return 0;
    int bits = 1;
    while ((1 << bits) < FCount)
        ++bits;
    return bits;
}

void TGIFColorMap::AppendTable(std::vector<std::uint8_t>& out) const {
    if (FCount == 0)
        return;
    for (int i = 0; i < FCount; ++i)
        out.insert(out.end(), {FEntries[i].Red, FEntries[i].Green, FEntries[i].Blue});
    out.resize(out.size() + static_cast<std::size_t>((1 << BitsPerPixel()) - FCount) * 3, 0);
}

// --- header -----------------------------------------------------------------

void TGIFHeader::Clear() {
    Width = Height = 0;
    Flags = BackgroundColorIndex = AspectRatio = 0;
    ColorMap.Clear();
}

void TGIFHeader::Prepare() {
    const int bits = Image()->BitsPerPixel();
    // An empty map counts 0 bits, so the fields below wrap to 7.
    std::uint8_t flags = 0;
    if (ColorMap.Count() > 0) {
        flags |= 0x80;
        if (ColorMap.Sorted())
            flags |= 0x08;
    }
    flags |= static_cast<std::uint8_t>(((bits - 1) * 16) & 0x70);
    flags |= static_cast<std::uint8_t>((bits - 1) & 7);
    Flags = flags;
}

void TGIFHeader::SaveToStream(TStream& stream) {
    const int version = Image()->Version();
    if (version < 1 || version > 2)
        throw Exception(SORVAK_TEXT("sorvak", "Unsupported GIF version"));
    Prepare();
    const char* number = kVersions[version];
    std::vector<std::uint8_t> out = {'G',
                                     'I',
                                     'F',
                                     static_cast<std::uint8_t>(number[0]),
                                     static_cast<std::uint8_t>(number[1]),
                                     static_cast<std::uint8_t>(number[2])};
    Put16(out, Width);
    Put16(out, Height);
    out.insert(out.end(), {Flags, BackgroundColorIndex, AspectRatio});
    if (Flags & 0x80)
        ColorMap.AppendTable(out);
    stream.WriteBuffer(out.data(), out.size());
}

// --- extensions and trailer -------------------------------------------------

void TGIFExtension::SaveToStream(TStream& stream) {
    const std::vector<std::uint8_t> data = Data();
    std::vector<std::uint8_t> out = {0x21, Label()};
    for (std::size_t pos = 0; pos < data.size(); pos += 255) {
        const std::size_t n = std::min<std::size_t>(255, data.size() - pos);
        out.push_back(static_cast<std::uint8_t>(n));
        out.insert(out.end(), data.begin() + pos, data.begin() + pos + n);
    }
    out.push_back(0);
    stream.WriteBuffer(out.data(), out.size());
}

void TGIFTrailer::SaveToStream(TStream& stream) {
    const std::uint8_t trailer = 0x3B;
    stream.WriteBuffer(&trailer, 1);
}

// --- frame ------------------------------------------------------------------

int TGIFSubImage::Version() const {
    return FColorMap.Sorted() || FExtensions.Count() > 0 ? 2 : 1;
}

void TGIFSubImage::Clear() {
    FExtensions.Clear();
    FColorMap.Clear();
    FData.clear();
    FData.shrink_to_fit();
    FWidth = FHeight = 0;
}

void TGIFSubImage::SetDimensions(int width, int height) {
    CheckFits(FLeft, width);
    CheckFits(FTop, height);
    FWidth = static_cast<std::uint16_t>(width);
    FHeight = static_cast<std::uint16_t>(height);
    if (TGIFImage* image = Image()) {
        TGIFHeader& header = image->Header();
        header.Width = std::max<std::uint16_t>(header.Width, FLeft + FWidth);
        header.Height = std::max<std::uint16_t>(header.Height, FTop + FHeight);
    }
}

void TGIFSubImage::SetSize(int width, int height) {
    SetDimensions(width, height);
    FData.clear();
    AllocateGifBuffer(FData, static_cast<std::size_t>(FWidth) * FHeight);
}

void TGIFSubImage::Progress(TProgressStage stage, int percent) {
    if (TGIFImage* image = Image())
        image->Progress(TGIFProgressStep::Converting, stage, percent);
}

void TGIFSubImage::AssignFrom(const TBitmap& source) {
    Clear();
    if (source.Empty() || source.Width() <= 0 || source.Height() <= 0)
        return;
    const int width = source.Width(), height = source.Height();
    CheckFits(FLeft, width);
    CheckFits(FTop, height);

    Progress(TProgressStage::psStarting, 0);
    // Every pixel format of the clipboard bitmap goes through the reduction;
    // its 32-bit rows carry the same colours as 24-bit ones.
    TGIFRowSource rows;
    rows.Width = width;
    rows.Height = height;
    rows.BytesPerPixel = 4;
    // 32-bit device pixels are read where they are, bottom row first.
    const bool direct =
        source.Depth() == 32 && source.Bits().size() >= TBitmap::RowStride(width, 32) * height;
    rows.ReadRow = [&](int y, std::uint8_t* buffer) -> const std::uint8_t* {
        if (y % 32 == 0)
            Progress(TProgressStage::psRunning,
                     static_cast<int>(static_cast<long long>(y) * 100 / height));
        if (direct)
            return source.Bits().data() + TBitmap::RowStride(width, 32) * (height - 1 - y);
        source.ReadRow(y, 32, buffer);
        return buffer;
    };
    const TGIFImage* image = Image();
    TGIFDib dib =
        ReduceColors(rows, image ? image->ReduceMethod : ReduceWebCube,
                     image ? image->DitherKind : DitherOff, image ? image->ReduceBits : 8, nullptr);
    // The reduced indices become the pixel buffer as they are; sizing first
    // would hold a second picture-sized buffer for nothing.
    SetDimensions(width, height);
    ImportReduced(dib);
    Progress(TProgressStage::psEnding, 100);
}

void TGIFSubImage::ImportReduced(TGIFDib& dib) {
    const std::size_t count = static_cast<std::size_t>(FWidth) * FHeight;
    if (dib.Empty() || dib.Width != FWidth || dib.Height != FHeight) {
        // No usable palette: the frame keeps its size with index 0 everywhere.
        AllocateGifBuffer(FData, count);
        return;
    }
    if (dib.BitCount == 8) {
        FColorMap.Assign(dib.Colors);
        FData = std::move(dib.Pixels);
        return;
    }
    // 24 bits: each distinct colour in order of first appearance.
    AllocateGifBuffer(FData, count);
    std::unordered_map<std::uint32_t, std::uint8_t> indices;
    const std::uint8_t* in = dib.Pixels.data();
    for (std::size_t i = 0; i < count; ++i, in += 3) {
        const std::uint32_t key = in[0] << 16 | in[1] << 8 | in[2];
        auto found = indices.find(key);
        if (found == indices.end()) {
            const int index = FColorMap.Add({in[0], in[1], in[2]});
            found = indices.emplace(key, static_cast<std::uint8_t>(index)).first;
        }
        FData[i] = found->second;
    }
}

void TGIFSubImage::SaveToStream(TStream& stream) {
    FExtensions.SaveToStream(stream);
    if (Empty())
        return;
    // Data() is open to callers; never let the encoder read past it.
    if (FData.size() != static_cast<std::size_t>(FWidth) * FHeight)
        throw Exception(SORVAK_TEXT("sorvak", "Invalid image dimensions"));
    const int mapBits = FColorMap.BitsPerPixel();
    if (FColorMap.Count() > 0)
        FFlags =
            static_cast<std::uint8_t>(0x80 | (FColorMap.Sorted() ? 0x20 : 0) | ((mapBits - 1) & 7));
    else
        FFlags &= 0x58;

    std::vector<std::uint8_t> out = {0x2C};
    Put16(out, FLeft);
    Put16(out, FTop);
    Put16(out, FWidth);
    Put16(out, FHeight);
    out.push_back(FFlags);
    FColorMap.AppendTable(out);
    stream.WriteBuffer(out.data(), out.size());

    int bits = mapBits, colors = FColorMap.Count();
    if (colors == 0) {
        bits = Image() ? Image()->BitsPerPixel() : 0;
        colors = 1 << bits;
    }
    std::unique_ptr<TGIFEncoder> encoder;
    if (Image() && Image()->PackMethod == PackRLE)
        encoder = std::make_unique<TRLEEncoder>();
    else
        encoder = std::make_unique<TLZWEncoder>();
    encoder->Compress(stream, bits, colors, FData.data(), FWidth, FHeight);
}

// --- image ------------------------------------------------------------------

TGIFImage::TGIFImage() = default;

TGIFImage::~TGIFImage() = default;

void TGIFImage::Clear() {
    FImages.Clear();
    FHeader.ColorMap.Clear();
    FHeader.Width = FHeader.Height = 0;
    FHeader.Prepare();
}

void TGIFImage::AssignFrom(const TBitmap* source) {
    if (source == nullptr)
        Clear();
    else
        AssignFrom(*source);
}

void TGIFImage::AssignFrom(const TBitmap& source) {
    Clear();
    Add(source);
}

TGIFSubImage& TGIFImage::Add(const TBitmap& source) {
    auto frame = std::make_unique<TGIFSubImage>(this);
    frame->AssignFrom(source); // a failure destroys the frame
    return FImages.Add(std::move(frame));
}

TGIFSubImage& TGIFImage::Add(std::unique_ptr<TGIFItem> item) {
    auto* frame = dynamic_cast<TGIFSubImage*>(item.get());
    if (frame == nullptr)
        throw Exception(SORVAK_TEXT("sorvak", "Object type not supported for operation"));
    item.release();
    return FImages.Add(std::unique_ptr<TGIFSubImage>(frame));
}

int TGIFImage::Version() const {
    int version = 0;
    for (int i = 0; i < FImages.Count() && version < 2; ++i)
        version = std::max(version, FImages[i].Version());
    return version;
}

int TGIFImage::BitsPerPixel() const {
    int bits = FHeader.ColorMap.BitsPerPixel();
    for (int i = 0; i < FImages.Count(); ++i)
        bits = std::max(bits, FImages[i].ColorMap().BitsPerPixel());
    return bits;
}

void TGIFImage::Progress(TGIFProgressStep step, TProgressStage stage, int percent) const {
    const bool converting = step == TGIFProgressStep::Converting;
    if (OnProgress)
        OnProgress(stage, percent, converting ? "Converting..." : "Saving...");
    // A failed write ends with 0, which is no point of the rising scale.
    if (stage == TProgressStage::psEnding && percent != 100)
        return;
    if (converting)
        ReportWriteProgress(percent / 2);
    else if (stage == TProgressStage::psEnding)
        ReportWriteProgress(100);
    else // 100 waits for the trailer, which follows the last frame
        ReportWriteProgress(std::min(50 + percent / 2, 99));
}

void TGIFImage::WriteToStream(TStream& stream) {
    Progress(TGIFProgressStep::Saving, TProgressStage::psStarting, 0);
    try {
        FHeader.SaveToStream(stream);
        const int count = FImages.Count();
        for (int i = 0; i < count; ++i) {
            FImages[i].SaveToStream(stream);
            Progress(TGIFProgressStep::Saving, TProgressStage::psRunning,
                     ((i + 1) * 100 + count / 2) / count);
        }
        TGIFTrailer(this).SaveToStream(stream);
    } catch (...) {
        Progress(TGIFProgressStep::Saving, TProgressStage::psEnding, 0);
        throw;
    }
    Progress(TGIFProgressStep::Saving, TProgressStage::psEnding, 100);
}

} // namespace sorvak
