#include "platform/x11/ClipboardSnapshot.h"

#include "base/Utf.h"
#include "clipboard/FileManagerCopy.h"
#include "clipboard/PictureHeader.h"
#include "platform/x11/SelectionReader.h"

#include <QBuffer>
#include <QImageReader>

#include <algorithm>

namespace sorvak::platform {

namespace {

// Hands the decoder the picture's bytes until the read is stopped: a large
// picture then stops decoding at its next read.
class StoppableBuffer : public QBuffer {
public:
    StoppableBuffer(QByteArray* bytes, const SelectionReader& reader)
        : QBuffer(bytes), reader_(reader) {}

protected:
    qint64 readData(char* data, qint64 most) override {
        if (reader_.Stopped())
            return -1;
        return QBuffer::readData(data, most);
    }

private:
    const SelectionReader& reader_;
};

// Whether memory can hold a picture of that size; nothing is touched.
bool MemoryHolds(const QSize& size) {
    return !QImage(size, QImage::Format_ARGB32_Premultiplied).isNull();
}

ClipboardSnapshot::Picture Decode(const std::string& bytes, QImage& image,
                                  const SelectionReader& reader) {
    QByteArray array = QByteArray::fromRawData(bytes.data(), static_cast<qsizetype>(bytes.size()));
    StoppableBuffer buffer(&array, reader);
    buffer.open(QIODevice::ReadOnly);
    QImageReader decoder(&buffer);
    const QSize size = decoder.size();
    const bool read = decoder.read(&image) && !image.isNull();
    if (reader.Stopped())
        throw SelectionStopped();
    if (read)
        return ClipboardSnapshot::Picture::Decoded;
    image = QImage();
    // A sound header whose picture memory cannot hold is a resource failure,
    // not a picture that is missing.
    if (size.isValid() && !size.isEmpty() && !MemoryHolds(size))
        return ClipboardSnapshot::Picture::TooLarge;
    return ClipboardSnapshot::Picture::None;
}

// Image targets in the order we prefer them: lossless first, then whatever
// else Qt can read.
std::vector<std::string> PictureTargets(const std::vector<std::string>& offered) {
    std::vector<std::string> order;
    for (const char* preferred :
         {"image/png", "image/bmp", "image/x-bmp", "image/jpeg", "image/gif"}) {
        if (std::find(offered.begin(), offered.end(), preferred) != offered.end())
            order.emplace_back(preferred);
    }
    const QList<QByteArray> readable = QImageReader::supportedMimeTypes();
    for (const std::string& target : offered) {
        if (target.rfind("image/", 0) == 0 &&
            std::find(order.begin(), order.end(), target) == order.end() &&
            readable.contains(QByteArray::fromStdString(target)))
            order.push_back(target);
    }
    return order;
}

std::string Utf8(std::string bytes) {
    if (utf::IsValidUtf8(bytes))
        return bytes;
    // Invalid sequences become U+FFFD, as any text widget shows them.
    return QString::fromUtf8(bytes.data(), static_cast<qsizetype>(bytes.size())).toStdString();
}

// A URI list shown as text: one URI a line, as Qt renders it.
std::string UriListText(const std::string& list) {
    std::string text;
    std::size_t start = 0;
    while (start < list.size()) {
        std::size_t end = list.find('\n', start);
        if (end == std::string::npos)
            end = list.size();
        std::string line = list.substr(start, end - start);
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (!line.empty() && line[0] != '#')
            text += (text.empty() ? "" : "\n") + line;
        start = end + 1;
    }
    return Utf8(text);
}

// The bytes of a header no longer than this tell a picture's size, if any do.
constexpr std::size_t HeaderWindow = std::size_t(256) << 10;
// Text that starts so is a file list, whose lines only the whole text gives.
constexpr std::string_view NautilusPrefix = "x-special/nautilus-clipboard";

} // namespace

ClipboardSnapshot TakeSnapshot(SelectionReader& reader,
                               const std::function<void(const ContentOutline&)>& early) {
    ClipboardSnapshot snapshot;
    if (!reader.HasOwner())
        return snapshot;
    const std::vector<std::string> offered = reader.Targets();
    auto offers = [&](const char* target) {
        return std::find(offered.begin(), offered.end(), target) != offered.end();
    };
    // The first that can tell is told; nothing is told twice.
    bool told = false;
    auto tell = [&](const ContentOutline& outline) {
        if (!told) {
            told = true;
            early(outline);
        }
    };

    const std::vector<std::string> pictures = PictureTargets(offered);
    // Only the first picture target can tell: a later one is read because
    // an earlier one did not decode, which only the whole of it showed.
    const SelectionReader::Watch pictureWatch = [&](std::string_view soFar) {
        if (const std::optional<PictureSize> size = PictureHeaderSize(soFar)) {
            // One that memory cannot hold is told by its failure before any
            // dialog opens, as it always was.
            if (MemoryHolds(QSize(size->Width, size->Height)))
                tell({ContentOutline::Kind::Picture, size->Width, size->Height});
            return false;
        }
        return soFar.size() < HeaderWindow;
    };
    for (const std::string& target : pictures) {
        const bool first = &target == &pictures.front();
        if (const std::optional<std::string> bytes =
                reader.Fetch(target, early && first ? pictureWatch : SelectionReader::Watch())) {
            snapshot.Kind = Decode(*bytes, snapshot.Image, reader);
            if (snapshot.Kind != ClipboardSnapshot::Picture::None)
                break;
        }
    }
    // With no picture and no file-list target, text is text unless it
    // starts as a file list.
    const bool textTells = early && pictures.empty() && !offers("x-special/gnome-copied-files") &&
                           !offers("x-special/mate-copied-files") && !offers("text/uri-list");
    const SelectionReader::Watch textWatch = [&](std::string_view soFar) {
        const std::string_view start = soFar.substr(0, NautilusPrefix.size());
        if (start == NautilusPrefix.substr(0, start.size()))
            return start.size() < NautilusPrefix.size();
        tell({ContentOutline::Kind::Text, 0, 0});
        return false;
    };

    for (const char* target : {"x-special/gnome-copied-files", "x-special/mate-copied-files"}) {
        if (offers(target) && !snapshot.FileList) {
            if (const std::optional<std::string> bytes = reader.Fetch(target))
                snapshot.FileList = ParseCopiedFiles(*bytes);
        }
    }
    std::optional<std::string> uriList;
    if (offers("text/uri-list")) {
        uriList = reader.Fetch("text/uri-list");
        if (uriList && !snapshot.FileList)
            snapshot.FileList = ParseUriList(*uriList);
    }

    for (const char* target : {"UTF8_STRING", "text/plain;charset=utf-8", "text/plain", "STRING"}) {
        if (!offers(target))
            continue;
        if (std::optional<std::string> bytes =
                reader.Fetch(target, textTells ? textWatch : SelectionReader::Watch())) {
            snapshot.Utf8Text =
                std::string_view(target) == "STRING"
                    ? QString::fromLatin1(bytes->data(), bytes->size()).toStdString()
                    : Utf8(std::move(*bytes));
            break;
        }
    }
    if (!snapshot.Utf8Text && uriList)
        snapshot.Utf8Text = UriListText(*uriList);
    if (!snapshot.FileList && snapshot.Utf8Text)
        snapshot.FileList = ParseNautilusText(*snapshot.Utf8Text);
    return snapshot;
}

} // namespace sorvak::platform
