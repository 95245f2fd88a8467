#include "platform/x11/ClipboardSnapshot.h"

#include "base/Utf.h"
#include "clipboard/FileManagerCopy.h"
#include "platform/x11/SelectionReader.h"

#include <QBuffer>
#include <QImageReader>

#include <algorithm>

namespace sorvak::platform {

namespace {

// Qt's default limit (128 MB) refuses full-page screenshots; the clipboard
// picture may be as large as memory allows. The limit is process-wide, so it
// is put back at once for every other reader (the picture pane's).
class AllocationLimitLifted {
public:
    AllocationLimitLifted() : old_(QImageReader::allocationLimit()) {
        QImageReader::setAllocationLimit(0);
    }
    ~AllocationLimitLifted() { QImageReader::setAllocationLimit(old_); }
    AllocationLimitLifted(const AllocationLimitLifted&) = delete;
    AllocationLimitLifted& operator=(const AllocationLimitLifted&) = delete;

private:
    int old_;
};

ClipboardSnapshot::Picture Decode(const std::string& bytes, QImage& image) {
    QByteArray array = QByteArray::fromRawData(bytes.data(), static_cast<qsizetype>(bytes.size()));
    QBuffer buffer(&array);
    buffer.open(QIODevice::ReadOnly);
    AllocationLimitLifted lifted;
    QImageReader reader(&buffer);
    const QSize size = reader.size();
    if (reader.read(&image) && !image.isNull())
        return ClipboardSnapshot::Picture::Decoded;
    image = QImage();
    // A sound header whose picture memory cannot hold is a resource failure,
    // not a picture that is missing.
    if (size.isValid() && !size.isEmpty() &&
        QImage(size, QImage::Format_ARGB32_Premultiplied).isNull())
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

} // namespace

ClipboardSnapshot TakeSnapshot() {
    ClipboardSnapshot snapshot;
    SelectionReader reader;
    if (!reader.HasOwner())
        return snapshot;
    const std::vector<std::string> offered = reader.Targets();
    auto offers = [&](const char* target) {
        return std::find(offered.begin(), offered.end(), target) != offered.end();
    };

    for (const std::string& target : PictureTargets(offered)) {
        if (const std::optional<std::string> bytes = reader.Fetch(target)) {
            snapshot.Kind = Decode(*bytes, snapshot.Image);
            if (snapshot.Kind != ClipboardSnapshot::Picture::None)
                break;
        }
    }

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
        if (std::optional<std::string> bytes = reader.Fetch(target)) {
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
