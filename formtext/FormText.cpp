#include "formtext/FormText.h"

#include <charconv>
#include <cstdint>
#include <cstring>

#include "base/Utf.h"
#include "formtext/FormFloat.h"
#include "formtext/FormTextWriter.h"

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
    TextWriter out_;
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

    // Called at most MaxNesting levels deep: children come after Deeper().
    void Component() {
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

    // One reader per value type; the high bit of the type byte is accepted
    // only by the readers that do not call RequireExact.
    void Value() {
        const unsigned char type = in_.Byte();
        switch (type & 0x7F) {
        case vaNull:
            return out_.Put("Null");
        case vaList:
            return List();
        case vaInt8:
            return IntegerValue(type, 1);
        case vaInt16:
            return IntegerValue(type, 2);
        case vaInt32:
            return IntegerValue(type, 4);
        case vaInt64:
            return IntegerValue(type, 8);
        case vaExtended:
            return ExtendedValue(type);
        case vaSingle:
            return SingleValue(type);
        case vaCurrency:
            return CurrencyValue(type);
        case vaDate:
            return DateValue(type);
        case vaString:
            return StringValue(type);
        case vaLString:
            return LStringValue(type);
        case vaWString:
            return WStringValue(type);
        case vaUTF8String:
            return Utf8StringValue(type);
        case vaIdent:
            return out_.Put(in_.ShortString());
        case vaFalse:
            return out_.Put("False");
        case vaTrue:
            return out_.Put("True");
        case vaNil:
            return out_.Put("nil");
        case vaBinary:
            return out_.Binary(in_.Bytes(in_.Unsigned(4)));
        case vaSet:
            return Set();
        case vaCollection:
            return Collection();
        default:
            UnknownType(type);
        }
    }

    void IntegerValue(unsigned char type, int size) {
        RequireExact(type);
        out_.PutNumber(in_.Signed(size));
    }

    void ExtendedValue(unsigned char type) {
        RequireExact(type);
        const std::string_view bytes = in_.Bytes(10);
        unsigned char raw[10];
        std::memcpy(raw, bytes.data(), sizeof raw);
        out_.Put(FormatExtendedFixed(raw));
    }

    void SingleValue(unsigned char type) {
        RequireExact(type);
        const std::uint32_t bits = static_cast<std::uint32_t>(in_.Unsigned(4));
        float value;
        std::memcpy(&value, &bits, sizeof value);
        out_.Put(FormatGeneral(value, 15));
        out_.Put('s');
    }

    void CurrencyValue(unsigned char type) {
        RequireExact(type);
        out_.Put(FormatCurrency(in_.Signed(8)));
        out_.Put('c');
    }

    void DateValue(unsigned char type) {
        RequireExact(type);
        const std::uint64_t bits = in_.Unsigned(8);
        double value;
        std::memcpy(&value, &bits, sizeof value);
        out_.Put(FormatGeneral(value, 15));
        out_.Put('d');
    }

    void StringValue(unsigned char type) {
        RequireExact(type);
        out_.QuotedString(in_.ShortString());
    }

    void LStringValue(unsigned char type) {
        RequireExact(type);
        out_.QuotedString(in_.Bytes(in_.Unsigned(4)));
    }

    void WStringValue(unsigned char type) {
        RequireExact(type);
        const std::uint64_t count = in_.Unsigned(4);
        out_.WideString(utf::Utf16LeUnits(in_.Bytes(count * 2)));
    }

    void Utf8StringValue(unsigned char type) {
        RequireExact(type);
        out_.WideString(utf::Utf8ToUtf16(in_.Bytes(in_.Unsigned(4))));
    }

    [[noreturn]] void UnknownType(unsigned char type) const {
        char number[8];
        const auto result = std::to_chars(number, number + sizeof number, type & 0x7F);
        throw EFormReadError(
            FormatMessage(SPropertyException, {componentName_, ".", propertyName_,
                                               std::string_view(number, result.ptr - number)}));
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
