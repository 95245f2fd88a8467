#pragma once
// The list of copied files as a DROPFILES block: a 20-byte header (pFiles,
// pt.x, pt.y, fNC, fWide, little-endian), then each name with its
// terminator, then one more terminator. Built here for other programs and
// read back as lines of full paths.
#include "base/CodePage.h"
#include "base/LineList.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace sorvak {

// pFiles 20, fWide 1, each name in UTF-16LE with a zero unit, one more zero
// unit at the end. Paths are UTF-8 bytes; invalid sequences become U+FFFD.
std::string BuildDropFilesBlock(const std::vector<std::string>& paths);

// Both walks read only inside block: a name whose terminator lies beyond the
// end is dropped, and the walk stops there.
void ReadWideFileNames(std::string_view block, std::uint32_t pFiles, LineList& list,
                       int codePage = codepage::System());
void ReadAnsiFileNames(std::string_view block, std::uint32_t pFiles, LineList& list);
// Reads the 20-byte header and runs the walk that fWide chooses. A block
// shorter than the header, or pFiles at or past its end, gives nothing.
void ReadFileNames(std::string_view block, LineList& list, int codePage = codepage::System());

} // namespace sorvak
