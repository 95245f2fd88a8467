#include "imaging/GifLzw.h"

#include "base/Exception.h"

#include <algorithm>
#include <cstring>

namespace sorvak {

namespace {

constexpr std::uint32_t kMask[17] = {0x0000, 0x0001, 0x0003, 0x0007, 0x000F, 0x001F,
                                     0x003F, 0x007F, 0x00FF, 0x01FF, 0x03FF, 0x07FF,
                                     0x0FFF, 0x1FFF, 0x3FFF, 0x7FFF, 0xFFFF};

// Largest code the encoder assigns; at 4095 the table is reset instead.
constexpr int kLastCode = 4094;

} // namespace

void THashTable::Clear() {
    std::memset(FCells.data(), 0xFF, sizeof(FCells));
}

bool THashTable::Insert(std::uint32_t key, int code) {
    int h = Hash(key);
    for (int probes = 0; probes < kSize; ++probes) {
        if ((FCells[h] & 0xFFFFF000u) == 0xFFFFF000u) {
            FCells[h] = (key << 12) | (static_cast<std::uint32_t>(code) & 0xFFFu);
            return true;
        }
        h = Step(h);
    }
    return false;
}

void TGIFStream::Write(const void*, std::size_t) {
    throw Exception(SORVAK_TEXT("sorvak", "Invalid stream operation"));
}

std::size_t TGIFStream::Read(void*, std::size_t) {
    throw Exception(SORVAK_TEXT("sorvak", "Invalid stream operation"));
}

std::int64_t TGIFStream::Seek(std::int64_t, int) {
    throw Exception(SORVAK_TEXT("sorvak", "Invalid stream operation"));
}

TGIFWriter::~TGIFWriter() {
    if (FPending)
        CloseBlock();
    if (FBlock > 0) {
        try {
            FTarget.Write(FBuffer.data(), FBlock);
        } catch (...) {
            // Already failing; the first failure is the one reported.
        }
    }
}

void TGIFWriter::Write(const void* data, std::size_t n) {
    const auto* bytes = static_cast<const std::uint8_t*>(data);
    for (std::size_t i = 0; i < n; ++i)
        WriteByte(bytes[i]);
}

void TGIFWriter::CloseBlock() {
    FBuffer[FBlock] = static_cast<std::uint8_t>(FFill - 1);
    FBlock += FFill;
    FFill = 1;
    FPending = false;
    if (FBlock + 256 > FBuffer.size())
        Flush();
}

void TGIFWriter::Flush() {
    const std::size_t size = FBlock;
    FBlock = 0;
    FTarget.WriteBuffer(FBuffer.data(), size);
}

void TGIFWriter::Finish() {
    if (FPending)
        CloseBlock();
    if (FBlock > 0)
        Flush();
}

void TGIFEncoder::Compress(TStream& stream, int bitsPerPixel, int colorCount,
                           const std::uint8_t* pixels, int width, int height) {
    if (bitsPerPixel < 0 || bitsPerPixel > 8)
        throw Exception(SORVAK_TEXT("sorvak", "Invalid bits per pixel"));
    FBitsPerPixel = std::max(bitsPerPixel, 2);
    // Values from 2^bits up are the control codes, never pixels.
    FColorCount = std::clamp(colorCount, 0, 1 << FBitsPerPixel);
    FPixels = pixels;

    const std::uint8_t minimumCodeSize = static_cast<std::uint8_t>(FBitsPerPixel);
    stream.WriteBuffer(&minimumCodeSize, 1);

    FInitialBits = FBitsPerPixel + 1;
    FBits = FInitialBits;
    FMaxCode = (1 << FBits) - 1;
    FClearCode = 1 << FBitsPerPixel;
    FEofCode = FClearCode + 1;
    FFirstFree = FClearCode + 2;
    FNextCode = FFirstFree;
    FClearPending = false;
    FAccumulator = 0;
    FBitCount = 0;
    FPixelCount = width > 0 && height > 0
                      ? static_cast<std::uint64_t>(width) * static_cast<std::uint64_t>(height)
                      : 0;

    {
        TGIFWriter writer(stream);
        FWriter = &writer;
        struct Detach {
            TGIFWriter*& w;
            ~Detach() { w = nullptr; }
        } detach{FWriter};
        if (FPixels != nullptr && FPixelCount > 0)
            CompressBody();
        Output(FEofCode);
        writer.Finish();
    }

    const std::uint8_t terminator = 0;
    stream.WriteBuffer(&terminator, 1);
}

void TGIFEncoder::Output(int code) {
    const auto value = static_cast<std::uint32_t>(code);
    if (FBitCount == 0)
        FAccumulator = value;
    else
        FAccumulator = (value << FBitCount) | (FAccumulator & kMask[FBitCount]);
    FBitCount += FBits;
    while (FBitCount >= 8) {
        FWriter->WriteByte(static_cast<std::uint8_t>(FAccumulator));
        FAccumulator >>= 8;
        FBitCount -= 8;
    }
    if (code == FEofCode) {
        // The unused high bits of the last byte stay 0.
        while (FBitCount > 0) {
            FWriter->WriteByte(static_cast<std::uint8_t>(FAccumulator));
            FAccumulator >>= 8;
            FBitCount -= 8;
        }
        FBitCount = 0;
    }
}

void TGIFEncoder::CheckColor(unsigned value) const {
    if (value >= static_cast<unsigned>(FColorCount))
        throw Exception(SORVAK_TEXT("sorvak", "Color not in color table"));
}

void TLZWEncoder::Output(int code) {
    TGIFEncoder::Output(code);
    if (FClearPending) {
        FBits = FInitialBits;
        FMaxCode = (1 << FBits) - 1;
        FClearPending = false;
    } else if (FNextCode > FMaxCode) {
        ++FBits;
        // 4096 can never be exceeded, so the width stops at 12.
        FMaxCode = FBits == 12 ? 4096 : (1 << FBits) - 1;
    }
}

void TLZWEncoder::Clear() {
    FClearPending = true;
    Output(FClearCode);
    FClearTable();
    FNextCode = FFirstFree;
}

void TWideHashTable::Clear() {
    std::memset(FCells.data(), 0xFF, sizeof(FCells));
    std::memset(FRecent.data(), 0xFF, sizeof(FRecent));
}

// Remembers, per prefix code, the code reached after the next two and the
// next four pixels the last time that way was taken. Codes keep their strings
// until the table is cleared, so a remembered way stays true until then, and
// inside flat areas most pixels are consumed two or four at a time instead of
// one dependent lookup each. Every pixel consumed this way was checked when
// its string entered the table.
struct TLZWEncoder::TStringCache {
    std::array<std::uint32_t, 4096> Pair; // (pixel pair shl 12) or code
    std::array<std::uint64_t, 4096> Quad; // (four pixels shl 12) or code
    void Clear() {
        std::memset(Pair.data(), 0xFF, sizeof(Pair));
        std::memset(Quad.data(), 0xFF, sizeof(Quad));
    }
};

void TLZWEncoder::CompressBody() {
    struct Release {
        std::function<void()>& f;
        ~Release() { f = nullptr; }
    } release{FClearTable};
    auto cache = std::make_unique<TStringCache>();
    if (FTableChoice == TTable::Auto && FBitsPerPixel == 8) {
        auto table = std::make_unique<TWideHashTable>();
        FClearTable = [&] {
            table->Clear();
            cache->Clear();
        };
        Encode(*table, *cache);
    } else {
        auto table = std::make_unique<THashTable>();
        FClearTable = [&] {
            table->Clear();
            cache->Clear();
        };
        Encode(*table, *cache);
    }
}

template <typename Table> void TLZWEncoder::Encode(Table& table, TStringCache& cache) {
    Clear();
    const std::uint8_t* in = FPixels;
    const std::uint8_t* const end = FPixels + FPixelCount;
    unsigned prefix = *in++;
    CheckColor(prefix);
    // With 256 colours every byte is a valid index.
    const unsigned colorCount = FColorCount >= 256 ? 256 : static_cast<unsigned>(FColorCount);
    // The last found single step and the last pair step, to fill the cache.
    int singleFrom = -1, pairFrom = -1;
    unsigned singlePixel = 0, pairPixels = 0;
    while (in != end) {
        if (end - in >= 4) {
            const std::uint32_t quad =
                static_cast<std::uint32_t>(in[0]) | static_cast<std::uint32_t>(in[1]) << 8 |
                static_cast<std::uint32_t>(in[2]) << 16 | static_cast<std::uint32_t>(in[3]) << 24;
            const std::uint64_t entry = cache.Quad[prefix];
            if ((entry >> 12) == quad) {
                prefix = static_cast<unsigned>(entry & 0xFFF);
                in += 4;
                singleFrom = pairFrom = -1;
                continue;
            }
        }
        if (end - in >= 2) {
            const std::uint32_t pair = in[0] | static_cast<std::uint32_t>(in[1]) << 8;
            const std::uint32_t entry = cache.Pair[prefix];
            if ((entry >> 12) == pair) {
                const std::uint32_t code = entry & 0xFFF;
                if (pairFrom >= 0)
                    cache.Quad[pairFrom] =
                        static_cast<std::uint64_t>(pairPixels | pair << 16) << 12 | code;
                pairFrom = static_cast<int>(prefix);
                pairPixels = pair;
                prefix = code;
                in += 2;
                singleFrom = -1;
                continue;
            }
        }
        pairFrom = -1;
        const unsigned pixel = *in++;
        if (pixel >= colorCount)
            CheckColor(pixel);
        const std::uint32_t key = (prefix << 8) | pixel;
        const int code = table.Lookup(key);
        if (code >= 0) {
            if (singleFrom >= 0)
                cache.Pair[singleFrom] =
                    (singlePixel | pixel << 8) << 12 | static_cast<std::uint32_t>(code);
            singleFrom = static_cast<int>(prefix);
            singlePixel = pixel;
            prefix = static_cast<unsigned>(code);
            continue;
        }
        singleFrom = -1;
        Output(static_cast<int>(prefix));
        prefix = pixel;
        // A probe chain without a free cell counts as a full table.
        if (FNextCode > kLastCode || !table.Insert(key, FNextCode))
            Clear();
        else
            ++FNextCode;
    }
    Output(static_cast<int>(prefix));
}

void TRLEEncoder::Clear() {
    Output(FClearCode);
    FCodesSinceClear = 0;
}

void TRLEEncoder::CompressBody() {
    Clear();
    const std::uint8_t* in = FPixels;
    const std::uint8_t* const end = FPixels + FPixelCount;
    while (in != end) {
        const unsigned pixel = *in;
        CheckColor(pixel);
        const std::uint8_t* run = in + 1;
        while (run != end && *run == pixel)
            ++run;
        EncodeRun(static_cast<int>(pixel), static_cast<std::uint64_t>(run - in));
        in = run;
    }
}

void TRLEEncoder::EncodeRun(int pixel, std::uint64_t length) {
    // A decoder adds one entry per code after a clear; stopping at clear - 2
    // codes keeps its next code below 2^width, so the width stays fixed.
    const int limit = FClearCode - 2;
    auto emit = [this](int code) {
        Output(code);
        ++FCodesSinceClear;
    };
    if (FCodesSinceClear > 0)
        Clear();
    // known: length of the longest run string p^known the decoder holds;
    // code firstFree + k - 2 stands for p^k while the run keeps growing.
    std::uint64_t known = 0;
    bool growing = true;
    while (length > 0) {
        if (FCodesSinceClear >= limit) {
            Clear();
            known = 0;
            growing = true;
        }
        if (known == 0) {
            emit(pixel);
            known = 1;
            length -= 1;
        } else if (growing && length >= known + 1) {
            // The code the decoder is about to define: previous string + p.
            emit(FFirstFree + static_cast<int>(known) - 1);
            ++known;
            length -= known;
        } else {
            // Tail: reuse the longest known string that fits.
            growing = false;
            const std::uint64_t m = std::min(known, length);
            emit(m == 1 ? pixel : FFirstFree + static_cast<int>(m) - 2);
            length -= m;
        }
    }
}

} // namespace sorvak
