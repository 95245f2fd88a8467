#pragma once
// GIF pictures: a container of frames with one header, written as a GIF 87a
// (or 89a) file. Built from a bitmap it holds one frame on the web-cube
// palette with a local colour table.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "imaging/GifReduce.h"
#include "imaging/Graphic.h"

namespace sorvak {

class TBitmap;
class TGIFImage;

// Colour table of a header or a frame.
class TGIFColorMap {
public:
    static constexpr int kMaxColors = 256;

    int Count() const { return FCount; }
    // Storage reserved for entries: 16, then multiples of 32, at most 256.
    int Capacity() const { return static_cast<int>(FEntries.size()); }
    const TGIFColor& operator[](int index) const { return FEntries[index]; }
    // Appends an entry; raises "Color table overflow" when 256 are held.
    int Add(const TGIFColor& color);
    void Clear();
    // Replaces the entries (at most 256 are taken) and clears the sorted mark.
    void Assign(const std::vector<TGIFColor>& colors);
    // Set only by a colour-map optimisation; makes the file GIF89a.
    bool Sorted() const { return FSorted; }
    void SetSorted(bool sorted) { FSorted = sorted; }
    // 0 for an empty map, else the smallest b >= 1 with 2^b >= Count().
    int BitsPerPixel() const;
    // Entries as red, green, blue bytes, then zero triples up to 2^BitsPerPixel().
    void AppendTable(std::vector<std::uint8_t>& out) const;

private:
    void Reserve(int count);

    std::vector<TGIFColor> FEntries;
    int FCount = 0;
    bool FSorted = false;
};

class TGIFLocalColorMap : public TGIFColorMap {};
class TGIFGlobalColorMap : public TGIFColorMap {};

// A part of a GIF file, owned by a TGIFImage.
class TGIFItem {
public:
    explicit TGIFItem(TGIFImage* image) : FImage(image) {}
    virtual ~TGIFItem() = default;
    TGIFItem(const TGIFItem&) = delete;
    TGIFItem& operator=(const TGIFItem&) = delete;
    // 1 for GIF87a, 2 for GIF89a.
    virtual int Version() const { return 1; }
    virtual void SaveToStream(TStream& stream) = 0;
    TGIFImage* Image() const { return FImage; }

private:
    TGIFImage* FImage;
};

// Signature and logical screen descriptor.
class TGIFHeader : public TGIFItem {
public:
    using TGIFItem::TGIFItem;
    // Writes "GIF" and the image's version, the screen descriptor and the
    // global colour table when there is one.
    void SaveToStream(TStream& stream) override;
    void Clear();
    // Recomputes the packed flags from the colour maps of the header and frames.
    void Prepare();

    std::uint16_t Width = 0;
    std::uint16_t Height = 0;
    std::uint8_t Flags = 0;
    std::uint8_t BackgroundColorIndex = 0;
    std::uint8_t AspectRatio = 0;
    TGIFGlobalColorMap ColorMap;
};

// Base of the extension blocks (all GIF89a).
class TGIFExtension : public TGIFItem {
public:
    using TGIFItem::TGIFItem;
    int Version() const override { return 2; }
    // Writes the introducer, the label and the data as sub-blocks.
    void SaveToStream(TStream& stream) override;

protected:
    virtual std::uint8_t Label() const = 0;
    virtual std::vector<std::uint8_t> Data() const = 0;
};

class TGIFCommentExtension : public TGIFExtension {
public:
    using TGIFExtension::TGIFExtension;
    std::string Text;

protected:
    std::uint8_t Label() const override { return 0xFE; }
    std::vector<std::uint8_t> Data() const override { return {Text.begin(), Text.end()}; }
};

// Owning, ordered list of items.
template <typename T> class TGIFList {
public:
    int Count() const { return static_cast<int>(FItems.size()); }
    T& operator[](int index) const { return *FItems[index]; }
    T& Add(std::unique_ptr<T> item) {
        FItems.push_back(std::move(item));
        return *FItems.back();
    }
    void Clear() { FItems.clear(); }
    void SaveToStream(TStream& stream) {
        for (auto& item : FItems)
            item->SaveToStream(stream);
    }

private:
    std::vector<std::unique_ptr<T>> FItems;
};

class TGIFSubImage;
class TGIFExtensionList : public TGIFList<TGIFExtension> {};
class TGIFImageList : public TGIFList<TGIFSubImage> {};

// One frame: image descriptor, local colour map and one index per pixel.
class TGIFSubImage : public TGIFItem {
public:
    using TGIFItem::TGIFItem;
    // 2 when the colour map is sorted or an extension is present.
    int Version() const override;
    void SaveToStream(TStream& stream) override;
    // Imports the bitmap through the image's colour reduction. Raises
    // "Image too large for GIF: width and height must not exceed 65535".
    void AssignFrom(const TBitmap& source);
    // Empty extensions, colour map and pixels; size 0.
    void Clear();
    // Sets the size, allocating zero-filled pixels and growing the image's
    // logical screen to cover the frame.
    void SetSize(int width, int height);
    bool Empty() const { return FData.empty() || FWidth == 0 || FHeight == 0; }

    int Left() const { return FLeft; }
    int Top() const { return FTop; }
    int Width() const { return FWidth; }
    int Height() const { return FHeight; }
    std::uint8_t Flags() const { return FFlags; }
    TGIFLocalColorMap& ColorMap() { return FColorMap; }
    const TGIFLocalColorMap& ColorMap() const { return FColorMap; }
    TGIFExtensionList& Extensions() { return FExtensions; }
    // Width × height indices, top row first.
    std::vector<std::uint8_t>& Data() { return FData; }
    const std::vector<std::uint8_t>& Data() const { return FData; }

private:
    // Size and the image's logical screen, without touching the pixels.
    void SetDimensions(int width, int height);
    void ImportReduced(TGIFDib& dib);
    void Progress(TProgressStage stage, int percent);

    std::uint16_t FLeft = 0, FTop = 0, FWidth = 0, FHeight = 0;
    std::uint8_t FFlags = 0;
    TGIFLocalColorMap FColorMap;
    TGIFExtensionList FExtensions;
    std::vector<std::uint8_t> FData;
};

class TGIFTrailer : public TGIFItem {
public:
    using TGIFItem::TGIFItem;
    void SaveToStream(TStream& stream) override;
};

enum TGIFPackMethod : int { PackLZW = 0, PackRLE = 1 };

// The two steps of a write whose progress is reported: the colour reduction
// when a frame takes a bitmap over, then the file.
enum class TGIFProgressStep { Converting, Saving };

// The GIF picture class.
class TGIFImage : public TGraphic {
public:
    TGIFImage();
    ~TGIFImage() override;
    TGIFImage(const TGIFImage&) = delete;
    TGIFImage& operator=(const TGIFImage&) = delete;

    // Replaces the content by one frame made from source.
    void AssignFrom(const TBitmap& source) override;
    // A null source clears the image.
    void AssignFrom(const TBitmap* source);
    // Writes the GIF file; raises "Unsupported GIF version" with no frames.
    void WriteToStream(TStream& stream) override;

    // Appends a frame made from source.
    TGIFSubImage& Add(const TBitmap& source);
    // Appends a frame; any other item raises "Object type not supported for operation".
    TGIFSubImage& Add(std::unique_ptr<TGIFItem> item);
    // No frames, empty global colour map, screen 0 × 0.
    void Clear();

    // Highest version of the frames, stopping at the first GIF89a; 0 without frames.
    int Version() const;
    // Largest bits per pixel of the global and the frames' colour maps.
    int BitsPerPixel() const;
    int Width() const { return FHeader.Width; }
    int Height() const { return FHeader.Height; }
    TGIFHeader& Header() { return FHeader; }
    TGIFImageList& Images() { return FImages; }

    int ReduceMethod = ReduceWebCube;
    int DitherKind = DitherOff;
    int ReduceBits = 8;
    int PackMethod = PackLZW;

    // Progress of converting and saving: stage, percent, "Converting..." or
    // "Saving...". The same reports go to OnWriteProgress, the conversion as
    // the first half of its scale and the file as the second.
    std::function<void(TProgressStage, int, const std::string&)> OnProgress;
    std::function<void(const std::string&)> OnWarning;

private:
    friend class TGIFSubImage;
    void Progress(TGIFProgressStep step, TProgressStage stage, int percent) const;

    TGIFHeader FHeader{this};
    TGIFImageList FImages;
};

} // namespace sorvak
