#pragma once
// What the text preview shows of a file: its first bytes read without ever
// blocking (ReadFileHead), form description files as their text form, line
// breaks as CR LF.
#include "base/CodePage.h"
#include "base/FileHead.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace sorvak {

// Form files above this size are not converted (a huge file named .dfm would
// otherwise be read whole): the preview shows their first bytes as they are.
inline constexpr std::size_t FormFileConvertLimit = std::size_t{64} << 20;

// The text the preview control is given: cut at the first NUL, every line
// break (CR LF, CR, LF) made CR LF, double-byte characters passed over whole.
std::string PreviewDisplayText(std::string_view bytes, int codePage = codepage::System());

// The preview of a file as PreviewDisplayText gives it, at most `limit` bytes
// of the file or of a form file's text form; none when the name is not a
// regular file. Form files above formLimit are shown as they are. Throws
// EFOpenError, and EFormReadError for a form file whose resource header is
// followed by no valid component stream.
std::optional<std::string> PreviewOfFile(const std::string& path, std::size_t limit,
                                         int codePage = codepage::System(),
                                         std::size_t formLimit = FormFileConvertLimit);

} // namespace sorvak
