#pragma once
// A name as the file system knows it: UTF-8 bytes in every locale, as the
// dialog and the disk use them. The program's other names are strings in the
// locale's code page (FileNames.h); a FilePath is made from one once, so a
// name that is already file-system bytes is never converted a second time.
#include "base/FileNames.h"

#include <string>
#include <string_view>
#include <utility>

namespace sorvak {

class FilePath {
public:
    // Bytes as the file system gives and takes them.
    static FilePath FromSystem(std::string bytes) { return FilePath(std::move(bytes)); }
    // A name in the locale's code page.
    static FilePath FromName(std::string_view name, int codePage = codepage::System()) {
        return FilePath(SystemFileName(name, codePage));
    }

    const std::string& Bytes() const { return bytes_; }
    // The code-page name, for the program's messages.
    std::string Name() const { return FileNameFromSystem(bytes_); }

private:
    explicit FilePath(std::string bytes) : bytes_(std::move(bytes)) {}
    std::string bytes_;
};

} // namespace sorvak
