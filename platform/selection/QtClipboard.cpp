#include "platform/selection/QtClipboard.h"

#include "base/CodePage.h"
#include "base/Exception.h"
#include "clipboard/DropFiles.h"
#include "platform/selection/DeviceBitmapFromImage.h"
#include "platform/selection/OwnCopy.h"
#include "platform/selection/SelectionSource.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

#include <new>

namespace sorvak::platform {

namespace {

using Snapshot = ClipboardSnapshot;

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

[[noreturn]] void OutOfResources() {
    throw Exception(SORVAK_TEXT("sorvak", "システム リソースが足りません"));
}

// The text that the first bytes announced; an owner that then did not hand
// it over whole is an owner that did not answer.
const std::string& TextOf(const ClipboardSnapshot& content) {
    if (!content.Utf8Text)
        throw ClipboardUnavailable("the clipboard owner did not hand over its text");
    return *content.Utf8Text;
}

} // namespace

QtClipboard::QtClipboard(ClipboardTransfer::SourceFactory open, AfterPicture afterPicture)
    : transfer_(std::move(open), afterPicture) {}
QtClipboard::~QtClipboard() = default;

std::shared_ptr<const ClipboardSnapshot> QtClipboard::Content() {
    {
        const std::lock_guard lock(ownMutex_);
        if (own_)
            return own_;
    }
    try {
        // The transfer keeps the owner's content for as long as this object.
        return std::shared_ptr<const ClipboardSnapshot>(std::shared_ptr<void>(),
                                                        &transfer_.Whole());
    } catch (const SelectionTimeout& timeout) {
        throw ClipboardUnavailable(timeout.what());
    }
}

std::optional<ContentOutline> QtClipboard::Outline() {
    {
        const std::lock_guard lock(ownMutex_);
        if (own_)
            return std::nullopt;
    }
    return transfer_.Outline();
}

bool QtClipboard::IsFormatAvailable(unsigned format) {
    if (const std::optional<ContentOutline> outline = Outline()) {
        if (outline->What == ContentOutline::Kind::Text)
            return format == CF_TEXT;
        if (format == CF_BITMAP)
            return true;
    }
    const std::shared_ptr<const Snapshot> held = Content();
    const Snapshot& content = *held;
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
    // Selections have no open and close: nobody can hold them shut.
    return true;
}

void QtClipboard::Close() {}

std::optional<std::string> QtClipboard::GetData(unsigned format) {
    const std::shared_ptr<const Snapshot> held = Content();
    const Snapshot& content = *held;
    if (format == CF_TEXT) {
        if (!IsFormatAvailable(CF_TEXT))
            return std::nullopt;
        std::string block = codepage::FromUtf8(TextOf(content));
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

bool QtClipboard::ReadText(const std::function<void(std::string_view)>& piece) {
    if (!IsFormatAvailable(CF_TEXT))
        return false;
    // A megabyte a slice: the whole text is never held twice.
    const std::shared_ptr<const Snapshot> held = Content();
    codepage::FromUtf8InSlices(TextOf(*held), codepage::System(), std::size_t(1) << 20, piece);
    return true;
}

std::optional<DeviceBitmap> QtClipboard::GetBitmap() {
    const std::shared_ptr<const Snapshot> held = Content();
    const Snapshot& content = *held;
    try {
        if (content.Kind == Snapshot::Picture::TooLarge)
            OutOfResources();
        if (content.Kind == Snapshot::Picture::None) {
            const std::optional<ContentOutline> outline = Outline();
            if (outline && outline->What == ContentOutline::Kind::Picture)
                throw ClipboardContentUnreadable("the picture does not decode");
            return std::nullopt;
        }
        return DeviceBitmapFromImage(content.Image);
    } catch (const std::bad_alloc&) {
        OutOfResources();
    }
}

std::optional<OwnerPicture> QtClipboard::GetOwnerPicture() {
    const std::shared_ptr<const Snapshot> held = Content();
    const Snapshot& content = *held;
    if (content.Kind != Snapshot::Picture::Decoded || content.PictureBytes.empty())
        return std::nullopt;
    return OwnerPicture{content.PictureType, content.PictureBytes};
}

std::optional<std::pair<std::int32_t, std::int32_t>> QtClipboard::GetBitmapSize() {
    if (const std::optional<ContentOutline> outline = Outline()) {
        if (outline->What == ContentOutline::Kind::Picture)
            return std::pair(outline->Width, outline->Height);
    }
    const std::shared_ptr<const Snapshot> held = Content();
    const Snapshot& content = *held;
    if (content.Kind == Snapshot::Picture::TooLarge)
        OutOfResources();
    if (content.Kind == Snapshot::Picture::None)
        return std::nullopt;
    return std::pair(content.Image.width(), content.Image.height());
}

std::optional<DevicePalette> QtClipboard::GetPalette() {
    return std::nullopt; // no transport offers palettes
}

void QtClipboard::Abandon() {
    transfer_.Stop();
}

void QtClipboard::Empty() {
    QGuiApplication::clipboard()->clear(QClipboard::Clipboard);
    transfer_.Stop();
    const std::lock_guard lock(ownMutex_);
    own_ = std::make_shared<const Snapshot>();
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
    auto* data = new QMimeData;
    data->setText(QString::fromStdString(writtenText_));
    data->setData(QString::fromLatin1(OwnCopyType), QByteArray());
    QGuiApplication::clipboard()->setMimeData(data, QClipboard::Clipboard);
    // What we put there is what the clipboard now holds.
    auto own = std::make_shared<Snapshot>();
    own->Utf8Text = writtenText_;
    const std::lock_guard lock(ownMutex_);
    own_ = std::move(own);
}

} // namespace sorvak::platform
