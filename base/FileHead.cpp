#include "base/FileHead.h"

#include "base/FileDescriptor.h"
#include "base/FileErrors.h"
#include "base/FilePath.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <utility>

namespace sorvak {

namespace {

// EISDIR for a folder, EINVAL for anything else that is not a regular file.
int NotRegularError(const struct stat& info) {
    return S_ISDIR(info.st_mode) ? EISDIR : EINVAL;
}

std::optional<std::string> Fail(int* errnum, int error) {
    if (errnum != nullptr)
        *errnum = error;
    return std::nullopt;
}

} // namespace

std::optional<std::string> ReadFileHead(const std::string& name, std::size_t limit, int* errnum) {
    return ReadFileHead(FilePath::FromName(name), limit, errnum);
}

std::optional<std::string> ReadFileHead(const FilePath& file, std::size_t limit, int* errnum) {
    const std::string& path = file.Bytes();
    // Look before opening: opening a device can itself do something (a tape
    // rewinds, a terminal becomes ours).
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0)
        return Fail(errnum, errno);
    if (!S_ISREG(info.st_mode))
        return Fail(errnum, NotRegularError(info));

    int raw;
    do {
        // Non-blocking and checked again: the path may have been replaced by
        // a FIFO since the look.
        raw = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    } while (raw < 0 && errno == EINTR);
    if (raw < 0)
        return Fail(errnum, errno);
    const FileDescriptor fd(raw);
    if (::fstat(fd.get(), &info) != 0)
        return Fail(errnum, errno);
    if (!S_ISREG(info.st_mode))
        return Fail(errnum, NotRegularError(info));

    std::string bytes;
    // The reported size only sizes the first allocation; the limit bounds it.
    if (info.st_size > 0)
        bytes.reserve(std::min(limit, static_cast<std::size_t>(info.st_size)));
    char buffer[65536];
    while (bytes.size() < limit) {
        const std::size_t want = std::min(sizeof buffer, limit - bytes.size());
        const ssize_t got = ::read(fd.get(), buffer, want);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return Fail(errnum, errno);
        if (got == 0)
            break;
        bytes.append(buffer, static_cast<std::size_t>(got));
    }
    return bytes;
}

EFOpenError::EFOpenError(const std::string& path, int errnum)
    : Exception(SORVAK_TEXT("sorvak", "ファイル \"%s\". %s は開けません"),
                FileMessageArguments(path, errnum)) {}

std::string ReadFileHeadOrThrow(const std::string& path, std::size_t limit) {
    int errnum = 0;
    std::optional<std::string> bytes = ReadFileHead(path, limit, &errnum);
    if (!bytes)
        throw EFOpenError(path, errnum);
    return std::move(*bytes);
}

} // namespace sorvak
