#pragma once
// The list of copied files (a DROPFILES block) as lines of full paths.
#include "CodePage.h"
#include "LineList.h"

#include <cstdint>
#include <string_view>

namespace sorvak {

// Both walks read only inside block: a name whose terminator lies beyond the
// end is dropped, and the walk stops there.
void ReadWideFileNames(std::string_view block, std::uint32_t pFiles, LineList& list,
                       int codePage = codepage::System());
void ReadAnsiFileNames(std::string_view block, std::uint32_t pFiles, LineList& list);
// Reads the 20-byte header and runs the walk that fWide chooses. A block
// shorter than the header, or pFiles at or past its end, gives nothing.
void ReadFileNames(std::string_view block, LineList& list, int codePage = codepage::System());

} // namespace sorvak
