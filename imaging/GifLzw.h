#pragma once
// GIF image-data encoders: the variable-length-code LZW of GIF89a and a
// run-length variant, both writing the minimum code size byte, data
// sub-blocks of at most 255 bytes and the block terminator.
#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>

#include "Stream.h"

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
    // The code stored under key, or -1.
    int Lookup(std::uint32_t key) const {
        const std::uint32_t tag = key << 12;
        int h = Hash(key);
        for (int probes = 0; probes < kSize; ++probes) {
            const std::uint32_t cell = cells_[h];
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
    std::array<std::uint32_t, kSize> cells_;
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
        while (cells_[h] != kEmpty)
            h = (h + 1) & (kSize - 1);
        cells_[h] = entry;
        recent_[key >> 8] = entry;
        return true;
    }
    int Lookup(std::uint32_t key) {
        std::uint32_t& recent = recent_[key >> 8];
        if ((recent >> 12) == key)
            return static_cast<int>(recent & 0xFFFu);
        for (unsigned h = Hash(key);; h = (h + 1) & (kSize - 1)) {
            const std::uint32_t cell = cells_[h];
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

    std::array<std::uint32_t, kSize> cells_;
    std::array<std::uint32_t, 4096> recent_; // indexed by prefix code
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
    explicit TGIFWriter(TStream& target) : target_(target) {}
    // Writes what is buffered, ignoring stream errors (it runs while a
    // failure unwinds); call Finish() on the normal path to see them.
    ~TGIFWriter() override;
    TGIFWriter(const TGIFWriter&) = delete;
    TGIFWriter& operator=(const TGIFWriter&) = delete;

    void Write(const void* data, std::size_t n) override;
    void WriteByte(std::uint8_t b) {
        buffer_[block_ + fill_++] = b;
        pending_ = true;
        if (fill_ == 256)
            CloseBlock();
    }
    // Writes the last partial block, if any, and everything buffered.
    void Finish();

private:
    static constexpr std::size_t kBlocks = 32;

    void CloseBlock();
    void Flush();

    TStream& target_;
    std::array<std::uint8_t, 256 * kBlocks> buffer_{};
    std::size_t block_ = 0; // start of the block being filled
    std::size_t fill_ = 1;  // its length byte is at block_, data from block_ + 1
    bool pending_ = false;
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

    int bitsPerPixel_ = 0;
    int colorCount_ = 0;
    int initialBits_ = 0;
    int bits_ = 0;
    int maxCode_ = 0;
    int clearCode_ = 0;
    int eofCode_ = 0;
    int firstFree_ = 0;
    int nextCode_ = 0;
    bool clearPending_ = false;
    std::uint32_t accumulator_ = 0;
    int bitCount_ = 0;
    std::uint64_t pixelCount_ = 0;
    const std::uint8_t* pixels_ = nullptr;
    TGIFWriter* writer_ = nullptr;
};

class TLZWEncoder final : public TGIFEncoder {
public:
    // Which string table to use: at 8 bits per pixel no probe chain of the
    // 8009-cell table can fill up (at most 3837 strings on a cycle of 4004
    // cells), so a sparser table gives the same codes faster; below 8 bits
    // the 8009-cell table decides when a full chain forces a clear.
    enum class TTable { Auto, Compact };
    explicit TLZWEncoder(TTable table = TTable::Auto) : tableChoice_(table) {}

protected:
    void Output(int code) override;
    void Clear() override;
    void CompressBody() override;

private:
    struct TStringCache;
    template <typename Table> void Encode(Table& table, TStringCache& cache);

    TTable tableChoice_;
    std::function<void()> clearTable_;
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

    int codesSinceClear_ = 0;
};

} // namespace sorvak
