#pragma once
// The PNG writer: the picture as an ordered list of chunks (IHDR, PLTE for
// indexed pictures, IDAT, IEND), compressed with zlib one row at a time.
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "imaging/Bitmap.h"
#include "imaging/Graphic.h"

namespace sorvak {

class TPNGObject;

// Row filter types of PNG (ISO/IEC 15948, filter method 0); RowFilters holds bit i for type i.
enum TFilter : std::uint8_t { pfNone = 0, pfSub = 1, pfUp = 2, pfAverage = 3, pfPaeth = 4 };
constexpr std::uint8_t FilterBit(TFilter f) {
    return static_cast<std::uint8_t>(1u << f);
}

class TChunk {
public:
    TChunk(TPNGObject& owner, const char (&name)[5]);
    virtual ~TChunk() = default;
    const std::string& Name() const { return FName; }
    const std::vector<std::uint8_t>& Data() const { return FData; }
    // Writes length, name, data and CRC.
    virtual void SaveToStream(TStream& stream);

protected:
    // Writes one chunk in the PNG layout with the given data.
    static void WriteChunk(TStream& stream, const char* name, const std::uint8_t* data,
                           std::size_t size);
    TPNGObject& Owner;
    std::string FName;
    std::vector<std::uint8_t> FData;
};

// The header; it also holds the image: a bitmap sharing the source picture,
// whose rows are read at the header's depth when the data is written.
class TChunkIHDR : public TChunk {
public:
    explicit TChunkIHDR(TPNGObject& owner) : TChunk(owner, "IHDR") {}
    void SaveToStream(TStream& stream) override;

    std::uint32_t Width = 0;
    std::uint32_t Height = 0;
    std::uint8_t BitDepth = 8;
    std::uint8_t ColorType = 2;
    std::uint8_t CompressionMethod = 0;
    std::uint8_t FilterMethod = 0;
    std::uint8_t InterlaceMethod = 0;
    TBitmap Image;                 // the rows, bottom row first
    int RowBits = 24;              // bits per pixel of the rows read from Image
    std::vector<TRGBQuad> Palette; // colour type 3 only
};

class TChunkPLTE : public TChunk {
public:
    explicit TChunkPLTE(TPNGObject& owner) : TChunk(owner, "PLTE") {}
    void SaveToStream(TStream& stream) override;
    int Count = 0;
};

// Writes its own IDAT chunks of IdatLimit bytes from the header's rows.
class TChunkIDAT : public TChunk {
public:
    explicit TChunkIDAT(TPNGObject& owner) : TChunk(owner, "IDAT") {}
    void SaveToStream(TStream& stream) override;
};

class TChunkIEND : public TChunk {
public:
    explicit TChunkIEND(TPNGObject& owner) : TChunk(owner, "IEND") {}
};

using TPNGList = std::vector<std::unique_ptr<TChunk>>;

class TPNGObject : public TGraphic {
public:
    TPNGObject();
    // Builds the chunk list from the bitmap (sharing its picture).
    void AssignFrom(const TBitmap& source) override;
    // Signature, then each chunk in list order. An empty picture is refused
    // with "Cannot save an empty image (width or height is 0)" before
    // anything is written, and so is InterlaceMode 1, which this writer does
    // not produce.
    void WriteToStream(TStream& stream) override;

    // Rows compressed so far: a starting notice, one with every whole
    // percentage, an ending one with 100. Writes nothing of its own. The
    // percentages also go to OnWriteProgress.
    std::function<void(TProgressStage stage, int percentDone)> OnProgress;

    std::uint8_t RowFilters = FilterBit(pfSub);
    std::uint8_t DeflateLevel = 7;
    std::uint8_t InterlaceMode = 0;
    std::uint32_t IdatLimit() const { return FIdatLimit; }
    // Values below 65535 are raised to 65535.
    void SetIdatLimit(std::uint32_t limit) { FIdatLimit = limit < 65535 ? 65535 : limit; }

    const TPNGList& Chunks() const { return FChunks; }
    TChunkIHDR* Header() const;
    const std::array<std::uint8_t, 256>& OutputTable() const { return FOutputTable; }
    // Chooses the filter type for one row from the outputs of the filters in
    // RowFilters (outputs[i] is the output of filter type i; unused when absent).
    static std::uint8_t ChooseFilter(std::uint8_t rowFilters,
                                     const std::array<const std::uint8_t*, 5>& outputs,
                                     std::size_t rowBytes);

protected:
    void CheckWritable() const override;

private:
    friend class TChunkIDAT;
    void Progress(TProgressStage stage, int percent) const;
    void Clear();

    TPNGList FChunks;
    std::array<std::uint8_t, 256> FOutputTable{};
    std::uint32_t FIdatLimit = 65535;
};

} // namespace sorvak
