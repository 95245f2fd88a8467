#include "imaging/GifLzw.h"

#include "base/Exception.h"
#include "imaging/Stream.h"
#include "tests/imaging/GifDecode.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <future>
#include <map>
#include <random>
#include <set>

using namespace sorvak;
using Bytes = std::vector<std::uint8_t>;

namespace {

Bytes Encode(TGIFEncoder& encoder, int bits, int colors, const Bytes& pixels, int width,
             int height) {
    TMemoryStream stream;
    encoder.Compress(stream, bits, colors, pixels.empty() ? nullptr : pixels.data(), width, height);
    return stream.Bytes();
}

Bytes EncodeLzw(int bits, int colors, const Bytes& pixels, int width, int height) {
    TLZWEncoder encoder;
    return Encode(encoder, bits, colors, pixels, width, height);
}

// A minimal GIF around image data, so giflib can decode it.
Bytes WrapImageData(const Bytes& data, int bits, int width, int height) {
    const int b = std::max(bits, 1);
    Bytes gif = {'G', 'I', 'F', '8', '7', 'a'};
    auto put16 = [&](int v) {
        gif.push_back(static_cast<std::uint8_t>(v));
        gif.push_back(static_cast<std::uint8_t>(v >> 8));
    };
    put16(width);
    put16(height);
    gif.insert(gif.end(), {0, 0, 0, 0x2C});
    put16(0);
    put16(0);
    put16(width);
    put16(height);
    gif.push_back(static_cast<std::uint8_t>(0x80 | (b - 1)));
    for (int i = 0; i < (1 << b); ++i)
        gif.insert(gif.end(), {static_cast<std::uint8_t>(i), 0, 0});
    gif.insert(gif.end(), data.begin(), data.end());
    gif.push_back(0x3B);
    return gif;
}

struct Code {
    int value;
    int width;
};

// Reads the codes back the way GIF decoders track the width: after n codes
// since a clear, the next code is read one bit wider once firstFree + n
// exceeds 2^width. Checks the sub-block framing on the way.
std::vector<Code> ReadCodes(const Bytes& data) {
    const int minimum = data.at(0);
    Bytes joined;
    std::size_t pos = 1;
    while (data.at(pos) != 0) {
        const std::size_t n = data[pos];
        joined.insert(joined.end(), data.begin() + pos + 1, data.begin() + pos + 1 + n);
        pos += n + 1;
    }
    EXPECT_EQ(pos + 1, data.size()) << "bytes after the terminator";
    const int clear = 1 << minimum;
    int width = minimum + 1;
    int running = clear + 2;
    std::vector<Code> codes;
    std::size_t bit = 0;
    while (bit + width <= joined.size() * 8) {
        int value = 0;
        for (int i = 0; i < width; ++i, ++bit)
            value |= ((joined[bit / 8] >> (bit % 8)) & 1) << i;
        codes.push_back({value, width});
        if (value == clear + 1)
            break;
        if (value == clear) {
            width = minimum + 1;
            running = clear + 2;
        } else if (running < 4097 && ++running > (1 << width) && width < 12) {
            ++width;
        }
    }
    return codes;
}

} // namespace

TEST(GifLzw, ExactBytesOfSmallFrames) {
    struct Case {
        const char* name;
        int bits;
        int colors;
        Bytes pixels;
        int width;
        int height;
        Bytes expected;
    };
    const Case cases[] = {
        {"one black pixel, 2 colours", 1, 2, {0}, 1, 1, {0x02, 0x02, 0x44, 0x01, 0x00}},
        {"six black pixels, width grows before the end code",
         1,
         2,
         Bytes(6, 0),
         6,
         1,
         {0x02, 0x02, 0x84, 0x5F, 0x00}},
        {"one white pixel, 256 colours",
         8,
         256,
         {215},
         1,
         1,
         {0x08, 0x04, 0x00, 0xAF, 0x05, 0x04, 0x00}},
        {"no pixels: end code alone", 8, 256, {}, 0, 0, {0x08, 0x02, 0x01, 0x01, 0x00}},
        {"bits 0 is raised to 2", 0, 1, {0}, 1, 1, {0x02, 0x02, 0x44, 0x01, 0x00}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(EncodeLzw(c.bits, c.colors, c.pixels, c.width, c.height), c.expected) << c.name;
}

TEST(GifLzw, CodeValuesOfTheMinimumCodeSizes) {
    // 2 colours: clear 4, end 5, width 3; 256 colours: clear 256, end 257, width 9.
    auto codes = ReadCodes(EncodeLzw(1, 2, Bytes{1, 0, 1}, 3, 1));
    ASSERT_EQ(codes.size(), 5u);
    EXPECT_EQ(codes.front().value, 4);
    EXPECT_EQ(codes.front().width, 3);
    EXPECT_EQ(codes.back().value, 5);

    codes = ReadCodes(EncodeLzw(8, 256, Bytes{7, 7, 7}, 3, 1));
    ASSERT_EQ(codes.size(), 4u);
    EXPECT_EQ(codes[0].value, 256);
    EXPECT_EQ(codes[1].value, 7);
    EXPECT_EQ(codes[2].value, 258); // "7 7", the first free code
    EXPECT_EQ(codes[3].value, 257);
    EXPECT_EQ(codes[3].width, 9);
}

TEST(GifLzw, ColourNotBelowTheCountFails) {
    struct Case {
        int bits;
        int colors;
        Bytes pixels;
    };
    const Case cases[] = {
        {8, 200, {199, 200}},   // second pixel
        {8, 200, {200}},        // first pixel
        {4, 10, {0, 1, 2, 10}}, // last pixel
        {2, 256, {0, 4}},       // above 2^bits: would be the clear code
        {8, 0, {0}},            // no colours at all
        {8, -5, {0}},           // a negative count is no count
    };
    for (const Case& c : cases) {
        try {
            EncodeLzw(c.bits, c.colors, c.pixels, static_cast<int>(c.pixels.size()), 1);
            ADD_FAILURE() << "no failure for " << int(c.pixels.back());
        } catch (const Exception& e) {
            EXPECT_STREQ(e.what(), "Color not in color table");
        }
    }
}

TEST(GifLzw, LongInputGrowsTheWidthAndResetsTheTable) {
    std::mt19937 random(7);
    const int width = 301, height = 211;
    Bytes pixels(width * height);
    for (auto& p : pixels)
        p = static_cast<std::uint8_t>(random() % 256);
    const Bytes data = EncodeLzw(8, 256, pixels, width, height);

    const std::vector<Code> codes = ReadCodes(data);
    std::vector<std::size_t> clears;
    for (std::size_t i = 0; i < codes.size(); ++i)
        if (codes[i].value == 256)
            clears.push_back(i);
    ASSERT_GE(clears.size(), 3u);
    // Codes 258 to 4094 are assigned (3837 strings), then the next unmatched
    // string is emitted and the clear follows, both at 12 bits.
    EXPECT_EQ(clears[1] - clears[0] - 1, 3838u);
    EXPECT_EQ(codes[clears[1] - 1].width, 12);
    EXPECT_EQ(codes[clears[1]].width, 12);
    EXPECT_EQ(codes[clears[1] + 1].width, 9);
    int widest = 0;
    for (const Code& c : codes)
        widest = std::max(widest, c.width);
    EXPECT_EQ(widest, 12);

    const auto decoded = test::DecodeGif(WrapImageData(data, 8, width, height));
    EXPECT_EQ(decoded.pixels, pixels);
}

TEST(GifLzw, SubBlocksHoldAtMost255BytesAndEndWithTheTerminator) {
    // Every block but the last is full; an empty block would end the walk
    // early and leave bytes after it.
    for (int count = 1; count < 3000; count += 97) {
        Bytes pixels(count);
        std::mt19937 random(count);
        for (auto& p : pixels)
            p = static_cast<std::uint8_t>(random() % 16);
        const Bytes data = EncodeLzw(4, 16, pixels, count, 1);
        std::size_t pos = 1;
        while (data[pos] != 0) {
            const std::size_t next = pos + data[pos] + 1;
            if (data[next] != 0) {
                ASSERT_EQ(data[pos], 255);
            }
            pos = next;
        }
        ASSERT_EQ(pos + 1, data.size());
        EXPECT_EQ(test::DecodeGif(WrapImageData(data, 4, count, 1)).pixels, pixels) << count;
    }
}

TEST(GifLzw, PackedLengthOfWhole255ByteBlocksEndsAtTheTerminator) {
    // Inputs whose packed data fill exactly one and two blocks: the output is
    // the code size, the full blocks and the terminator, with no empty block.
    for (std::size_t blocks : {1u, 2u}) {
        bool found = false;
        for (int count = 100; count < 1200 && !found; ++count) {
            Bytes pixels(count);
            std::mt19937 random(1);
            for (auto& p : pixels)
                p = static_cast<std::uint8_t>(random() % 256);
            const Bytes data = EncodeLzw(8, 256, pixels, count, 1);
            if (data.size() != 1 + 256 * blocks + 1)
                continue;
            found = true;
            for (std::size_t b = 0; b < blocks; ++b)
                EXPECT_EQ(data[1 + 256 * b], 255);
            EXPECT_EQ(data.back(), 0);
        }
        EXPECT_TRUE(found) << blocks;
    }
}

TEST(GifLzwHashTable, FullProbeCycleEndsInsteadOfLooping) {
    // The secondary step doubles the cell number mod 8009, so a chain only
    // ever visits one cycle of cells.
    std::set<int> cycle;
    for (int h = 1; !cycle.count(h); h = THashTable::Step(h))
        cycle.insert(h);
    ASSERT_LT(cycle.size(), static_cast<std::size_t>(THashTable::kSize));

    THashTable table;
    std::uint32_t key = 0;
    std::vector<std::uint32_t> stored;
    auto nextKeyOnCycle = [&] {
        while (!cycle.count(THashTable::Hash(key)))
            ++key;
        return key++;
    };
    while (true) {
        const std::uint32_t k = nextKeyOnCycle();
        if (!table.Insert(k, static_cast<int>(stored.size() & 0xFFF)))
            break;
        stored.push_back(k);
        ASSERT_LE(stored.size(), cycle.size());
    }
    EXPECT_EQ(stored.size(), cycle.size());
    EXPECT_EQ(table.Lookup(nextKeyOnCycle()), -1);
    for (std::size_t i = 0; i < stored.size(); i += 101)
        EXPECT_EQ(table.Lookup(stored[i]), static_cast<int>(i & 0xFFF));
}

TEST(GifLzw, InputThatFillsOneProbeCycleEndsAndDecodes) {
    // Build 2-bit pixels that make the encoder insert more strings on one
    // probe cycle than it has cells (cells 0 and the cycle of 1 together),
    // simulating the string table as a plain map.
    std::set<int> cycle;
    for (int h = 1; !cycle.count(h); h = THashTable::Step(h))
        cycle.insert(h);
    if (cycle.count(THashTable::Step(0)))
        cycle.insert(0);
    std::map<std::uint32_t, int> strings;
    auto freshOnCycle = [&](int prefix) {
        std::vector<int> out;
        for (int p = 0; p < 4; ++p) {
            const std::uint32_t key = (static_cast<std::uint32_t>(prefix) << 8) | p;
            if (!strings.count(key) && cycle.count(THashTable::Hash(key)))
                out.push_back(p);
        }
        return out;
    };
    Bytes pixels{0};
    int prefix = 0, next = 6;
    std::size_t onCycle = 0;
    while (next < 4095) {
        std::vector<int> fresh = freshOnCycle(prefix);
        if (!fresh.empty()) {
            const int p = *std::max_element(fresh.begin(), fresh.end(), [&](int a, int b) {
                return freshOnCycle(a).size() < freshOnCycle(b).size();
            });
            strings[(static_cast<std::uint32_t>(prefix) << 8) | p] = next++;
            ++onCycle;
            prefix = p;
            pixels.push_back(static_cast<std::uint8_t>(p));
            continue;
        }
        int best = -1;
        std::size_t bestScore = 0;
        for (int p = 0; p < 4; ++p) {
            auto it = strings.find((static_cast<std::uint32_t>(prefix) << 8) | p);
            if (it != strings.end() && (best < 0 || freshOnCycle(it->second).size() > bestScore)) {
                best = p;
                bestScore = freshOnCycle(it->second).size();
            }
        }
        if (best >= 0) {
            prefix = strings[(static_cast<std::uint32_t>(prefix) << 8) | best];
        } else {
            best = 0;
            strings[static_cast<std::uint32_t>(prefix) << 8] = next++;
            prefix = 0;
        }
        pixels.push_back(static_cast<std::uint8_t>(best));
    }
    ASSERT_GT(onCycle, cycle.size()) << "the fixture no longer overfills a cycle";

    const int width = 1000;
    const int height = static_cast<int>((pixels.size() + width - 1) / width);
    pixels.resize(static_cast<std::size_t>(width) * height);
    auto job =
        std::async(std::launch::async, [&] { return EncodeLzw(2, 4, pixels, width, height); });
    if (job.wait_for(std::chrono::seconds(30)) != std::future_status::ready) {
        std::fputs("encoder did not finish\n", stderr);
        std::_Exit(1);
    }
    const Bytes data = job.get();
    // The full chain made the encoder clear before code 4094 was assigned
    // (4089 strings, 4090 codes between clears at 2 bits).
    const std::vector<Code> codes = ReadCodes(data);
    std::vector<std::size_t> clears;
    for (std::size_t i = 0; i < codes.size(); ++i)
        if (codes[i].value == 4)
            clears.push_back(i);
    ASSERT_GE(clears.size(), 2u);
    EXPECT_LT(clears[1] - clears[0] - 1, 4090u);
    EXPECT_EQ(test::DecodeGif(WrapImageData(data, 2, width, height)).pixels, pixels);
}

TEST(GifRle, DecodesOnEveryDepth) {
    std::mt19937 random(11);
    for (int bits = 1; bits <= 8; ++bits) {
        const int colors = 1 << bits;
        const int width = 97, height = 61;
        Bytes pixels(width * height);
        // Runs of random length, some long enough to need several clears.
        for (std::size_t i = 0; i < pixels.size();) {
            const std::size_t run = random() % 4 == 0 ? random() % 2000 : random() % 5 + 1;
            const auto value = static_cast<std::uint8_t>(random() % colors);
            for (std::size_t j = 0; j < run && i < pixels.size(); ++j, ++i)
                pixels[i] = value;
        }
        TRLEEncoder encoder;
        const Bytes data = Encode(encoder, bits, colors, pixels, width, height);
        for (const Code& c : ReadCodes(data))
            ASSERT_EQ(c.width, std::max(bits, 2) + 1) << "bits " << bits;
        EXPECT_EQ(test::DecodeGif(WrapImageData(data, bits, width, height)).pixels, pixels)
            << "bits " << bits;
    }
}

TEST(GifLzw, ShortWriteIsReported) {
    class FullStream : public TStream {
    public:
        std::size_t Write(const void*, std::size_t count) override {
            return count > room ? room : count;
        }
        std::size_t room = 0;
    };
    for (std::size_t room : {0u, 100u}) {
        FullStream stream;
        stream.room = room;
        Bytes pixels(5000);
        std::mt19937 random(3);
        for (auto& p : pixels)
            p = static_cast<std::uint8_t>(random() % 256);
        TLZWEncoder encoder;
        try {
            encoder.Compress(stream, 8, 256, pixels.data(), 100, 50);
            ADD_FAILURE() << "no failure with room " << room;
        } catch (const Exception& e) {
            EXPECT_STREQ(e.what(), "ストリームへの書き込みエラー");
        }
    }
}

TEST(GifLzw, SeededTrialsWithRunsDecodeAndAgreeAcrossTables) {
    // Pictures of runs, repeated rows and noise: the lookups that skip two or
    // four pixels at a time must give the same codes as single steps, and the
    // sparse table the same as the 8009-cell one.
    std::mt19937 random(2024);
    for (int trial = 0; trial < 40; ++trial) {
        const int bits = std::array{1, 2, 4, 8}[trial % 4];
        const int colors = trial % 8 < 4 ? 1 << bits : std::max(2, (1 << bits) - 3);
        const int width = 1 + static_cast<int>(random() % 300);
        const int height = 1 + static_cast<int>(random() % 200);
        Bytes pixels(static_cast<std::size_t>(width) * height);
        for (std::size_t i = 0; i < pixels.size();) {
            const unsigned kind = random() % 4;
            const std::size_t run = kind == 0 ? random() % 5000 : random() % 40 + 1;
            const auto value = static_cast<std::uint8_t>(random() % colors);
            for (std::size_t j = 0; j < run && i < pixels.size(); ++j, ++i)
                pixels[i] = kind == 3 ? static_cast<std::uint8_t>(random() % colors)
                            : kind == 2 && i >= static_cast<std::size_t>(width) ? pixels[i - width]
                                                                                : value;
        }
        const Bytes data = EncodeLzw(bits, colors, pixels, width, height);
        ASSERT_EQ(test::DecodeGif(WrapImageData(data, bits, width, height)).pixels, pixels)
            << "trial " << trial;
        if (bits == 8) {
            TLZWEncoder compact(TLZWEncoder::TTable::Compact);
            EXPECT_EQ(Encode(compact, bits, colors, pixels, width, height), data)
                << "trial " << trial;
        }
    }
}
