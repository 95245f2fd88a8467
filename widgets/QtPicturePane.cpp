#include "widgets/QtPicturePane.h"

#include "widgets/PictureFile.h"
#include "widgets/PreviewForm.h"

#include <QLabel>
#include <QToolButton>
#include <QToolTip>

namespace sorvak::widgets {

namespace {

TRect ToRect(const QRect& r) {
    return {r.left(), r.top(), r.left() + r.width(), r.top() + r.height()};
}

QRect ToQRect(const TRect& r) {
    return {r.Left, r.Top, r.Width(), r.Height()};
}

QString FromUtf8(const std::string& text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

} // namespace

QtPicturePane::QtPicturePane(QWidget* host) : panel_(new PicturePanel(host)) {
    panel_->hide();
    auto click = [this] {
        if (OnPreviewClick)
            OnPreviewClick();
    };
    QObject::connect(panel_->PreviewButton(), &QToolButton::clicked, panel_, click);
    QObject::connect(panel_->PaintPanel()->Box(), &PaintBox::DoubleClicked, panel_, click);
}

QtPicturePane::~QtPicturePane() {
    delete panel_.data();
}

TRect QtPicturePane::PanelBounds() const {
    return panel_ ? ToRect(panel_->geometry()) : TRect{};
}

void QtPicturePane::SetPanelBounds(const TRect& bounds) {
    if (!panel_)
        return;
    panel_->setGeometry(ToQRect(bounds));
    panel_->LayOut(); // a hidden widget hears of its new size only when shown
}

TRect QtPicturePane::PaintPanelBounds() const {
    return panel_ ? ToRect(panel_->PaintPanel()->geometry()) : TRect{};
}

TRect QtPicturePane::PreviewButtonBounds() const {
    return panel_ ? ToRect(panel_->PreviewButton()->geometry()) : TRect{};
}

void QtPicturePane::SetPreviewButtonBounds(const TRect& bounds) {
    if (panel_)
        panel_->PreviewButton()->setGeometry(ToQRect(bounds));
}

std::string QtPicturePane::LabelText() const {
    return panel_ ? panel_->PictureLabel()->text().toStdString() : std::string();
}

void QtPicturePane::SetLabelText(const std::string& text) {
    if (panel_)
        panel_->PictureLabel()->setText(FromUtf8(text));
}

bool QtPicturePane::PreviewEnabled() const {
    return panel_ && panel_->PreviewButton()->isEnabled();
}

void QtPicturePane::SetPreviewEnabled(bool enabled) {
    if (panel_)
        panel_->PreviewButton()->setEnabled(enabled);
}

std::string QtPicturePane::PaintCaption() const {
    return panel_ ? panel_->PaintPanel()->Caption().toStdString() : std::string();
}

void QtPicturePane::SetPaintCaption(const std::string& text) {
    if (panel_)
        panel_->PaintPanel()->SetCaption(FromUtf8(text));
}

std::optional<TPictureSize> QtPicturePane::LoadPicture(const std::string& fileName,
                                                       TPictureFormat format) {
    if (!panel_)
        return std::nullopt;
    QImage picture;
    if (const std::optional<QByteArray> bytes = ReadRegularFile(fileName))
        picture = DecodePicture(*bytes, format);
    panel_->PaintPanel()->Box()->SetPicture(picture);
    if (picture.isNull())
        return std::nullopt;
    return TPictureSize{picture.width(), picture.height()};
}

void QtPicturePane::ClearPicture() {
    if (panel_)
        panel_->PaintPanel()->Box()->SetPicture({});
}

void QtPicturePane::ShowPanel() {
    if (panel_)
        panel_->show();
}

void QtPicturePane::ShowPreview() {
    if (!panel_)
        return;
    PreviewForm form(panel_->PaintPanel()->Box()->Picture(), panel_->window());
    form.exec();
}

void QtPicturePane::HideHints() {
    QToolTip::hideText();
}

} // namespace sorvak::widgets
