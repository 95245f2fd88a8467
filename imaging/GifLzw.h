#pragma once
// GIF image-data encoders: the variable-length-code LZW of GIF89a and a
// run-length variant, both writing the minimum code size byte, data
// sub-blocks of at most 255 bytes and the block terminator.
#include <array>
#include <cstddef>
#include <cstdint>
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

// Byte stream that refuses every operation it does not implement.
class TGIFStream {
public:
    virtual ~TGIFStream() = default;
    virtual void Write(const void* data, std::size_t n);
    virtual std::size_t Read(void* data, std::size_t n);
    virtual std::int64_t Seek(std::int64_t offset, int origin);
};

// Buffers bytes into data sub-blocks: a length byte and up to 255 data bytes.
class TGIFWriter : public TGIFStream {
public:
    explicit TGIFWriter(TStream& target) : target_(target) {}
    // Writes a pending partial block, ignoring stream errors (it runs while a
    // failure unwinds); call Finish() on the normal path to see them.
    ~TGIFWriter() override;
    TGIFWriter(const TGIFWriter&) = delete;
    TGIFWriter& operator=(const TGIFWriter&) = delete;

    void Write(const void* data, std::size_t n) override;
    void WriteByte(std::uint8_t b) {
        buffer_[fill_++] = b;
        pending_ = true;
        if (fill_ == 256)
            WriteBlock();
    }
    // Writes the last partial block, if any.
    void Finish();

private:
    void WriteBlock();

    TStream& target_;
    std::array<std::uint8_t, 256> buffer_{};
    int fill_ = 1;
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

class TLZWEncoder : public TGIFEncoder {
protected:
    void Output(int code) override;
    void Clear() override;
    void CompressBody() override;

private:
    std::unique_ptr<THashTable> table_;
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
