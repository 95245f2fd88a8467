#pragma once
// The form-file step of the text preview: a form description file, read
// whole, becomes the text the preview shows.
#include <cstddef>
#include <string>
#include <string_view>

#include "formtext/FormText.h"

namespace sorvak {

// The most bytes of a file that the text preview shows.
inline int PreviewLimit = 1024;

// Writes the text form of a form description file: after the resource header
// (0xFF, 10 as a 16-bit number, a NUL-terminated name, flags and size) comes a
// binary component stream, which is converted. A file without that header is
// written unchanged. Throws EFormReadError when the header is there and the
// stream after it is not a valid component stream.
void ConvertFormFile(std::string_view file, FormTextSink& output);

// ConvertFormFile cut to `limit` bytes: what the preview shows of the file.
std::string FormFilePreview(std::string_view file, std::size_t limit = PreviewLimit);

} // namespace sorvak
