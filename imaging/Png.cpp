#include "imaging/Png.h"

#include <algorithm>
#include <cstring>
#include <functional>
#include <zlib.h>

#include "base/Bytes.h"
#include "base/Exception.h"

namespace sorvak {

namespace {

const std::uint8_t Signature[8] = {0x89, 0x50, 0x4E, 0x47, 0x0D, 0x0A, 0x1A, 0x0A};

// Ends the zlib stream on every path.
class TDeflater {
public:
    TDeflater(int level) {
        // The version string and record size select the deflate method, a 32 KiB
        // window, memory level 8 and the default strategy.
        const int rc = deflateInit_(&Z, level, "1.2.3", static_cast<int>(sizeof(z_stream)));
        if (rc != Z_OK)
            Fail(rc);
        Started = true;
    }
    ~TDeflater() {
        if (Started)
            deflateEnd(&Z);
    }
    TDeflater(const TDeflater&) = delete;
    TDeflater& operator=(const TDeflater&) = delete;
    [[noreturn]] void Fail(int rc) const {
        const char* text = Z.msg != nullptr ? Z.msg : zError(rc);
        throw Exception(SORVAK_TEXT("sorvak", "PNG compression failed (zlib: %s)"), {text});
    }
    z_stream Z{};
    bool Started = false;
};

std::uint8_t Paeth(int a, int b, int c) {
    const int p = a + b - c;
    const int pa = p > a ? p - a : a - p;
    const int pb = p > b ? p - b : b - p;
    const int pc = p > c ? p - c : c - p;
    if (pa <= pb && pa <= pc)
        return static_cast<std::uint8_t>(a);
    if (pb <= pc)
        return static_cast<std::uint8_t>(b);
    return static_cast<std::uint8_t>(c);
}

} // namespace

TChunk::TChunk(TPNGObject& owner, const char (&name)[5]) : Owner(owner), FName(name, 4) {}

void TChunk::WriteChunk(TStream& stream, const char* name, const std::uint8_t* data,
                        std::size_t size) {
    std::uint8_t head[8];
    bytes::PutBE32(head, static_cast<std::uint32_t>(size));
    std::memcpy(head + 4, name, 4);
    uLong crc = crc32(0, reinterpret_cast<const Bytef*>(name), 4);
    if (size != 0)
        crc = crc32_z(crc, data, size);
    std::uint8_t tail[4];
    bytes::PutBE32(tail, static_cast<std::uint32_t>(crc));
    stream.WriteBuffer(head, sizeof head);
    stream.WriteBuffer(data, size);
    stream.WriteBuffer(tail, sizeof tail);
}

void TChunk::SaveToStream(TStream& stream) {
    WriteChunk(stream, FName.c_str(), FData.data(), FData.size());
}

void TChunkIHDR::SaveToStream(TStream& stream) {
    FData.assign(13, 0);
    std::uint8_t* p = FData.data();
    p = bytes::PutBE32(p, Width);
    p = bytes::PutBE32(p, Height);
    *p++ = BitDepth == 2 ? 4 : BitDepth;
    *p++ = ColorType;
    *p++ = CompressionMethod;
    *p++ = FilterMethod;
    *p++ = Owner.InterlaceMode;
    TChunk::SaveToStream(stream);
}

void TChunkPLTE::SaveToStream(TStream& stream) {
    const TChunkIHDR* header = Owner.Header();
    const auto& table = Owner.OutputTable();
    FData.clear();
    for (int i = 0; i < Count; ++i) {
        const TRGBQuad c = static_cast<std::size_t>(i) < header->Palette.size()
                               ? header->Palette[static_cast<std::size_t>(i)]
                               : TRGBQuad{};
        FData.push_back(table[c.Red]);
        FData.push_back(table[c.Green]);
        FData.push_back(table[c.Blue]);
    }
    TChunk::SaveToStream(stream);
}

std::uint8_t TPNGObject::ChooseFilter(std::uint8_t rowFilters,
                                      const std::array<const std::uint8_t*, 5>& outputs,
                                      std::size_t rowBytes) {
    rowFilters &= 0x1F;
    if ((rowFilters & ~FilterBit(pfNone)) == 0)
        return pfNone;
    for (std::uint8_t f = pfNone; f <= pfPaeth; ++f)
        if (rowFilters == (1u << f))
            return f;
    // Several filters: the one whose output repeats the byte one or two back
    // most often wins; the earlier one on equal counts; None when none repeats.
    std::uint8_t best = pfNone;
    std::size_t bestCount = 0;
    for (std::uint8_t f = pfNone; f <= pfPaeth; ++f) {
        if ((rowFilters & (1u << f)) == 0)
            continue;
        const std::uint8_t* o = outputs[f];
        std::size_t count = 0;
        for (std::size_t j = 2; j < rowBytes; ++j)
            if (o[j] == o[j - 1] || o[j] == o[j - 2])
                ++count;
        if (count > bestCount) {
            bestCount = count;
            best = f;
        }
    }
    return best;
}

namespace {

// Reads the header's rows as PNG stores them: red, green, blue bytes through
// the output table, or the indices as they are.
class TRowReader {
public:
    TRowReader(const TChunkIHDR& header, const std::array<std::uint8_t, 256>& table)
        : FImage(header.Image), FTable(table), FIndexed(header.ColorType == 3),
          FWidth(header.Width), FRowBits(header.RowBits),
          FRowBytes(FIndexed ? (FWidth * static_cast<std::size_t>(FRowBits) + 7) / 8 : 3 * FWidth),
          FStored(TBitmap::RowStride(FImage.Width(), FRowBits)) {
        for (int i = 0; i < 256; ++i)
            FIdentity = FIdentity && table[static_cast<std::size_t>(i)] == i;
    }
    std::size_t RowBytes() const { return FRowBytes; }
    // Bytes of one pixel, the distance the Sub, Average and Paeth filters look back.
    std::size_t PixelBytes() const { return FIndexed ? 1 : 3; }

    // Row y, top row first, into out (RowBytes() bytes).
    void Read(std::uint32_t y, std::uint8_t* out) {
        if (FIndexed)
            ReadIndices(y, out);
        else
            ReadColors(y, out);
    }

private:
    void ReadIndices(std::uint32_t y, std::uint8_t* out) {
        FImage.ReadRow(static_cast<std::int32_t>(y), FRowBits, FStored.data());
        std::memcpy(out, FStored.data(), FRowBytes);
    }

    // Stored blue, green, red (and a fourth byte at 32 bits) become red,
    // green, blue; 32-bit rows are read in place.
    void ReadColors(std::uint32_t y, std::uint8_t* __restrict out) {
        const std::uint8_t* s;
        std::size_t step = 3;
        if (FImage.Depth() == 32) {
            s = FImage.ScanLine(static_cast<std::int32_t>(y));
            step = 4;
        } else {
            FImage.ReadRow(static_cast<std::int32_t>(y), FRowBits, FStored.data());
            s = FStored.data();
        }
        std::uint8_t* __restrict r = out;
        for (std::size_t x = 0; x < FWidth; ++x, s += step, r += 3) {
            r[0] = s[2];
            r[1] = s[1];
            r[2] = s[0];
        }
        if (!FIdentity)
            for (std::size_t j = 0; j < FRowBytes; ++j)
                out[j] = FTable[out[j]];
    }

    const TBitmap& FImage;
    const std::array<std::uint8_t, 256>& FTable;
    const bool FIndexed;
    const std::size_t FWidth;
    const int FRowBits;
    const std::size_t FRowBytes;
    bool FIdentity = true;
    std::vector<std::uint8_t> FStored;
};

void FilterSub(std::uint8_t* __restrict o, const std::uint8_t* rp, std::size_t n,
               std::size_t unit) {
    const std::size_t head = std::min(unit, n);
    std::memcpy(o, rp, head);
    for (std::size_t j = head; j < n; ++j)
        o[j] = static_cast<std::uint8_t>(rp[j] - rp[j - unit]);
}

void FilterUp(std::uint8_t* o, const std::uint8_t* rp, const std::uint8_t* up, std::size_t n) {
    for (std::size_t j = 0; j < n; ++j)
        o[j] = static_cast<std::uint8_t>(rp[j] - up[j]);
}

void FilterAverage(std::uint8_t* o, const std::uint8_t* rp, const std::uint8_t* up, std::size_t n,
                   std::size_t unit) {
    for (std::size_t j = 0; j < n; ++j) {
        const int left = j >= unit ? rp[j - unit] : 0;
        o[j] = static_cast<std::uint8_t>(rp[j] - (left + up[j]) / 2);
    }
}

void FilterPaeth(std::uint8_t* o, const std::uint8_t* rp, const std::uint8_t* up, std::size_t n,
                 std::size_t unit) {
    for (std::size_t j = 0; j < n; ++j) {
        const int left = j >= unit ? rp[j - unit] : 0;
        const int upLeft = j >= unit ? up[j - unit] : 0;
        o[j] = static_cast<std::uint8_t>(rp[j] - Paeth(left, up[j], upLeft));
    }
}

// One row as it goes into the stream: its filter type, then its bytes.
struct TFilteredRow {
    std::uint8_t Type;
    const std::uint8_t* Data;
};

// Filters each row against the one before it with every filter type in
// RowFilters and keeps the chosen output.
class TRowFilters {
public:
    TRowFilters(std::uint8_t rowFilters, std::size_t rowBytes, std::size_t unit)
        : FFilters(rowFilters & 0x1F), FRowBytes(rowBytes), FUnit(unit), FRaw(rowBytes),
          FPrev(rowBytes, 0) {
        for (int f = pfSub; f <= pfPaeth; ++f)
            if (FFilters & (1u << f)) {
                FOut[static_cast<std::size_t>(f)].resize(rowBytes);
                FOutputs[static_cast<std::size_t>(f)] = FOut[static_cast<std::size_t>(f)].data();
            }
    }
    // Where the next row is read to before Filter().
    std::uint8_t* Row() { return FRaw.data(); }

    // The row becomes the previous row of the next one.
    TFilteredRow Filter() {
        const std::uint8_t* rp = FRaw.data();
        const std::uint8_t* up = FPrev.data();
        if (FFilters & FilterBit(pfSub))
            FilterSub(FOut[pfSub].data(), rp, FRowBytes, FUnit);
        if (FFilters & FilterBit(pfUp))
            FilterUp(FOut[pfUp].data(), rp, up, FRowBytes);
        if (FFilters & FilterBit(pfAverage))
            FilterAverage(FOut[pfAverage].data(), rp, up, FRowBytes, FUnit);
        if (FFilters & FilterBit(pfPaeth))
            FilterPaeth(FOut[pfPaeth].data(), rp, up, FRowBytes, FUnit);
        // None's output is the raw row, which is now the previous row.
        FPrev.swap(FRaw);
        FOutputs[pfNone] = FPrev.data();
        const std::uint8_t type = TPNGObject::ChooseFilter(FFilters, FOutputs, FRowBytes);
        return {type, type == pfNone ? FPrev.data() : FOut[type].data()};
    }

private:
    const std::uint8_t FFilters;
    const std::size_t FRowBytes;
    const std::size_t FUnit;
    std::vector<std::uint8_t> FRaw, FPrev;
    std::array<std::vector<std::uint8_t>, 5> FOut;
    std::array<const std::uint8_t*, 5> FOutputs{};
};

// Deflates what it is fed into one zlib stream and hands each full buffer of
// limit bytes, and the rest at the end, to the chunk writer.
class TIdatDeflater {
public:
    using TChunkWriter = std::function<void(const std::uint8_t* data, std::size_t size)>;

    TIdatDeflater(int level, std::uint32_t limit, TChunkWriter writeChunk)
        : FDeflater(level), FLimit(limit), FBuffer(limit), FWriteChunk(std::move(writeChunk)) {
        FDeflater.Z.next_out = FBuffer.data();
        FDeflater.Z.avail_out = FLimit;
    }

    void Feed(const std::uint8_t* data, std::size_t size) {
        z_stream& z = FDeflater.Z;
        z.next_in = const_cast<Bytef*>(data);
        // zlib counts input in 32 bits; a longer row goes in parts.
        std::size_t left = size;
        do {
            const std::size_t part = std::min<std::size_t>(left, 1u << 30);
            z.avail_in = static_cast<uInt>(part);
            left -= part;
            do {
                const int rc = deflate(&z, Z_NO_FLUSH);
                if (rc != Z_OK && rc != Z_BUF_ERROR)
                    FDeflater.Fail(rc);
                if (rc == Z_BUF_ERROR && z.avail_out != 0)
                    FDeflater.Fail(rc);
                FlushFull();
            } while (z.avail_in != 0);
        } while (left != 0);
    }

    // Ends the stream and writes what is left.
    void Finish() {
        z_stream& z = FDeflater.Z;
        z.next_in = nullptr;
        z.avail_in = 0;
        for (;;) {
            const int rc = deflate(&z, Z_FINISH);
            if (rc == Z_STREAM_END)
                break;
            if (rc != Z_OK && rc != Z_BUF_ERROR)
                FDeflater.Fail(rc);
            if (z.avail_out != 0)
                FDeflater.Fail(rc); // no progress although there is room
            FlushFull();
        }
        const std::size_t rest = FLimit - z.avail_out;
        if (rest != 0)
            FWriteChunk(FBuffer.data(), rest);
    }

private:
    void FlushFull() {
        z_stream& z = FDeflater.Z;
        if (z.avail_out == 0) {
            FWriteChunk(FBuffer.data(), FLimit);
            z.next_out = FBuffer.data();
            z.avail_out = FLimit;
        }
    }

    TDeflater FDeflater;
    const std::uint32_t FLimit;
    std::vector<std::uint8_t> FBuffer;
    TChunkWriter FWriteChunk;
};

// The rows' notices: a starting one, one with every whole percentage of the
// rows, an ending one with 100.
class TRowProgress {
public:
    using TReport = std::function<void(TProgressStage stage, int percent)>;

    TRowProgress(TReport report, std::uint32_t rows) : FReport(std::move(report)), FRows(rows) {}
    void Start() const { FReport(TProgressStage::psStarting, 0); }
    void Row(std::uint32_t y) {
        const int percent = static_cast<int>(std::uint64_t{y} * 100 / FRows);
        if (percent != FReported)
            FReport(TProgressStage::psRunning, FReported = percent);
    }
    void End() const { FReport(TProgressStage::psEnding, 100); }

private:
    const TReport FReport;
    const std::uint32_t FRows;
    int FReported = 0;
};

} // namespace

void TChunkIDAT::SaveToStream(TStream& stream) {
    const TChunkIHDR& header = *Owner.Header();
    TRowReader rows(header, Owner.OutputTable());
    TRowFilters filters(Owner.RowFilters, rows.RowBytes(), rows.PixelBytes());
    TIdatDeflater deflater(Owner.DeflateLevel, Owner.IdatLimit(),
                           [&stream](const std::uint8_t* data, std::size_t size) {
                               WriteChunk(stream, "IDAT", data, size);
                           });
    TRowProgress progress(
        [this](TProgressStage stage, int percent) { Owner.Progress(stage, percent); },
        header.Height);
    progress.Start();
    for (std::uint32_t y = 0; y < header.Height; ++y) {
        progress.Row(y);
        rows.Read(y, filters.Row());
        const TFilteredRow row = filters.Filter();
        deflater.Feed(&row.Type, 1);
        deflater.Feed(row.Data, rows.RowBytes());
    }
    deflater.Finish();
    progress.End();
}

TPNGObject::TPNGObject() {
    Clear();
}

void TPNGObject::Clear() {
    FChunks.clear();
    for (int i = 0; i < 256; ++i)
        FOutputTable[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(i);
}

TChunkIHDR* TPNGObject::Header() const {
    if (FChunks.empty())
        return nullptr;
    return dynamic_cast<TChunkIHDR*>(FChunks.front().get());
}

void TPNGObject::AssignFrom(const TBitmap& source) {
    Clear();
    auto header = std::make_unique<TChunkIHDR>(*this);
    const int depth = source.Depth();
    header->Width = static_cast<std::uint32_t>(source.Width());
    header->Height = static_cast<std::uint32_t>(source.Height());
    if (depth < 16) {
        header->BitDepth = static_cast<std::uint8_t>(depth);
        header->ColorType = 3;
        header->RowBits = depth == 2 ? 4 : depth;
    } else {
        header->BitDepth = 8;
        header->ColorType = 2;
        header->RowBits = 24;
    }
    header->Image.AssignFrom(source);
    TChunkIHDR* h = header.get();
    FChunks.push_back(std::move(header));
    if (h->ColorType == 3) {
        h->Palette = source.ColorTable();
        auto plte = std::make_unique<TChunkPLTE>(*this);
        plte->Count = 1 << depth;
        FChunks.push_back(std::move(plte));
    }
    FChunks.push_back(std::make_unique<TChunkIDAT>(*this));
    FChunks.push_back(std::make_unique<TChunkIEND>(*this));
}

void TPNGObject::CheckWritable() const {
    const TChunkIHDR* header = Header();
    if (header == nullptr || header->Width == 0 || header->Height == 0 || header->Image.Empty())
        throw Exception(SORVAK_TEXT("sorvak", "Cannot save an empty image (width or height is 0)"));
    // The rows are never written in Adam7 order, so an interlace byte of 1 would
    // describe data the file does not hold.
    if (InterlaceMode != 0)
        throw Exception(SORVAK_TEXT("sorvak", "Interlaced PNG writing is not supported"));
}

void TPNGObject::Progress(TProgressStage stage, int percent) const {
    if (OnProgress)
        OnProgress(stage, percent);
    // The start and the end of the whole write are WriteToStream's.
    if (stage == TProgressStage::psRunning)
        ReportWriteProgress(percent);
}

void TPNGObject::WriteToStream(TStream& stream) {
    CheckWritable();
    ReportWriteProgress(0);
    stream.WriteBuffer(Signature, sizeof Signature);
    for (const auto& chunk : FChunks)
        chunk->SaveToStream(stream);
    ReportWriteProgress(100);
}

} // namespace sorvak
