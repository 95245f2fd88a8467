#include "settings/SettingsFile.h"

#include "base/FileHead.h"
#include "base/FilePath.h"

#include <cerrno>
#include <chrono>
#include <cstdint>
#include <fcntl.h>
#include <optional>
#include <sys/file.h>
#include <sys/stat.h>
#include <thread>

namespace sorvak {

namespace {

// A settings file is a few hundred bytes; anything beyond this is not one we
// wrote, and is neither read into memory nor overwritten.
constexpr std::size_t MaxFileSize = std::size_t(256) << 20;

} // namespace

SettingsRead ReadSettingsFile(const std::string& path, std::string& bytes) {
    struct stat info {};
    if (::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) &&
        static_cast<std::uint64_t>(info.st_size) > MaxFileSize)
        return SettingsRead::Failed;
    int error = 0;
    // One byte past the limit tells a file that grew meanwhile.
    std::optional<std::string> read =
        ReadFileHead(FilePath::FromSystem(path), MaxFileSize + 1, &error);
    if (!read)
        return (error == ENOENT || error == ENOTDIR) ? SettingsRead::Missing : SettingsRead::Failed;
    // Text after a NUL would be dropped by the line rules and lost at the
    // next write: such a file is not ours to rewrite.
    if (read->size() > MaxFileSize || read->find('\0') != std::string::npos)
        return SettingsRead::Failed;
    bytes = std::move(*read);
    return SettingsRead::Read;
}

SettingsLock::SettingsLock(const std::string& iniPath)
    : fd_(::open((iniPath + ".lock").c_str(),
                 O_RDWR | O_CREAT | O_NONBLOCK | O_NOFOLLOW | O_CLOEXEC, 0666)) {
    using namespace std::chrono;
    if (fd_.get() < 0)
        return;
    const auto end = steady_clock::now() + seconds(2);
    while (::flock(fd_.get(), LOCK_EX | LOCK_NB) != 0) {
        if ((errno != EWOULDBLOCK && errno != EINTR) || steady_clock::now() >= end)
            return;
        std::this_thread::sleep_for(milliseconds(10));
    }
}

} // namespace sorvak
