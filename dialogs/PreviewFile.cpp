#include "dialogs/PreviewFile.h"

#include "base/FileNames.h"
#include "dialogs/TextDlgHelpers.h"
#include "formtext/FormPreview.h"

#include <cerrno>
#include <cstdint>
#include <sys/stat.h>

namespace sorvak {

namespace {

bool IsFormExtension(const std::string& ext) {
    return ext == ".dfm" || ext == ".~df" || ext == ".~dfm";
}

// The first bytes of a regular file; none for anything else (a folder, a
// FIFO, a device), which the preview passes over in silence.
std::optional<std::string> ReadPlainFileHead(const std::string& path, std::size_t limit) {
    int errnum = 0;
    std::optional<std::string> bytes = ReadFileHead(path, limit, &errnum);
    if (!bytes && errnum != EISDIR && errnum != EINVAL)
        throw EFOpenError(path, errnum);
    return bytes;
}

} // namespace

std::string PreviewDisplayText(std::string_view bytes, int codePage) {
    bytes = bytes.substr(0, bytes.find('\0'));
    std::string text;
    text.reserve(bytes.size() + bytes.size() / 8);
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const char c = bytes[i];
        if (codePage == codepage::ShiftJis && codepage::ShiftJisCharLength(bytes, i) == 2) {
            text.append(bytes.substr(i, 2));
            ++i;
        } else if (c == '\r' || c == '\n') {
            text += "\r\n";
            if (c == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n')
                ++i;
        } else {
            text.push_back(c);
        }
    }
    return text;
}

std::optional<std::string> PreviewOfFile(const std::string& path, std::size_t limit, int codePage,
                                         std::size_t formLimit) {
    if (!IsFormExtension(LowerFileExtension(path, codePage))) {
        std::optional<std::string> head = ReadPlainFileHead(path, limit);
        if (!head)
            return std::nullopt;
        return PreviewDisplayText(*head, codePage);
    }
    // A file that reports a size above the limit is read no further than the
    // preview shows; one that reports less (files under /proc report 0) is
    // read to one byte past the limit to tell.
    struct stat info {};
    const bool reportsMore = ::stat(SystemFileName(path).c_str(), &info) == 0 &&
                             static_cast<std::uint64_t>(info.st_size) > formLimit;
    std::optional<std::string> file = ReadPlainFileHead(path, reportsMore ? limit : formLimit + 1);
    if (!file)
        return std::nullopt;
    if (reportsMore || file->size() > formLimit)
        return PreviewDisplayText(std::string_view(*file).substr(0, limit), codePage);
    return PreviewDisplayText(FormFilePreview(*file, limit), codePage);
}

} // namespace sorvak
