#include "QtClipboard.h"

#include "CodePage.h"
#include "FileManagerCopy.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QImage>
#include <QMimeData>

namespace sorvak::platform {

namespace {

const QString Utf8PlainText = QStringLiteral("text/plain;charset=utf-8");

// The formats the owner offers now, without their data: the data is read
// from the owner when a format is asked for.
std::unique_ptr<QMimeData> TakeOffer() {
    auto copy = std::make_unique<QMimeData>();
    const QMimeData* live = QGuiApplication::clipboard()->mimeData(QClipboard::Clipboard);
    if (live == nullptr)
        return copy;
    for (const QString& format : live->formats()) {
        // Qt's synthesised image format is decoded on demand below.
        if (format == QLatin1String("application/x-qt-image"))
            continue;
        copy->setData(format, QByteArray());
    }
    return copy;
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

DeviceBitmap TrueColourBitmap(const QImage& source) {
    const QImage image = source.convertToFormat(QImage::Format_ARGB32);
    DeviceBitmap bitmap;
    bitmap.Width = image.width();
    bitmap.Height = image.height();
    bitmap.BitsPerPixel = 32;
    const std::size_t stride = static_cast<std::size_t>(image.width()) * 4;
    bitmap.Bits.resize(stride * image.height());
    for (int y = 0; y < image.height(); ++y) {
        const auto* row = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        std::uint8_t* out = bitmap.Bits.data() + stride * y;
        for (int x = 0; x < image.width(); ++x) {
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

const QMimeData* QtClipboard::Offer() {
    if (!offerTaken_) {
        offer_ = TakeOffer();
        offerTaken_ = true;
    }
    return offer_.get();
}

const std::optional<std::string>& QtClipboard::Utf8Text() {
    if (!textTaken_) {
        textTaken_ = true;
        const QMimeData* live = QGuiApplication::clipboard()->mimeData(QClipboard::Clipboard);
        if (live != nullptr && live->hasText()) {
            utf8Text_ = live->text().toStdString();
        } else if (live != nullptr && live->hasFormat(Utf8PlainText)) {
            // Offered only under its MIME name: decode it as text/plain would be.
            utf8Text_ = QString::fromUtf8(live->data(Utf8PlainText)).toStdString();
        }
    }
    return utf8Text_;
}

const std::optional<std::vector<std::string>>& QtClipboard::FileList() {
    if (fileListTaken_)
        return fileList_;
    fileListTaken_ = true;
    const QMimeData* offer = Offer();
    const QMimeData* live = QGuiApplication::clipboard()->mimeData(QClipboard::Clipboard);
    if (live == nullptr)
        return fileList_;
    for (const char* format : {"x-special/gnome-copied-files", "x-special/mate-copied-files"}) {
        if (offer->hasFormat(QLatin1String(format))) {
            const QByteArray data = live->data(QLatin1String(format));
            fileList_ = ParseCopiedFiles(std::string_view(data.constData(), data.size()));
            if (fileList_)
                return fileList_;
        }
    }
    if (offer->hasFormat(QStringLiteral("text/uri-list"))) {
        const QByteArray data = live->data(QStringLiteral("text/uri-list"));
        fileList_ = ParseUriList(std::string_view(data.constData(), data.size()));
        if (fileList_)
            return fileList_;
    }
    if (offer->hasText()) {
        if (const auto& text = Utf8Text())
            fileList_ = ParseNautilusText(*text);
    }
    return fileList_;
}

bool QtClipboard::IsFormatAvailable(unsigned format) {
    const QMimeData* offer = Offer();
    switch (format) {
    case CF_BITMAP: {
        const QMimeData* live = QGuiApplication::clipboard()->mimeData(QClipboard::Clipboard);
        return live != nullptr && live->hasImage();
    }
    case CF_TEXT:
        return (offer->hasText() || offer->hasFormat(Utf8PlainText)) && !FileList().has_value();
    case CF_HDROP:
        return FileList().has_value();
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
    if (format == CF_TEXT) {
        if (!IsFormatAvailable(CF_TEXT))
            return std::nullopt;
        const auto& text = Utf8Text();
        if (!text)
            return std::nullopt;
        std::string block = codepage::FromUtf8(*text);
        block.push_back('\0');
        return block;
    }
    if (format == CF_HDROP) {
        const auto& files = FileList();
        if (!files)
            return std::nullopt;
        return BuildDropFilesBlock(*files);
    }
    return std::nullopt;
}

std::optional<DeviceBitmap> QtClipboard::GetBitmap() {
    const QMimeData* live = QGuiApplication::clipboard()->mimeData(QClipboard::Clipboard);
    if (live == nullptr || !live->hasImage())
        return std::nullopt;
    const QImage image = qvariant_cast<QImage>(live->imageData());
    if (image.isNull())
        return std::nullopt;
    return IsMonochrome(image) ? MonochromeBitmap(image) : TrueColourBitmap(image);
}

std::optional<DevicePalette> QtClipboard::GetPalette() {
    return std::nullopt; // X11 offers no palettes
}

void QtClipboard::Empty() {
    QGuiApplication::clipboard()->clear(QClipboard::Clipboard);
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
}

} // namespace sorvak::platform
