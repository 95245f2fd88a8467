#pragma once
// Every file the program saves is written whole or not at all: the bytes go
// to a new file beside the target, which replaces the target by a rename only
// once it was written and flushed. Until then the old file stays byte for byte.
#include "base/FileDescriptor.h"
#include "base/FileErrors.h"
#include "base/FilePath.h"
#include "base/InterruptCleanup.h"

#include <string>
#include <string_view>
#include <sys/types.h>

namespace sorvak {

// The system calls the writer makes, so that tests can fail any one of them.
// Each returns what the system call returns and leaves errno set on failure.
class FileCalls {
public:
    virtual ~FileCalls() = default;
    virtual int Open(const char* path, int flags, mode_t mode);
    virtual ssize_t Write(int fd, const void* data, std::size_t count);
    virtual int Sync(int fd);
    virtual int Close(int fd);
    virtual int Rename(const char* from, const char* to);

    // The calls as the system makes them.
    static FileCalls& System();
};

// The file that a path (file-system bytes) names once symbolic links are
// followed; a link whose target does not exist yet names that target.
std::string ResolveLinks(const std::string& path);

class OutputFile {
public:
    // Creates the new file beside the target. An existing target that is not a regular file
    // (folder, FIFO, device, socket) is refused. Throws EFCreateError with the
    // target's path. Until Close, a program ended by a signal removes the new
    // file first (InterruptCleanup.h).
    explicit OutputFile(const FilePath& path, FileCalls& calls = FileCalls::System());
    // The same for a name in the locale's code page (FileNames.h).
    explicit OutputFile(const std::string& name, FileCalls& calls = FileCalls::System())
        : OutputFile(FilePath::FromName(name), calls) {}
    // Without a successful Close the new file is removed and the target stays.
    ~OutputFile();
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    // Writes every byte or throws EWriteError (naming the file and errno).
    void Write(std::string_view bytes);
    // Flushes, closes and puts the file in place. A failed flush or close
    // throws EWriteError, a failed rename EFCreateError; the target stays.
    void Close();

private:
    void Discard() noexcept;

    FileCalls& calls_;
    std::string path_;   // as the caller gave it, for messages
    std::string target_; // file-system bytes, links resolved
    std::string temp_;   // file-system bytes
    FileDescriptor fd_;
    PendingRemoval pending_;
    off_t written_ = 0;  // bytes written so far
    off_t flushing_ = 0; // bytes whose write-back has been started
};

// Creates or replaces the file with the bytes: OutputFile, Write, Close.
void WriteWholeFile(const std::string& path, std::string_view bytes);
void WriteWholeFile(const FilePath& path, std::string_view bytes);

} // namespace sorvak
