#include "formtext/FormPreview.h"

#include "base/Bytes.h"

#include <cstring>

namespace sorvak {

namespace {

// The header check looks at no more than this many bytes of the file.
constexpr std::size_t HeaderBytes = 79;

// Where the component stream starts, or npos when the file does not begin
// with the header of a resource of numeric type 10.
std::size_t StreamStart(std::string_view file) {
    char header[HeaderBytes + 1] = {}; // the zero at the end bounds the name
    const std::size_t count = std::min(file.size(), HeaderBytes);
    std::memcpy(header, file.data(), count);
    const auto byte = [&header](std::size_t i) { return static_cast<unsigned char>(header[i]); };
    if (count < 3 || byte(0) != 0xFF || bytes::ReadLE16(file, 1) != 10)
        return std::string_view::npos;
    // Name, its NUL, 2 bytes of memory flags and a 4-byte data size follow.
    return std::strlen(header + 3) + 10;
}

void WriteUnchanged(std::string_view file, FormTextSink& output) {
    constexpr std::size_t Block = 4096;
    for (std::size_t at = 0; at < file.size(); at += Block)
        output.Write(file.substr(at, Block));
}

} // namespace

void ConvertFormFile(std::string_view file, FormTextSink& output) {
    std::size_t position = StreamStart(file);
    if (position == std::string_view::npos) {
        WriteUnchanged(file, output);
        return;
    }
    FormBinaryToText(file, position, output);
}

std::string FormFilePreview(std::string_view file, std::size_t limit) {
    // Only the first `limit` bytes are kept, but the whole file is still
    // converted, so that a fault further on is reported as before.
    std::string text;
    StringFormTextSink sink(text, limit);
    ConvertFormFile(file, sink);
    return text;
}

} // namespace sorvak
