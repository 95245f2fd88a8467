#pragma once
// A tiny writer of the binary component stream, for building test inputs:
// form fixtures, edge cases and large streams.
#include <cmath>
#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <string>
#include <string_view>

namespace sorvak::test {

class FormStreamWriter {
public:
    std::string bytes;

    FormStreamWriter& Signature() { return Raw("TPF0"); }

    FormStreamWriter& Raw(std::string_view data) {
        bytes.append(data);
        return *this;
    }
    FormStreamWriter& Byte(unsigned value) {
        bytes.push_back(static_cast<char>(value));
        return *this;
    }
    FormStreamWriter& Le(std::uint64_t value, int size) {
        for (int i = 0; i < size; ++i)
            Byte((value >> (8 * i)) & 0xFF);
        return *this;
    }
    FormStreamWriter& ShortString(std::string_view s) {
        Byte(static_cast<unsigned>(s.size()));
        return Raw(s);
    }

    // A component header; flags 1 inherited, 2 child position, 4 inline.
    FormStreamWriter& Object(std::string_view className, std::string_view name, unsigned flags = 0,
                             int position = 0) {
        if (flags != 0) {
            Byte(0xF0 | flags);
            if (flags & 2)
                Int(position);
        }
        ShortString(className);
        return ShortString(name);
    }
    // Ends properties, children, lists, collections and collection items.
    FormStreamWriter& End() { return Byte(0); }
    FormStreamWriter& Prop(std::string_view name) { return ShortString(name); }

    // An integer in the smallest of the types 2, 3, 4 and 19.
    FormStreamWriter& Int(std::int64_t v) {
        if (v >= -128 && v <= 127)
            return Byte(2).Le(static_cast<std::uint64_t>(v), 1);
        if (v >= -32768 && v <= 32767)
            return Byte(3).Le(static_cast<std::uint64_t>(v), 2);
        if (v >= INT32_MIN && v <= INT32_MAX)
            return Byte(4).Le(static_cast<std::uint64_t>(v), 4);
        return Byte(19).Le(static_cast<std::uint64_t>(v), 8);
    }
    FormStreamWriter& Ident(std::string_view s) { return Byte(7).ShortString(s); }
    FormStreamWriter& Bool(bool v) { return Byte(v ? 9 : 8); }
    FormStreamWriter& Nil() { return Byte(13); }
    FormStreamWriter& Null() { return Byte(0); }
    // Bytes in the form's code page: type 6 up to 255 bytes, else type 12.
    FormStreamWriter& String(std::string_view s) {
        if (s.size() <= 255)
            return Byte(6).ShortString(s);
        return Byte(12).Le(s.size(), 4).Raw(s);
    }
    FormStreamWriter& WString(std::u16string_view s) {
        Byte(18).Le(s.size(), 4);
        for (char16_t u : s)
            Le(u, 2);
        return *this;
    }
    FormStreamWriter& Utf8String(std::string_view s) { return Byte(20).Le(s.size(), 4).Raw(s); }
    FormStreamWriter& Binary(std::string_view data) {
        return Byte(10).Le(data.size(), 4).Raw(data);
    }
    FormStreamWriter& Set(std::initializer_list<std::string_view> names) {
        Byte(11);
        for (auto name : names)
            ShortString(name);
        return ShortString("");
    }
    FormStreamWriter& Extended(double v) {
        // Built from the parts, so the test does not depend on long double.
        std::uint64_t mantissa = 0;
        unsigned signExponent = v < 0 ? 0x8000 : 0;
        if (v != 0) {
            int e = 0;
            const double m = std::frexp(std::fabs(v), &e); // in [0.5, 1)
            mantissa = static_cast<std::uint64_t>(std::ldexp(m, 64));
            signExponent |= static_cast<unsigned>(e - 1 + 16383);
        }
        return Byte(5).Le(mantissa, 8).Le(signExponent, 2);
    }
    FormStreamWriter& Single(float v) {
        std::uint32_t bits;
        std::memcpy(&bits, &v, sizeof bits);
        return Byte(15).Le(bits, 4);
    }
    FormStreamWriter& Currency(std::int64_t timesTenThousand) {
        return Byte(16).Le(static_cast<std::uint64_t>(timesTenThousand), 8);
    }
    FormStreamWriter& Date(double v) {
        std::uint64_t bits;
        std::memcpy(&bits, &v, sizeof bits);
        return Byte(17).Le(bits, 8);
    }
    FormStreamWriter& List() { return Byte(1); }        // values follow, then End()
    FormStreamWriter& Collection() { return Byte(14); } // items follow, then End()
    // A collection item; properties follow, then End().
    FormStreamWriter& Item() { return Byte(1); }
    FormStreamWriter& Item(int index) { return Int(index).Byte(1); }
};

// The resource header that form files carry before their stream: 0xFF, type 10,
// the NUL-terminated name, memory flags 0x1030 and the data size.
inline std::string ResourceFile(std::string_view name, std::string_view stream) {
    FormStreamWriter w;
    w.Byte(0xFF).Le(10, 2).Raw(name).Byte(0).Le(0x1030, 2).Le(stream.size(), 4).Raw(stream);
    return w.bytes;
}

} // namespace sorvak::test
