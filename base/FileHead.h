#pragma once
// Reading the first bytes of a file without ever blocking: regular files
// only, so that a FIFO, a device or a socket named by a user or a setting
// cannot hang the program.
#include "base/Exception.h"
#include "base/FilePath.h"

#include <cstddef>
#include <optional>
#include <string>

namespace sorvak {

// Up to limit bytes from the start of a regular file (fewer at its end),
// named in the locale's code page (FileNames.h).
// Files that report size 0 (those under /proc) are read up to the limit or
// their end. Nothing when the file cannot be read; errnum then holds the
// reason: the open or read error, EISDIR for a folder, EINVAL for any other
// file that is not a regular one.
std::optional<std::string> ReadFileHead(const std::string& path, std::size_t limit,
                                        int* errnum = nullptr);
std::optional<std::string> ReadFileHead(const FilePath& path, std::size_t limit,
                                        int* errnum = nullptr);

// "ファイル "%s". %s は開けません" (FileMessageArguments).
class EFOpenError : public Exception {
public:
    EFOpenError(const std::string& path, int errnum);
};

// ReadFileHead, raising EFOpenError when the file cannot be read.
std::string ReadFileHeadOrThrow(const std::string& path, std::size_t limit);

} // namespace sorvak
