#pragma once
// GIF image-data encoders: the variable-length-code LZW of GIF89a and a
// run-length variant, both writing the minimum code size byte, data
// sub-blocks of at most 255 bytes and the block terminator.
#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>

#include "imaging/Stream.h"

namespace sorvak {

// LZW string table: open addressing over 8009 cells. A cell holds
// (key shl 12) or code; all-ones upper bits mark an empty cell.
class THashTable {
public:
    static constexpr int kSize = 8009;

    THashTable() { Clear(); }
    void Clear();
    // Stores the code under key; false when the key's probe chain has no free
    // cell (the secondary step only visits half the cells), so the caller can
    // treat the table as full.
    bool Insert(std::uint32_t key, int code);
    // The code stored under key, or -1. A chain is a cycle of cells, so after
    // kSize steps every cell it can reach has been seen.
    int Lookup(std::uint32_t key) const {
        const std::uint32_t tag = key << 12;
        int h = Hash(key);
        for (int probes = 0; probes < kSize; ++probes) {
            const std::uint32_t cell = FCells[h];
            if ((cell & 0xFFFFF000u) == 0xFFFFF000u)
                return -1;
            if ((cell & 0xFFFFF000u) == tag)
                return static_cast<int>(cell & 0xFFFu);
            h = Step(h);
        }
        return -1;
    }

    static int Hash(std::uint32_t key) { return static_cast<int>(((key >> 4) ^ key) % kSize); }
    static int Step(int h) {
        const int d = h == 0 ? 1 : kSize - h;
        h -= d;
        return h < 0 ? h + kSize : h;
    }

private:
    std::array<std::uint32_t, kSize> FCells;
};

// A string table with identical results for up to 4089 entries, sparse
// enough that a lookup rarely probes twice. It also remembers the last string
// found or added after each prefix, which answers most lookups inside runs of
// one colour with a single load.
class TWideHashTable {
public:
    static constexpr int kBits = 14;
    static constexpr int kSize = 1 << kBits;

    TWideHashTable() { Clear(); }
    void Clear();
    bool Insert(std::uint32_t key, int code) {
        const std::uint32_t entry = (key << 12) | (static_cast<std::uint32_t>(code) & 0xFFFu);
        unsigned h = Hash(key);
        while (FCells[h] != kEmpty)
            h = (h + 1) & (kSize - 1);
        FCells[h] = entry;
        FRecent[key >> 8] = entry;
        return true;
    }
    int Lookup(std::uint32_t key) {
        std::uint32_t& recent = FRecent[key >> 8];
        if ((recent >> 12) == key)
            return static_cast<int>(recent & 0xFFFu);
        for (unsigned h = Hash(key);; h = (h + 1) & (kSize - 1)) {
            const std::uint32_t cell = FCells[h];
            if ((cell >> 12) == key) {
                recent = cell;
                return static_cast<int>(cell & 0xFFFu);
            }
            if (cell == kEmpty)
                return -1;
        }
    }

private:
    static constexpr std::uint32_t kEmpty = 0xFFFFFFFFu;
    static unsigned Hash(std::uint32_t key) { return (key * 0x9E3779B1u) >> (32 - kBits); }

    std::array<std::uint32_t, kSize> FCells;
    std::array<std::uint32_t, 4096> FRecent; // indexed by prefix code
};

// Byte stream that refuses every operation it does not implement.
class TGIFStream {
public:
    virtual ~TGIFStream() = default;
    virtual void Write(const void* data, std::size_t n);
    virtual std::size_t Read(void* data, std::size_t n);
    virtual std::int64_t Seek(std::int64_t offset, int origin);
};

// Buffers bytes into data sub-blocks: a length byte and up to 255 data bytes.
// Finished blocks are passed on several at a time, so an unbuffered target
// is not asked for one write per block.
class TGIFWriter : public TGIFStream {
public:
    explicit TGIFWriter(TStream& target) : FTarget(target) {}
    // Writes what is buffered, ignoring stream errors (it runs while a
    // failure unwinds); call Finish() on the normal path to see them.
    ~TGIFWriter() override;
    TGIFWriter(const TGIFWriter&) = delete;
    TGIFWriter& operator=(const TGIFWriter&) = delete;

    void Write(const void* data, std::size_t n) override;
    void WriteByte(std::uint8_t b) {
        FBuffer[FBlock + FFill++] = b;
        FPending = true;
        if (FFill == 256)
            CloseBlock();
    }
    // Writes the last partial block, if any, and everything buffered.
    void Finish();

private:
    static constexpr std::size_t kBlocks = 32;

    void CloseBlock();
    void Flush();

    TStream& FTarget;
    std::array<std::uint8_t, 256 * kBlocks> FBuffer{};
    std::size_t FBlock = 0; // start of the block being filled
    std::size_t FFill = 1;  // its length byte is at FBlock, data from FBlock + 1
    bool FPending = false;
};

class TGIFEncoder {
public:
    virtual ~TGIFEncoder() = default;
    // Writes the image-data section for width × height indices, row-major,
    // top row first; every index must be below colorCount.
    void Compress(TStream& stream, int bitsPerPixel, int colorCount, const std::uint8_t* pixels,
                  int width, int height);

protected:
    virtual void Output(int code);
    virtual void Clear() = 0;
    virtual void CompressBody() = 0;

    void CheckColor(unsigned value) const;

    int FBitsPerPixel = 0;
    int FColorCount = 0;
    int FInitialBits = 0;
    int FBits = 0;
    int FMaxCode = 0;
    int FClearCode = 0;
    int FEofCode = 0;
    int FFirstFree = 0;
    int FNextCode = 0;
    bool FClearPending = false;
    std::uint32_t FAccumulator = 0;
    int FBitCount = 0;
    std::uint64_t FPixelCount = 0;
    const std::uint8_t* FPixels = nullptr;
    TGIFWriter* FWriter = nullptr;
};

class TLZWEncoder final : public TGIFEncoder {
public:
    // Which string table to use: at 8 bits per pixel no probe chain of the
    // 8009-cell table can fill up (at most 3837 strings on a cycle of 4004
    // cells), so a sparser table gives the same codes faster; below 8 bits
    // the 8009-cell table decides when a full chain forces a clear.
    enum class TTable { Auto, Compact };
    explicit TLZWEncoder(TTable table = TTable::Auto) : FTableChoice(table) {}

protected:
    void Output(int code) override;
    void Clear() override;
    void CompressBody() override;

private:
    struct TStringCache;
    template <typename Table> void Encode(Table& table, TStringCache& cache);

    TTable FTableChoice;
    std::function<void()> FClearTable;
};

// Encodes runs with the strings a decoder builds for itself from a repeated
// pixel (p, pp, ppp, ...), clearing often enough that the code width never
// grows; any GIF decoder reads the result.
class TRLEEncoder : public TGIFEncoder {
protected:
    void Clear() override;
    void CompressBody() override;

private:
    void EncodeRun(int pixel, std::uint64_t length);

    int FCodesSinceClear = 0;
};

} // namespace sorvak
