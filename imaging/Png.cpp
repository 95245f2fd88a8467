#include "imaging/Png.h"

#include <algorithm>
#include <cstring>
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
        throw Exception(std::string("PNG compression failed (zlib: ") + text + ")");
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

void TChunkIDAT::SaveToStream(TStream& stream) {
    const TChunkIHDR& header = *Owner.Header();
    const TBitmap& image = header.Image;
    const std::uint32_t limit = Owner.IdatLimit();
    const bool indexed = header.ColorType == 3;
    const std::size_t width = header.Width;
    const int rowBits = header.RowBits;
    const std::size_t rowBytes =
        indexed ? (width * static_cast<std::size_t>(rowBits) + 7) / 8 : 3 * width;
    const std::size_t unit = indexed ? 1 : 3;
    const auto& table = Owner.OutputTable();
    bool identity = true;
    for (int i = 0; i < 256; ++i)
        identity = identity && table[static_cast<std::size_t>(i)] == i;

    std::vector<std::uint8_t> stored(TBitmap::RowStride(image.Width(), rowBits));
    std::vector<std::uint8_t> raw(rowBytes), prev(rowBytes, 0);
    std::array<std::vector<std::uint8_t>, 5> out;
    std::array<const std::uint8_t*, 5> outputs{};
    const std::uint8_t filters = Owner.RowFilters & 0x1F;
    for (int f = pfSub; f <= pfPaeth; ++f)
        if (filters & (1u << f)) {
            out[static_cast<std::size_t>(f)].resize(rowBytes);
            outputs[static_cast<std::size_t>(f)] = out[static_cast<std::size_t>(f)].data();
        }

    TDeflater deflater(Owner.DeflateLevel);
    z_stream& z = deflater.Z;
    std::vector<std::uint8_t> buffer(limit);
    z.next_out = buffer.data();
    z.avail_out = limit;
    auto flushFull = [&] {
        if (z.avail_out == 0) {
            WriteChunk(stream, "IDAT", buffer.data(), limit);
            z.next_out = buffer.data();
            z.avail_out = limit;
        }
    };
    auto feed = [&](const std::uint8_t* data, std::size_t size) {
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
                    deflater.Fail(rc);
                if (rc == Z_BUF_ERROR && z.avail_out != 0)
                    deflater.Fail(rc);
                flushFull();
            } while (z.avail_in != 0);
        } while (left != 0);
    };

    const auto& progress = Owner.OnProgress;
    int reported = 0;
    if (progress)
        progress(TProgressStage::psStarting, 0);
    for (std::uint32_t y = 0; y < header.Height; ++y) {
        if (progress) {
            const int percent = static_cast<int>(std::uint64_t{y} * 100 / header.Height);
            if (percent != reported)
                progress(TProgressStage::psRunning, reported = percent);
        }
        if (indexed) {
            image.ReadRow(static_cast<std::int32_t>(y), rowBits, stored.data());
            std::memcpy(raw.data(), stored.data(), rowBytes);
        } else {
            // Stored blue, green, red (and a fourth byte at 32 bits) become red,
            // green, blue; 32-bit rows are read in place.
            const std::uint8_t* s;
            std::size_t step = 3;
            if (image.Depth() == 32) {
                s = image.ScanLine(static_cast<std::int32_t>(y));
                step = 4;
            } else {
                image.ReadRow(static_cast<std::int32_t>(y), rowBits, stored.data());
                s = stored.data();
            }
            std::uint8_t* __restrict r = raw.data();
            for (std::size_t x = 0; x < width; ++x, s += step, r += 3) {
                r[0] = s[2];
                r[1] = s[1];
                r[2] = s[0];
            }
            if (!identity)
                for (auto& b : raw)
                    b = table[b];
        }
        const std::uint8_t* rp = raw.data();
        const std::uint8_t* up = prev.data();
        if (filters & FilterBit(pfSub)) {
            std::uint8_t* __restrict o = out[pfSub].data();
            const std::size_t head = std::min(unit, rowBytes);
            std::memcpy(o, rp, head);
            for (std::size_t j = head; j < rowBytes; ++j)
                o[j] = static_cast<std::uint8_t>(rp[j] - rp[j - unit]);
        }
        if (filters & FilterBit(pfUp)) {
            std::uint8_t* o = out[pfUp].data();
            for (std::size_t j = 0; j < rowBytes; ++j)
                o[j] = static_cast<std::uint8_t>(rp[j] - up[j]);
        }
        if (filters & FilterBit(pfAverage)) {
            std::uint8_t* o = out[pfAverage].data();
            for (std::size_t j = 0; j < rowBytes; ++j) {
                const int left = j >= unit ? rp[j - unit] : 0;
                o[j] = static_cast<std::uint8_t>(rp[j] - (left + up[j]) / 2);
            }
        }
        if (filters & FilterBit(pfPaeth)) {
            std::uint8_t* o = out[pfPaeth].data();
            for (std::size_t j = 0; j < rowBytes; ++j) {
                const int left = j >= unit ? rp[j - unit] : 0;
                const int upLeft = j >= unit ? up[j - unit] : 0;
                o[j] = static_cast<std::uint8_t>(rp[j] - Paeth(left, up[j], upLeft));
            }
        }
        // The raw row becomes the previous row; None's output is the raw row.
        prev.swap(raw);
        outputs[pfNone] = prev.data();
        const std::uint8_t type = TPNGObject::ChooseFilter(filters, outputs, rowBytes);
        feed(&type, 1);
        feed(type == pfNone ? prev.data() : out[type].data(), rowBytes);
    }

    z.next_in = nullptr;
    z.avail_in = 0;
    for (;;) {
        const int rc = deflate(&z, Z_FINISH);
        if (rc == Z_STREAM_END)
            break;
        if (rc != Z_OK && rc != Z_BUF_ERROR)
            deflater.Fail(rc);
        if (z.avail_out != 0)
            deflater.Fail(rc); // no progress although there is room
        flushFull();
    }
    const std::size_t rest = limit - z.avail_out;
    if (rest != 0)
        WriteChunk(stream, "IDAT", buffer.data(), rest);
    if (progress)
        progress(TProgressStage::psEnding, 100);
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
        throw Exception("Cannot save an empty image (width or height is 0)");
    // The rows are never written in Adam7 order, so an interlace byte of 1 would
    // describe data the file does not hold.
    if (InterlaceMode != 0)
        throw Exception("Interlaced PNG writing is not supported");
}

void TPNGObject::WriteToStream(TStream& stream) {
    CheckWritable();
    stream.WriteBuffer(Signature, sizeof Signature);
    for (const auto& chunk : FChunks)
        chunk->SaveToStream(stream);
}

} // namespace sorvak
