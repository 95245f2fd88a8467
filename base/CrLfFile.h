#pragma once
// A text file written in one pass as it arrives, every line ended by CR LF:
// the same bytes as splitting the text into a LineList and writing that, with
// no copy of the whole text. CR LF, CR or LF ends a line; NUL ends the text;
// a last line without a break gets one.
#include "base/OutputFile.h"

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

namespace sorvak {

class CrLfFile {
public:
    // Creates the new file beside the target (OutputFile): throws
    // EFCreateError.
    explicit CrLfFile(const std::string& fileName, FileCalls& calls = FileCalls::System());
    CrLfFile(const CrLfFile&) = delete;
    CrLfFile& operator=(const CrLfFile&) = delete;

    // The next piece of the text; a piece may end inside a CR LF pair.
    // Throws EWriteError.
    void Append(std::string_view text);
    // Ends the last line and puts the file in place; without it the target
    // stays as it was. Throws as OutputFile::Close.
    void Close();

private:
    void Flush();

    OutputFile file_;
    // What goes to the file next: written out once it holds a megabyte.
    std::unique_ptr<char[]> buffer_;
    std::size_t used_ = 0;
    bool afterCr_ = false;  // an LF next belongs to that CR
    bool lineOpen_ = false; // bytes since the last break
    bool ended_ = false;    // a NUL was seen
};

} // namespace sorvak
