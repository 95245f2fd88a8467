#include "platform/x11/QtClipboard.h"

#include "base/CodePage.h"
#include "base/Exception.h"
#include "base/Utf.h"
#include "clipboard/DropFiles.h"
#include "clipboard/FileManagerCopy.h"
#include "platform/x11/SelectionReader.h"

#include <QBuffer>
#include <QClipboard>
#include <QGuiApplication>
#include <QImageReader>

#include <algorithm>
#include <bit>
#include <new>
#include <sys/mman.h>
#include <unistd.h>

namespace sorvak::platform {

namespace {

using Snapshot = QtClipboard::Snapshot;

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

Snapshot::Picture Decode(const std::string& bytes, QImage& image) {
    QByteArray array = QByteArray::fromRawData(bytes.data(), static_cast<qsizetype>(bytes.size()));
    QBuffer buffer(&array);
    buffer.open(QIODevice::ReadOnly);
    AllocationLimitLifted lifted;
    QImageReader reader(&buffer);
    const QSize size = reader.size();
    if (reader.read(&image) && !image.isNull())
        return Snapshot::Picture::Decoded;
    image = QImage();
    // A sound header whose picture memory cannot hold is a resource failure,
    // not a picture that is missing.
    if (size.isValid() && !size.isEmpty() &&
        QImage(size, QImage::Format_ARGB32_Premultiplied).isNull())
        return Snapshot::Picture::TooLarge;
    return Snapshot::Picture::None;
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

Snapshot TakeSnapshot() {
    Snapshot snapshot;
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
            if (snapshot.Kind != Snapshot::Picture::None)
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

bool IsMonochrome(const QImage& image) {
    if (image.depth() != 1 || image.colorCount() != 2)
        return false;
    const QRgb a = image.color(0) & 0xFFFFFF;
    const QRgb b = image.color(1) & 0xFFFFFF;
    return (a == 0 && b == 0xFFFFFF) || (a == 0xFFFFFF && b == 0);
}

DeviceBitmap MonochromeBitmap(const QImage& source) {
    // Bit 1 is white, as in a monochrome device bitmap.
    QImage image = source.convertToFormat(QImage::Format_Mono);
    if (image.isNull())
        throw std::bad_alloc();
    const bool zeroIsWhite = (image.color(0) & 0xFFFFFF) == 0xFFFFFF;
    DeviceBitmap bitmap;
    bitmap.Width = image.width();
    bitmap.Height = image.height();
    bitmap.BitsPerPixel = 1;
    const std::size_t stride = ((static_cast<std::size_t>(image.width()) + 31) / 32) * 4;
    bitmap.Bits.assign(stride * image.height(), 0);
    const std::size_t used = (static_cast<std::size_t>(image.width()) + 7) / 8;
    for (int y = 0; y < image.height(); ++y) {
        const uchar* row = image.constScanLine(y);
        std::uint8_t* out = bitmap.Bits.data() + stride * y;
        for (std::size_t i = 0; i < used; ++i)
            out[i] = zeroIsWhite ? static_cast<std::uint8_t>(~row[i]) : row[i];
        const int spare = static_cast<int>(used * 8) - image.width();
        if (spare > 0)
            out[used - 1] &= static_cast<std::uint8_t>(0xFF << spare);
    }
    return bitmap;
}

// A fresh picture buffer costs a page fault per 4 KiB page touched, which
// for a 4K screenshot takes longer than copying the pixels; huge pages cut
// that 512-fold where the system grants them. Only advice: failure is fine.
void AskForHugePages(void* data, std::size_t size) {
    const auto page = static_cast<std::uintptr_t>(sysconf(_SC_PAGESIZE));
    const auto begin = (reinterpret_cast<std::uintptr_t>(data) + page - 1) / page * page;
    const auto end = (reinterpret_cast<std::uintptr_t>(data) + size) / page * page;
    if (end > begin)
        madvise(reinterpret_cast<void*>(begin), end - begin, MADV_HUGEPAGE);
}

DeviceBitmap TrueColourBitmap(const QImage& source) {
    // Pictures decode as RGB32 or ARGB32 as a rule: read those in place
    // rather than through a converted copy of the whole picture.
    const bool direct =
        source.format() == QImage::Format_RGB32 || source.format() == QImage::Format_ARGB32;
    const QImage converted = direct ? QImage() : source.convertToFormat(QImage::Format_ARGB32);
    const QImage& image = direct ? source : converted;
    if (image.isNull())
        throw std::bad_alloc();
    DeviceBitmap bitmap;
    const int width = image.width();
    const int height = image.height();
    bitmap.Width = width;
    bitmap.Height = height;
    bitmap.BitsPerPixel = 32;
    const std::size_t stride = static_cast<std::size_t>(width) * 4;
    if (std::endian::native == std::endian::little && image.format() == QImage::Format_RGB32) {
        // Opaque, and laid out blue, green, red, 0xFF in memory: the rows are
        // device rows already, whose fourth byte is ignored.
        bitmap.Bits.reserve(stride * height);
        AskForHugePages(bitmap.Bits.data(), bitmap.Bits.capacity());
        for (int y = 0; y < height; ++y) {
            const uchar* row = image.constScanLine(y);
            bitmap.Bits.insert(bitmap.Bits.end(), row, row + stride);
        }
        return bitmap;
    }
    bitmap.Bits.resize(stride * height);
    for (int y = 0; y < height; ++y) {
        const auto* row = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        std::uint8_t* out = bitmap.Bits.data() + stride * y;
        for (int x = 0; x < width; ++x) {
            const QRgb pixel = row[x];
            const unsigned alpha = qAlpha(pixel);
            // Transparent pixels are laid over white, as a screen shows them.
            auto over = [alpha](unsigned c) {
                return static_cast<std::uint8_t>((c * alpha + 255 * (255 - alpha) + 127) / 255);
            };
            out[4 * x + 0] = over(qBlue(pixel));
            out[4 * x + 1] = over(qGreen(pixel));
            out[4 * x + 2] = over(qRed(pixel));
            out[4 * x + 3] = 0;
        }
    }
    return bitmap;
}

// CR LF and a lone CR each become LF.
std::string WithLfBreaks(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\r') {
            out.push_back(text[i]);
            continue;
        }
        out.push_back('\n');
        if (i + 1 < text.size() && text[i + 1] == '\n')
            ++i;
    }
    return out;
}

} // namespace

QtClipboard::QtClipboard() = default;
QtClipboard::~QtClipboard() = default;

const QtClipboard::Snapshot& QtClipboard::Content() {
    if (!snapshot_) {
        try {
            snapshot_ = TakeSnapshot();
        } catch (const SelectionTimeout& timeout) {
            throw ClipboardUnavailable(timeout.what());
        }
    }
    return *snapshot_;
}

bool QtClipboard::IsFormatAvailable(unsigned format) {
    const Snapshot& content = Content();
    switch (format) {
    case CF_BITMAP:
        return content.Kind != Snapshot::Picture::None;
    case CF_TEXT:
        return content.Utf8Text.has_value() && !content.FileList.has_value();
    case CF_HDROP:
        return content.FileList.has_value();
    default:
        return false;
    }
}

bool QtClipboard::Open() {
    // The X11 selection has no open and close: nobody can hold it shut.
    return true;
}

void QtClipboard::Close() {}

std::optional<std::string> QtClipboard::GetData(unsigned format) {
    const Snapshot& content = Content();
    if (format == CF_TEXT) {
        if (!IsFormatAvailable(CF_TEXT))
            return std::nullopt;
        std::string block = codepage::FromUtf8(*content.Utf8Text);
        block.push_back('\0');
        return block;
    }
    if (format == CF_HDROP) {
        if (!content.FileList)
            return std::nullopt;
        return BuildDropFilesBlock(*content.FileList);
    }
    return std::nullopt;
}

std::optional<DeviceBitmap> QtClipboard::GetBitmap() {
    const Snapshot& content = Content();
    try {
        if (content.Kind == Snapshot::Picture::TooLarge)
            throw std::bad_alloc();
        if (content.Kind == Snapshot::Picture::None)
            return std::nullopt;
        return IsMonochrome(content.Image) ? MonochromeBitmap(content.Image)
                                           : TrueColourBitmap(content.Image);
    } catch (const std::bad_alloc&) {
        throw Exception(SORVAK_TEXT("sorvak", "システム リソースが足りません"));
    }
}

std::optional<std::pair<std::int32_t, std::int32_t>> QtClipboard::GetBitmapSize() {
    const Snapshot& content = Content();
    if (content.Kind == Snapshot::Picture::TooLarge)
        throw Exception(SORVAK_TEXT("sorvak", "システム リソースが足りません"));
    if (content.Kind == Snapshot::Picture::None)
        return std::nullopt;
    return std::pair(content.Image.width(), content.Image.height());
}

std::optional<DevicePalette> QtClipboard::GetPalette() {
    return std::nullopt; // X11 offers no palettes
}

void QtClipboard::Empty() {
    QGuiApplication::clipboard()->clear(QClipboard::Clipboard);
    snapshot_ = Snapshot();
}

void QtClipboard::SetData(unsigned format, std::string block) {
    if (format != CF_TEXT)
        return;
    const std::size_t end = block.find('\0');
    if (end != std::string::npos)
        block.resize(end);
    // Linux programs expect LF line breaks in pasted text.
    writtenText_ = WithLfBreaks(codepage::ToUtf8(block));
    wroteText_ = true;
    QGuiApplication::clipboard()->setText(QString::fromStdString(writtenText_),
                                          QClipboard::Clipboard);
    // What we put there is what the clipboard now holds.
    snapshot_ = Snapshot();
    snapshot_->Utf8Text = writtenText_;
}

} // namespace sorvak::platform
