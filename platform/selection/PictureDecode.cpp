#include "platform/selection/PictureDecode.h"

#include "platform/selection/MemoryHolds.h"
#include "platform/selection/SelectionSource.h"

#include <QBuffer>
#include <QImageReader>

namespace sorvak::platform {

namespace {

// Hands the decoder the picture's bytes until the read is stopped: a large
// picture then stops decoding at its next read.
class StoppableBuffer : public QBuffer {
public:
    StoppableBuffer(QByteArray* bytes, const SelectionSource& source)
        : QBuffer(bytes), source_(source) {}

protected:
    qint64 readData(char* data, qint64 most) override {
        if (source_.Stopped())
            return -1;
        return QBuffer::readData(data, most);
    }

private:
    const SelectionSource& source_;
};

} // namespace

PictureDecoded DecodePicture(const std::string& bytes, QImage& image,
                             const SelectionSource& source) {
    QByteArray array = QByteArray::fromRawData(bytes.data(), static_cast<qsizetype>(bytes.size()));
    StoppableBuffer buffer(&array, source);
    buffer.open(QIODevice::ReadOnly);
    QImageReader decoder(&buffer);
    const QSize size = decoder.size();
    const bool read = decoder.read(&image) && !image.isNull();
    if (source.Stopped())
        throw SelectionStopped();
    if (read)
        return PictureDecoded::Decoded;
    image = QImage();
    // A sound header whose picture memory cannot hold is a resource failure,
    // not a picture that is missing.
    if (size.isValid() && !size.isEmpty() && !MemoryHolds(size))
        return PictureDecoded::TooLarge;
    return PictureDecoded::None;
}

} // namespace sorvak::platform
