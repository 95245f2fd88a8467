#include "FileErrors.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <unistd.h>

namespace sorvak {

std::string AbsolutePath(const std::string& path) {
    if (path.empty())
        return path;
    std::filesystem::path p(path);
    if (p.is_relative()) {
        std::error_code error;
        const std::filesystem::path current = std::filesystem::current_path(error);
        if (!error)
            p = current / p;
    }
    return p.lexically_normal().string();
}

std::string CannotCreateFileMessage(const std::string& path, int errnum) {
    return "ファイル \"" + AbsolutePath(path) + "\". " + std::strerror(errnum) +
           " を作成できません";
}

EFCreateError::EFCreateError(const std::string& path, int errnum)
    : Exception(CannotCreateFileMessage(path, errnum)) {}

EWriteError::EWriteError() : Exception("ストリームへの書き込みエラー") {}

OutputFile::OutputFile(const std::string& path) {
    do {
        fd_ = ::open(path.c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    } while (fd_ < 0 && errno == EINTR);
    if (fd_ < 0)
        throw EFCreateError(path, errno);
}

OutputFile::~OutputFile() {
    if (fd_ >= 0)
        ::close(fd_);
}

void OutputFile::Write(std::string_view bytes) {
    const char* data = bytes.data();
    std::size_t left = bytes.size();
    // One call normally; the loop only covers what the kernel splits (writes
    // beyond 2 GiB) and interruptions. No progress at all is a failure.
    while (left > 0) {
        const ssize_t written = ::write(fd_, data, left);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            throw EWriteError();
        data += written;
        left -= static_cast<std::size_t>(written);
    }
}

void OutputFile::Close() {
    const int fd = fd_;
    fd_ = -1;
    if (fd >= 0 && ::close(fd) != 0 && errno != EINTR)
        throw EWriteError();
}

void WriteWholeFile(const std::string& path, std::string_view bytes) {
    OutputFile file(path);
    file.Write(bytes);
    file.Close();
}

} // namespace sorvak
