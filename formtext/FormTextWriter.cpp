#include "formtext/FormTextWriter.h"

#include <array>

#include "base/CodePage.h"

namespace sorvak::formtext {

namespace {

// Strings are broken into lines of this many source bytes (or units).
constexpr std::size_t LineBytes = 64;
// Binary data is written in chunks of this many bytes.
constexpr std::size_t BinaryChunk = 32;

// The two upper-case hexadecimal digits of every byte value.
constexpr auto HexPairs = [] {
    constexpr char Digits[] = "0123456789ABCDEF";
    std::array<char, 512> pairs{};
    for (int b = 0; b < 256; ++b) {
        pairs[2 * b] = Digits[b >> 4];
        pairs[2 * b + 1] = Digits[b & 0x0F];
    }
    return pairs;
}();

// Whether text[index] is the second byte of a double-byte character in code
// page 932, given that text[start] begins a character. Only lead bytes
// decide and a byte outside the lead range ends a character, so the answer is
// the parity of the lead-range bytes just before index: at most index - start
// bytes are looked at, never the string from its beginning.
bool IsShiftJisTrail(std::string_view text, std::size_t start, std::size_t index) {
    std::size_t leads = 0;
    while (leads < index - start &&
           codepage::IsShiftJisLeadByte(static_cast<unsigned char>(text[index - 1 - leads])))
        ++leads;
    return leads % 2 == 1;
}

} // namespace

void TextWriter::PutLong(std::string_view text) {
    while (!text.empty()) {
        if (used_ == sizeof buffer_)
            Flush();
        const std::size_t take = std::min(text.size(), sizeof buffer_ - used_);
        std::memcpy(buffer_ + used_, text.data(), take);
        used_ += take;
        text.remove_prefix(take);
    }
}

void TextWriter::Indent() {
    for (int spaces = 2 * level; spaces > 0;) {
        if (used_ == sizeof buffer_)
            Flush();
        const std::size_t take = std::min<std::size_t>(spaces, sizeof buffer_ - used_);
        std::memset(buffer_ + used_, ' ', take);
        used_ += take;
        spaces -= static_cast<int>(take);
    }
}

void TextWriter::Flush() {
    if (used_ > 0)
        sink_.Write(std::string_view(buffer_, used_));
    used_ = 0;
}

void TextWriter::QuotedString(std::string_view s) {
    if (s.empty()) {
        Put("''");
        return;
    }
    ++level;
    if (s.size() > LineBytes)
        NewLine();
    std::size_t i = 0; // next byte to write
    std::size_t k = 0; // first byte of the current line
    while (i < s.size()) {
        const auto c = static_cast<unsigned char>(s[i]);
        bool lineFull;
        if (c < ' ' || c == '\'') {
            Put('#');
            PutNumber(c);
            ++i;
            lineFull = i - k >= LineBytes;
        } else {
            const std::size_t j = i;
            const std::size_t end = std::min(s.size(), k + LineBytes);
            while (i < end) {
                const auto b = static_cast<unsigned char>(s[i]);
                if (b < ' ' || b == '\'')
                    break;
                ++i;
            }
            lineFull = i - k >= LineBytes;
            // Never split a double-byte character. The line still ends
            // here, one byte short, or the next run would step back again.
            // (k always begins a character: lines break only there.)
            if (lineFull && i < s.size() && IsShiftJisTrail(s, k, i))
                --i;
            if (i > j) {
                Put('\'');
                Put(s.substr(j, i - j));
                Put('\'');
            }
        }
        if (lineFull && i < s.size()) {
            Put(" +");
            NewLine();
            k = i;
        }
    }
    --level;
}

void TextWriter::WideString(std::u16string_view s) {
    if (s.empty()) {
        Put("''");
        return;
    }
    const auto quotable = [](char16_t u) { return u >= ' ' && u <= 127 && u != '\''; };
    ++level;
    if (s.size() > LineBytes)
        NewLine();
    std::size_t i = 0; // next unit to write
    std::size_t k = 0; // first unit of the current line
    while (i < s.size()) {
        if (!quotable(s[i])) {
            Put('#');
            PutNumber(s[i]);
            ++i;
        } else {
            const std::size_t start = i;
            const std::size_t end = std::min(s.size(), k + LineBytes);
            while (i < end && quotable(s[i]))
                ++i;
            char* at = Reserve(i - start + 2);
            *at++ = '\'';
            for (std::size_t n = start; n < i; ++n)
                *at++ = static_cast<char>(s[n]);
            *at = '\'';
        }
        if (i - k >= LineBytes && i < s.size()) {
            Put(" +");
            NewLine();
            k = i;
        }
    }
    --level;
}

void TextWriter::Binary(std::string_view data) {
    Put('{');
    ++level;
    const bool ownLines = data.size() >= BinaryChunk;
    while (!data.empty()) {
        if (ownLines)
            NewLine();
        const std::size_t take = std::min(data.size(), BinaryChunk);
        char* at = Reserve(2 * take);
        for (std::size_t i = 0; i < take; ++i)
            std::memcpy(at + 2 * i, &HexPairs[2 * static_cast<unsigned char>(data[i])], 2);
        data.remove_prefix(take);
    }
    --level;
    Put('}');
}

} // namespace sorvak::formtext
