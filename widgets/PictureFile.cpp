#include "widgets/PictureFile.h"

#include "base/FileHead.h"

#include <QBuffer>
#include <QImageReader>

namespace sorvak::widgets {

namespace {

// What a preview may take: the limit Qt puts on every picture by default.
constexpr qint64 PreviewLimitBytes = qint64(128) << 20;

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
    // One byte more than the limit tells a file that is too large.
    const std::optional<std::string> bytes =
        ReadFileHead(fileName, static_cast<std::size_t>(limit) + 1);
    if (!bytes || static_cast<qint64>(bytes->size()) > limit)
        return std::nullopt;
    return QByteArray(bytes->data(), static_cast<qsizetype>(bytes->size()));
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
    // The pane's own limit: the program lifts Qt's for the clipboard picture.
    const QSize size = reader.size();
    if (size.isValid() && qint64(size.width()) * size.height() * 4 > PreviewLimitBytes)
        return {};
    QImage image;
    if (!reader.read(&image))
        return {};
    return image;
}

} // namespace sorvak::widgets
