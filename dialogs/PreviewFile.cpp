#include "PreviewFile.h"

#include "FileErrors.h"
#include "FormPreview.h"
#include "TextDlgHelpers.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace sorvak {

namespace {

class FileDescriptor {
public:
    explicit FileDescriptor(int fd) : fd_(fd) {}
    ~FileDescriptor() {
        if (fd_ >= 0)
            ::close(fd_);
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    int get() const { return fd_; }

private:
    int fd_;
};

bool IsFormExtension(const std::string& ext) {
    return ext == ".dfm" || ext == ".~df" || ext == ".~dfm";
}

} // namespace

EFOpenError::EFOpenError(const std::string& path, int errnum)
    : Exception(codepage::FromUtf8("ファイル \"") + AbsolutePath(path) + "\". " +
                std::strerror(errnum) + codepage::FromUtf8(" は開けません")) {}

std::optional<std::string> ReadFileHead(const std::string& path, std::size_t limit,
                                        std::uint64_t* reportedSize) {
    int raw;
    do {
        // O_NONBLOCK: opening a FIFO or a device returns at once, and fstat
        // below turns it away before anything is read.
        raw = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    } while (raw < 0 && errno == EINTR);
    if (raw < 0)
        throw EFOpenError(path, errno);
    const FileDescriptor fd(raw);
    struct stat info {};
    if (::fstat(fd.get(), &info) != 0)
        throw EFOpenError(path, errno);
    if (!S_ISREG(info.st_mode))
        return std::nullopt;
    if (reportedSize != nullptr)
        *reportedSize = static_cast<std::uint64_t>(info.st_size);
    std::string bytes;
    char block[65536];
    while (bytes.size() < limit) {
        const std::size_t want = std::min(sizeof block, limit - bytes.size());
        const ssize_t got = ::read(fd.get(), block, want);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            throw EFOpenError(path, errno);
        if (got == 0)
            break;
        bytes.append(block, static_cast<std::size_t>(got));
    }
    return bytes;
}

std::string PreviewDisplayText(std::string_view bytes, int codePage) {
    bytes = bytes.substr(0, bytes.find('\0'));
    std::string text;
    text.reserve(bytes.size() + bytes.size() / 8);
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const char c = bytes[i];
        if (codePage == codepage::ShiftJis &&
            codepage::IsShiftJisLeadByte(static_cast<unsigned char>(c)) && i + 1 < bytes.size()) {
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
        std::optional<std::string> head = ReadFileHead(path, limit);
        if (!head)
            return std::nullopt;
        return PreviewDisplayText(*head, codePage);
    }
    // A file that reports a size above the limit is read no further than the
    // preview shows; one that reports less (files under /proc report 0) is
    // read to one byte past the limit to tell.
    std::uint64_t size = 0;
    std::optional<std::string> file = ReadFileHead(path, limit, &size);
    if (file && size <= formLimit && file->size() == limit)
        file = ReadFileHead(path, formLimit + 1);
    if (!file)
        return std::nullopt;
    if (file->size() > formLimit || size > formLimit)
        return PreviewDisplayText(std::string_view(*file).substr(0, limit), codePage);
    return PreviewDisplayText(FormFilePreview(*file, limit), codePage);
}

} // namespace sorvak
