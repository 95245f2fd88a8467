#include "PictureFile.h"

#include <QBuffer>
#include <QImageReader>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace sorvak::widgets {

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

const char* QtFormatName(TPictureFormat format) {
    switch (format) {
    case TPictureFormat::Bitmap:
        return "bmp";
    case TPictureFormat::Icon:
        return "ico";
    case TPictureFormat::Jpeg:
        return "jpeg";
    case TPictureFormat::Png:
        return "png";
    case TPictureFormat::Gif:
        return "gif";
    case TPictureFormat::Metafile:
    case TPictureFormat::EnhancedMetafile:
        break;
    }
    return nullptr;
}

} // namespace

std::optional<QByteArray> ReadRegularFile(const std::string& fileName, qint64 limit) {
    // O_NONBLOCK: opening a FIFO without a writer would otherwise wait.
    const FileDescriptor file(::open(fileName.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    if (file.get() < 0)
        return std::nullopt;
    struct stat info {};
    if (::fstat(file.get(), &info) != 0 || !S_ISREG(info.st_mode) || info.st_size > limit)
        return std::nullopt;
    QByteArray bytes;
    bytes.resize(static_cast<qsizetype>(info.st_size));
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t got =
            ::read(file.get(), bytes.data() + done, static_cast<std::size_t>(bytes.size() - done));
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return std::nullopt;
        if (got == 0)
            break; // the file shrank while it was read
        done += got;
    }
    bytes.truncate(done);
    return bytes;
}

QImage DecodePicture(const QByteArray& bytes, TPictureFormat format) {
    const char* name = QtFormatName(format);
    if (name == nullptr)
        return {};
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, name);
    // The extension decides: a PNG named .bmp is no picture.
    reader.setAutoDetectImageFormat(false);
    QImage image;
    if (!reader.read(&image))
        return {};
    return image;
}

} // namespace sorvak::widgets
