#include "FormText.h"

#include <array>
#include <charconv>
#include <cstdint>
#include <cstring>

#include "CodePage.h"
#include "FormFloat.h"

namespace sorvak {

using namespace formtext;

void StringFormTextSink::Write(std::string_view block) {
    if (limit_ == std::string::npos) {
        target_.append(block);
        return;
    }
    const std::size_t room = limit_ > kept_ ? limit_ - kept_ : 0;
    const std::size_t take = block.size() < room ? block.size() : room;
    target_.append(block.data(), take);
    kept_ += take;
}

namespace {

// Value types of the component stream.
enum ValueType : unsigned {
    vaNull = 0,
    vaList = 1,
    vaInt8 = 2,
    vaInt16 = 3,
    vaInt32 = 4,
    vaExtended = 5,
    vaString = 6,
    vaIdent = 7,
    vaFalse = 8,
    vaTrue = 9,
    vaBinary = 10,
    vaSet = 11,
    vaLString = 12,
    vaNil = 13,
    vaCollection = 14,
    vaSingle = 15,
    vaCurrency = 16,
    vaDate = 17,
    vaWString = 18,
    vaInt64 = 19,
    vaUTF8String = 20,
};

// Component prefix flags.
constexpr unsigned ffInherited = 1;
constexpr unsigned ffChildPos = 2;
constexpr unsigned ffInline = 4;

// Strings are broken into lines of this many source bytes (or units).
constexpr std::size_t LineBytes = 64;
// Binary data is written in chunks of this many bytes.
constexpr std::size_t BinaryChunk = 32;

[[noreturn]] void Fail(const char* message) {
    throw EFormReadError(message);
}

// Bounds-checked reading over the input; running out is the stream's read error.
class Reader {
public:
    Reader(std::string_view input, std::size_t& position) : in_(input), pos_(position) {
        if (pos_ > in_.size())
            pos_ = in_.size();
    }

    unsigned char Byte() {
        if (pos_ >= in_.size())
            Fail(SReadError);
        return static_cast<unsigned char>(in_[pos_++]);
    }

    unsigned char Peek() const {
        if (pos_ >= in_.size())
            Fail(SReadError);
        return static_cast<unsigned char>(in_[pos_]);
    }

    // Checks the length against what is left before anything is taken, so a
    // huge length field is an error, never an allocation.
    std::string_view Bytes(std::uint64_t count) {
        if (count > in_.size() - pos_)
            Fail(SReadError);
        const std::string_view bytes = in_.substr(pos_, static_cast<std::size_t>(count));
        pos_ += static_cast<std::size_t>(count);
        return bytes;
    }

    std::uint64_t Unsigned(int size) {
        const std::string_view bytes = Bytes(size);
        std::uint64_t value = 0;
        for (int i = size - 1; i >= 0; --i)
            value = (value << 8) | static_cast<unsigned char>(bytes[i]);
        return value;
    }

    std::int64_t Signed(int size) {
        const std::uint64_t value = Unsigned(size);
        const int unused = 64 - 8 * size;
        // Sign-extend through the unsigned type, avoiding signed overflow.
        const std::uint64_t shifted = value << unused;
        std::int64_t result;
        std::memcpy(&result, &shifted, sizeof result);
        return unused == 0 ? result : result >> unused;
    }

    std::string_view ShortString() { return Bytes(Byte()); }

private:
    std::string_view in_;
    std::size_t& pos_;
};

// Buffers the text in blocks of 4096 bytes and tracks the nesting level.
class Writer {
public:
    explicit Writer(FormTextSink& sink) : sink_(sink) {}

    int level = 0;

    void Put(char c) {
        if (used_ == sizeof buffer_)
            Flush();
        buffer_[used_++] = c;
    }

    void Put(std::string_view text) {
        if (text.size() <= sizeof buffer_ - used_) {
            std::memcpy(buffer_ + used_, text.data(), text.size());
            used_ += text.size();
            return;
        }
        while (!text.empty()) {
            if (used_ == sizeof buffer_)
                Flush();
            const std::size_t take = std::min(text.size(), sizeof buffer_ - used_);
            std::memcpy(buffer_ + used_, text.data(), take);
            used_ += take;
            text.remove_prefix(take);
        }
    }

    void PutNumber(std::int64_t value) {
        char text[24];
        const auto result = std::to_chars(text, text + sizeof text, value);
        Put(std::string_view(text, result.ptr - text));
    }

    void Indent() {
        for (int spaces = 2 * level; spaces > 0;) {
            if (used_ == sizeof buffer_)
                Flush();
            const std::size_t take = std::min<std::size_t>(spaces, sizeof buffer_ - used_);
            std::memset(buffer_ + used_, ' ', take);
            used_ += take;
            spaces -= static_cast<int>(take);
        }
    }

    void NewLine() {
        Put("\r\n");
        Indent();
    }

    // Room for `count` bytes in one piece; count must not exceed the buffer.
    char* Reserve(std::size_t count) {
        if (sizeof buffer_ - used_ < count)
            Flush();
        char* at = buffer_ + used_;
        used_ += count;
        return at;
    }

    void Flush() {
        if (used_ > 0)
            sink_.Write(std::string_view(buffer_, used_));
        used_ = 0;
    }

private:
    FormTextSink& sink_;
    char buffer_[4096];
    std::size_t used_ = 0;
};

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

std::string FormatMessage(const char* pattern, std::initializer_list<std::string_view> args) {
    std::string out;
    auto arg = args.begin();
    for (const char* p = pattern; *p; ++p) {
        if (p[0] == '%' && p[1] == 's' && arg != args.end()) {
            out.append(*arg++);
            ++p;
        } else {
            out.push_back(*p);
        }
    }
    return out;
}

class Converter {
public:
    Converter(std::string_view input, std::size_t& position, FormTextSink& sink)
        : in_(input, position), out_(sink) {}

    void Run() {
        if (in_.Bytes(4) != "TPF0")
            Fail(SInvalidImage);
        Component();
        out_.Flush();
    }

private:
    Reader in_;
    Writer out_;
    // Remembered for the message of an unknown value type.
    std::string_view componentName_;
    std::string_view propertyName_;

    void Deeper() {
        if (++out_.level > MaxNesting)
            Fail(SNestingTooDeep);
    }

    std::int64_t Integer() {
        switch (in_.Byte()) {
        case vaInt8:
            return in_.Signed(1);
        case vaInt16:
            return in_.Signed(2);
        case vaInt32:
            return in_.Signed(4);
        default:
            Fail(SInvalidPropValue);
        }
    }

    void Component() {
        if (out_.level > MaxNesting)
            Fail(SNestingTooDeep);
        unsigned flags = 0;
        std::int64_t position = 0;
        if (in_.Peek() >= 0xF0) {
            flags = in_.Byte() & 0x0F;
            if (flags & ffChildPos)
                position = Integer();
        }
        const std::string_view className = in_.ShortString();
        const std::string_view name = in_.ShortString();

        out_.Indent();
        if (flags & ffInherited)
            out_.Put("inherited ");
        else if (flags & ffInline)
            out_.Put("inline ");
        else
            out_.Put("object ");
        if (!name.empty()) {
            out_.Put(name);
            out_.Put(": ");
        }
        out_.Put(className);
        if (flags & ffChildPos) {
            out_.Put(" [");
            out_.PutNumber(position);
            out_.Put(']');
        }
        out_.Put("\r\n");
        componentName_ = name.empty() ? className : name;

        Deeper();
        Properties();
        while (in_.Peek() != 0)
            Component();
        in_.Byte();
        --out_.level;
        out_.Indent();
        out_.Put("end\r\n");
    }

    void Properties() {
        while (in_.Peek() != 0) {
            const std::string_view name = in_.ShortString();
            propertyName_ = name;
            out_.Indent();
            out_.Put(name);
            out_.Put(" = ");
            Value();
            out_.Put("\r\n");
        }
        in_.Byte();
    }

    // Types whose readers take only the exact type byte.
    static void RequireExact(unsigned char type) {
        if (type & 0x80)
            Fail(SInvalidPropValue);
    }

    void Value() {
        const unsigned char type = in_.Byte();
        switch (type & 0x7F) {
        case vaNull:
            out_.Put("Null");
            break;
        case vaList:
            List();
            break;
        case vaInt8:
            RequireExact(type);
            out_.PutNumber(in_.Signed(1));
            break;
        case vaInt16:
            RequireExact(type);
            out_.PutNumber(in_.Signed(2));
            break;
        case vaInt32:
            RequireExact(type);
            out_.PutNumber(in_.Signed(4));
            break;
        case vaInt64:
            RequireExact(type);
            out_.PutNumber(in_.Signed(8));
            break;
        case vaExtended: {
            RequireExact(type);
            const std::string_view bytes = in_.Bytes(10);
            unsigned char raw[10];
            std::memcpy(raw, bytes.data(), sizeof raw);
            out_.Put(FormatExtendedFixed(raw));
            break;
        }
        case vaSingle: {
            RequireExact(type);
            const std::uint32_t bits = static_cast<std::uint32_t>(in_.Unsigned(4));
            float value;
            std::memcpy(&value, &bits, sizeof value);
            out_.Put(FormatGeneral(value, 15));
            out_.Put('s');
            break;
        }
        case vaCurrency:
            RequireExact(type);
            out_.Put(FormatCurrency(in_.Signed(8)));
            out_.Put('c');
            break;
        case vaDate: {
            RequireExact(type);
            const std::uint64_t bits = in_.Unsigned(8);
            double value;
            std::memcpy(&value, &bits, sizeof value);
            out_.Put(FormatGeneral(value, 15));
            out_.Put('d');
            break;
        }
        case vaString:
            RequireExact(type);
            String(in_.ShortString());
            break;
        case vaLString:
            RequireExact(type);
            String(in_.Bytes(in_.Unsigned(4)));
            break;
        case vaWString: {
            RequireExact(type);
            const std::uint64_t count = in_.Unsigned(4);
            const std::string_view bytes = in_.Bytes(count * 2);
            WideString(count, [bytes](std::size_t i) -> char16_t {
                return static_cast<char16_t>(static_cast<unsigned char>(bytes[2 * i]) |
                                             static_cast<unsigned char>(bytes[2 * i + 1]) << 8);
            });
            break;
        }
        case vaUTF8String: {
            RequireExact(type);
            const std::u16string units = DecodeUtf8(in_.Bytes(in_.Unsigned(4)));
            WideString(units.size(), [&units](std::size_t i) { return units[i]; });
            break;
        }
        case vaIdent:
            out_.Put(in_.ShortString());
            break;
        case vaFalse:
            out_.Put("False");
            break;
        case vaTrue:
            out_.Put("True");
            break;
        case vaNil:
            out_.Put("nil");
            break;
        case vaBinary:
            Binary();
            break;
        case vaSet:
            Set();
            break;
        case vaCollection:
            Collection();
            break;
        default: {
            char number[8];
            const auto result = std::to_chars(number, number + sizeof number, type & 0x7F);
            throw EFormReadError(
                FormatMessage(SPropertyException, {componentName_, ".", propertyName_,
                                                   std::string_view(number, result.ptr - number)}));
        }
        }
    }

    void List() {
        out_.Put('(');
        Deeper();
        while (in_.Peek() != 0) {
            out_.NewLine();
            Value();
        }
        in_.Byte();
        --out_.level;
        out_.Put(')');
    }

    void Set() {
        out_.Put('[');
        bool first = true;
        for (;;) {
            const std::string_view name = in_.ShortString();
            if (name.empty())
                break;
            if (!first)
                out_.Put(", ");
            out_.Put(name);
            first = false;
        }
        out_.Put(']');
    }

    void Collection() {
        out_.Put('<');
        Deeper();
        while (in_.Peek() != 0) {
            out_.NewLine();
            out_.Put("item");
            const unsigned char next = in_.Peek();
            if (next == vaInt8 || next == vaInt16 || next == vaInt32) {
                out_.Put(" [");
                out_.PutNumber(Integer());
                out_.Put(']');
            }
            out_.Put("\r\n");
            if (in_.Byte() != vaList)
                Fail(SInvalidPropValue);
            Deeper();
            Properties();
            --out_.level;
            out_.Indent();
            out_.Put("end");
        }
        in_.Byte();
        --out_.level;
        out_.Put('>');
    }

    // The two upper-case hexadecimal digits of every byte value.
    static constexpr auto HexPairs = [] {
        constexpr char Digits[] = "0123456789ABCDEF";
        std::array<char, 512> pairs{};
        for (int b = 0; b < 256; ++b) {
            pairs[2 * b] = Digits[b >> 4];
            pairs[2 * b + 1] = Digits[b & 0x0F];
        }
        return pairs;
    }();

    void Binary() {
        out_.Put('{');
        ++out_.level;
        std::string_view data = in_.Bytes(in_.Unsigned(4));
        const bool ownLines = data.size() >= BinaryChunk;
        while (!data.empty()) {
            if (ownLines)
                out_.NewLine();
            const std::size_t take = std::min(data.size(), BinaryChunk);
            char* at = out_.Reserve(2 * take);
            for (std::size_t i = 0; i < take; ++i)
                std::memcpy(at + 2 * i, &HexPairs[2 * static_cast<unsigned char>(data[i])], 2);
            data.remove_prefix(take);
        }
        --out_.level;
        out_.Put('}');
    }

    // A string of types 6 and 12: quoted runs, "#nn" for control bytes and
    // quotes, lines of at most 64 source bytes joined by " +".
    void String(std::string_view s) {
        if (s.empty()) {
            out_.Put("''");
            return;
        }
        ++out_.level;
        if (s.size() > LineBytes)
            out_.NewLine();
        std::size_t i = 0; // next byte to write
        std::size_t k = 0; // first byte of the current line
        while (i < s.size()) {
            const auto c = static_cast<unsigned char>(s[i]);
            bool lineFull;
            if (c < ' ' || c == '\'') {
                out_.Put('#');
                out_.PutNumber(c);
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
                    out_.Put('\'');
                    out_.Put(s.substr(j, i - j));
                    out_.Put('\'');
                }
            }
            if (lineFull && i < s.size()) {
                out_.Put(" +");
                out_.NewLine();
                k = i;
            }
        }
        --out_.level;
    }

    // Wide strings (types 18 and 20): positions count UTF-16 units; only
    // units 32 to 127 other than the quote go between quotes.
    template <typename UnitAt> void WideString(std::size_t count, UnitAt unitAt) {
        if (count == 0) {
            out_.Put("''");
            return;
        }
        const auto quotable = [](char16_t u) { return u >= ' ' && u <= 127 && u != '\''; };
        ++out_.level;
        if (count > LineBytes)
            out_.NewLine();
        std::size_t i = 0;
        std::size_t k = 0;
        while (i < count) {
            const char16_t u = unitAt(i);
            if (!quotable(u)) {
                out_.Put('#');
                out_.PutNumber(u);
                ++i;
            } else {
                out_.Put('\'');
                while (i < count && i - k < LineBytes && quotable(unitAt(i)))
                    out_.Put(static_cast<char>(unitAt(i++)));
                out_.Put('\'');
            }
            if (i - k >= LineBytes && i < count) {
                out_.Put(" +");
                out_.NewLine();
                k = i;
            }
        }
        --out_.level;
    }

    // UTF-8 to UTF-16. A byte that does not start a well-formed sequence
    // becomes U+FFFD and decoding goes on with the next byte.
    static std::u16string DecodeUtf8(std::string_view bytes) {
        std::u16string units;
        units.reserve(bytes.size());
        const auto at = [&bytes](std::size_t i) { return static_cast<unsigned char>(bytes[i]); };
        std::size_t i = 0;
        while (i < bytes.size()) {
            const unsigned char b = at(i);
            std::uint32_t code = 0xFFFD;
            std::size_t length = 1;
            std::size_t need = 0;
            std::uint32_t min = 0;
            if (b < 0x80) {
                code = b;
            } else if (b >= 0xC2 && b <= 0xDF) {
                need = 1, min = 0x80, code = b & 0x1F;
            } else if (b >= 0xE0 && b <= 0xEF) {
                need = 2, min = 0x800, code = b & 0x0F;
            } else if (b >= 0xF0 && b <= 0xF4) {
                need = 3, min = 0x10000, code = b & 0x07;
            } else {
                code = 0xFFFD;
            }
            if (need > 0) {
                bool ok = i + need < bytes.size();
                for (std::size_t n = 1; ok && n <= need; ++n) {
                    if ((at(i + n) & 0xC0) != 0x80)
                        ok = false;
                    else
                        code = (code << 6) | (at(i + n) & 0x3F);
                }
                if (ok && (code < min || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)))
                    ok = false;
                if (ok)
                    length = need + 1;
                else
                    code = 0xFFFD;
            }
            if (code >= 0x10000) {
                code -= 0x10000;
                units.push_back(static_cast<char16_t>(0xD800 + (code >> 10)));
                units.push_back(static_cast<char16_t>(0xDC00 + (code & 0x3FF)));
            } else {
                units.push_back(static_cast<char16_t>(code));
            }
            i += length;
        }
        return units;
    }
};

} // namespace

void FormBinaryToText(std::string_view input, std::size_t& position, FormTextSink& output) {
    Converter(input, position, output).Run();
}

void FormBinaryToText(std::string_view input, std::string& output) {
    std::size_t position = 0;
    StringFormTextSink sink(output);
    FormBinaryToText(input, position, sink);
}

} // namespace sorvak
