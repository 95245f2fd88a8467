#include "base/OutputFile.h"

#include "base/FileNames.h"
#include "base/Paths.h"

#include <cerrno>
#include <climits>
#include <fcntl.h>
#include <random>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace sorvak {

namespace {

// The same limit the kernel puts on following links.
constexpr int MaxLinkHops = 40;
// Leaves room for the dot and the random suffix within NAME_MAX.
constexpr std::size_t MaxTempStem = 200;
constexpr int MaxTempTries = 100;

std::string RandomSuffix() {
    static constexpr char Letters[] =
        "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    std::random_device device;
    std::uniform_int_distribution<std::size_t> pick(0, sizeof Letters - 2);
    std::string suffix(6, ' ');
    for (char& c : suffix)
        c = Letters[pick(device)];
    return suffix;
}

int NoFileErrno(mode_t mode) {
    return S_ISDIR(mode) ? EISDIR : ENOTSUP;
}

// The folder entry is what makes the rename last; a failure here cannot undo
// the save and is not reported.
void SyncFolder(const std::string& file) {
    std::string folder = FolderOf(file);
    if (folder.empty())
        folder = ".";
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

} // namespace

int FileCalls::Open(const char* path, int flags, mode_t mode) {
    return ::open(path, flags, mode);
}
ssize_t FileCalls::Write(int fd, const void* data, std::size_t count) {
    return ::write(fd, data, count);
}
int FileCalls::Sync(int fd) {
    return ::fsync(fd);
}
int FileCalls::Close(int fd) {
    return ::close(fd);
}
int FileCalls::Rename(const char* from, const char* to) {
    return ::rename(from, to);
}

FileCalls& FileCalls::System() {
    static FileCalls calls;
    return calls;
}

std::string ResolveLinks(const std::string& path) {
    std::string current = path;
    for (int hop = 0; hop < MaxLinkHops; ++hop) {
        struct stat info {};
        if (::lstat(current.c_str(), &info) != 0 || !S_ISLNK(info.st_mode))
            return current;
        std::vector<char> buffer(PATH_MAX);
        const ssize_t length = ::readlink(current.c_str(), buffer.data(), buffer.size());
        if (length <= 0 || static_cast<std::size_t>(length) >= buffer.size())
            return current;
        const std::string link(buffer.data(), static_cast<std::size_t>(length));
        current = link.front() == '/' ? link : FolderWithSeparator(current) + link;
    }
    // A loop: the caller's stat reports it.
    return current;
}

OutputFile::OutputFile(const FilePath& path, FileCalls& calls)
    : calls_(calls), path_(path.Name()), target_(ResolveLinks(path.Bytes())) {
    struct stat old {};
    const bool replacing = ::stat(target_.c_str(), &old) == 0;
    if (!replacing && errno != ENOENT)
        throw EFCreateError(path_, errno);
    // Opening a FIFO would wait for a reader, and a device would take the
    // bytes in place of a file: only regular files are replaced.
    if (replacing && !S_ISREG(old.st_mode))
        throw EFCreateError(path_, NoFileErrno(old.st_mode));

    const std::string stem =
        FolderWithSeparator(target_) + "." + FileNameOf(target_).substr(0, MaxTempStem) + ".";
    for (int tries = 0;; ++tries) {
        temp_ = stem + RandomSuffix();
        int error = 0;
        {
            // No ending signal between making the file and arming its
            // removal; arming first could remove another program's file.
            const EndingSignalsHeld held;
            fd_ = FileDescriptor(
                calls_.Open(temp_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666));
            if (fd_)
                pending_.Arm(temp_);
            else
                error = errno;
        }
        if (fd_)
            break;
        if ((error != EEXIST && error != EINTR) || tries >= MaxTempTries) {
            temp_.clear();
            throw EFCreateError(path_, error);
        }
    }
    if (replacing) {
        // A replaced file keeps who may read it. Failing to keep the owner
        // (only root may give a file away) still leaves a usable file.
        ::fchmod(fd_.get(), old.st_mode & 07777);
        struct stat made {};
        if (::fstat(fd_.get(), &made) == 0 &&
            (made.st_uid != old.st_uid || made.st_gid != old.st_gid) &&
            ::fchown(fd_.get(), old.st_uid, old.st_gid) == 0)
            ::fchmod(fd_.get(), old.st_mode & 07777); // chown clears set-id bits
    }
}

OutputFile::~OutputFile() {
    Discard();
}

void OutputFile::Discard() noexcept {
    if (fd_)
        calls_.Close(fd_.release());
    if (!temp_.empty())
        ::unlink(temp_.c_str());
    pending_.Cancel();
    temp_.clear();
}

void OutputFile::Write(std::string_view bytes) {
    const char* data = bytes.data();
    std::size_t left = bytes.size();
    // One call normally; the loop only covers what the kernel splits (writes
    // beyond 2 GiB) and interruptions. No progress at all is a failure.
    while (left > 0) {
        const ssize_t written = fd_ ? calls_.Write(fd_.get(), data, left) : -1;
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            throw EWriteError(path_, written < 0 ? errno : 0);
        data += written;
        left -= static_cast<std::size_t>(written);
        written_ += written;
    }
    // The disk starts on what is written while the rest is still being
    // made, so that the flush in Close waits only for the last part. Advice
    // only: the flush reports any failure.
    constexpr off_t Chunk = off_t(8) << 20;
    if (written_ - flushing_ >= Chunk) {
        ::sync_file_range(fd_.get(), flushing_, written_ - flushing_, SYNC_FILE_RANGE_WRITE);
        flushing_ = written_;
    }
}

void OutputFile::Close() {
    if (!fd_)
        return;
    // A full disk behind delayed allocation or a network mount shows only
    // here; EINVAL means the filesystem keeps nothing to flush.
    if (calls_.Sync(fd_.get()) != 0 && errno != EINVAL) {
        const int error = errno;
        Discard();
        throw EWriteError(path_, error);
    }
    if (calls_.Close(fd_.release()) != 0 && errno != EINTR) {
        const int error = errno;
        Discard();
        throw EWriteError(path_, error);
    }
    if (calls_.Rename(temp_.c_str(), target_.c_str()) != 0) {
        const int error = errno;
        Discard();
        throw EFCreateError(path_, error);
    }
    // Only after the rename: a signal before it still finds the new file.
    pending_.Cancel();
    temp_.clear();
    SyncFolder(target_);
}

void WriteWholeFile(const std::string& path, std::string_view bytes) {
    WriteWholeFile(FilePath::FromName(path), bytes);
}

void WriteWholeFile(const FilePath& path, std::string_view bytes) {
    OutputFile file(path);
    file.Write(bytes);
    file.Close();
}

} // namespace sorvak
