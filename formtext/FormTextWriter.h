#pragma once
// The writing half of the form text converter: buffered output with the
// nesting level, and the text forms of strings, wide strings and binary data.
#include <algorithm>
#include <charconv>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

#include "formtext/FormText.h"

namespace sorvak::formtext {

// Buffers the text in blocks of 4096 bytes and tracks the nesting level:
// an indent is two spaces per level, a new line is CR LF and the indent.
class TextWriter {
public:
    explicit TextWriter(FormTextSink& sink) : sink_(sink) {}

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
        PutLong(text);
    }

    void PutNumber(std::int64_t value) {
        char text[24];
        const auto result = std::to_chars(text, text + sizeof text, value);
        Put(std::string_view(text, result.ptr - text));
    }

    void Indent();
    void NewLine() {
        Put("\r\n");
        Indent();
    }
    void Flush();

    // Types 6 and 12: quoted runs, "#nn" for control bytes and quotes, lines
    // of at most 64 source bytes joined by " +", double-byte characters of
    // code page 932 kept whole.
    void QuotedString(std::string_view s);
    // Types 18 and 20: as above, counting UTF-16 units; units above 127 are
    // written as "#nn" too.
    void WideString(std::u16string_view s);
    // Type 10: "{", 32-byte chunks in hexadecimal, "}".
    void Binary(std::string_view data);

private:
    void PutLong(std::string_view text);
    // Room for `count` bytes in one piece; count must not exceed the buffer.
    char* Reserve(std::size_t count) {
        if (sizeof buffer_ - used_ < count)
            Flush();
        char* at = buffer_ + used_;
        used_ += count;
        return at;
    }

    FormTextSink& sink_;
    char buffer_[4096];
    std::size_t used_ = 0;
};

} // namespace sorvak::formtext
