#include "widgets/QtPicturePane.h"

#include "platform/qt/ShownTexts.h"
#include "resources/Glyphs.h"
#include "widgets/PictureFile.h"
#include "widgets/PreviewForm.h"

#include <QBitmap>
#include <QCoreApplication>
#include <QLabel>
#include <QPainter>
#include <QPixmap>
#include <QToolButton>
#include <QToolTip>

namespace sorvak::widgets {

namespace {

constexpr int BorderWidth = 6;
constexpr int LabelHeight = 23;

TRect ToRect(const QRect& r) {
    return {r.left(), r.top(), r.left() + r.width(), r.top() + r.height()};
}

QRect ToQRect(const TRect& r) {
    return {r.Left, r.Top, r.Width(), r.Height()};
}

// The glyph's lower left pixel gives the colour that lets the face show
// through, as button glyphs do.
QIcon PreviewGlyph() {
    const auto bmp = resources::FindBitmap("PREVIEWGLYPH");
    QPixmap glyph;
    glyph.loadFromData(bmp.data(), static_cast<uint>(bmp.size()), "BMP");
    if (glyph.isNull())
        return {};
    const QImage image = glyph.toImage();
    const QColor clear = image.pixelColor(0, image.height() - 1);
    glyph.setMask(QBitmap::fromImage(image.createMaskFromColor(clear.rgb(), Qt::MaskInColor)));
    return QIcon(glyph);
}

} // namespace

PaintBox::PaintBox(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_TransparentForMouseEvents, false);
}

void PaintBox::SetPicture(const QImage& picture) {
    picture_ = picture;
    scaled_ = QImage();
    update();
}

QRect PaintBox::PictureRect() const {
    if (picture_.isNull() || width() <= 0 || height() <= 0)
        return {};
    const QSize size = picture_.size().scaled(this->size(), Qt::KeepAspectRatio);
    return {QPoint((width() - size.width()) / 2, (height() - size.height()) / 2), size};
}

void PaintBox::paintEvent(QPaintEvent*) {
    const QRect target = PictureRect();
    if (target.isEmpty())
        return;
    if (scaled_.size() != target.size()) {
        scaled_ = picture_.scaled(target.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        if (scaled_.isNull()) {
            emit PaintFailed();
            return;
        }
    }
    QPainter(this).drawImage(target.topLeft(), scaled_);
}

void PaintBox::mouseDoubleClickEvent(QMouseEvent*) {
    emit DoubleClicked();
}

TSilentPaintPanel::TSilentPaintPanel(QWidget* parent) : QFrame(parent), box_(new PaintBox(this)) {
    // Raised inside, lowered outside.
    setFrameStyle(QFrame::Panel | QFrame::Sunken);
    setLineWidth(1);
    setMidLineWidth(1);
    connect(box_, &PaintBox::PaintFailed, this, [this] {
        box_->SetPicture({});
        SetCaption(QCoreApplication::translate("PicturePane", "画像が不正です"));
    });
}

void TSilentPaintPanel::SetCaption(const QString& caption) {
    caption_ = caption;
    update();
}

void TSilentPaintPanel::paintEvent(QPaintEvent* event) {
    QFrame::paintEvent(event);
    if (caption_.isEmpty())
        return;
    QPainter painter(this);
    painter.drawText(contentsRect(), Qt::AlignCenter, caption_);
}

void TSilentPaintPanel::resizeEvent(QResizeEvent* event) {
    QFrame::resizeEvent(event);
    box_->setGeometry(contentsRect());
}

PicturePanel::PicturePanel(QWidget* parent)
    : QFrame(parent), label_(new QLabel(this)), button_(new QToolButton(this)),
      paintPanel_(new TSilentPaintPanel(this)) {
    setObjectName(QStringLiteral("PicturePanel"));
    setFrameStyle(QFrame::NoFrame);
    setGeometry(204, 5, 169, 200);
    label_->setObjectName(QStringLiteral("PictureLabel"));
    label_->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    button_->setObjectName(QStringLiteral("PreviewButton"));
    button_->setGeometry(77, 1, 23, 22);
    button_->setIcon(PreviewGlyph());
    button_->setIconSize(QSize(16, 16));
    button_->setAutoRaise(true);
    button_->setToolTip(QCoreApplication::translate("PicturePane", "プレビュー"));
    button_->setEnabled(false);
    paintPanel_->setObjectName(QStringLiteral("PaintPanel"));
    paintPanel_->Box()->setObjectName(QStringLiteral("PaintBox"));
    // Tab order: PaintPanel first.
    paintPanel_->setFocusPolicy(Qt::TabFocus);
    button_->raise(); // it sits over the label's row
    LayOut();
}

void PicturePanel::LayOut() {
    label_->setGeometry(BorderWidth, BorderWidth, width() - 2 * BorderWidth, LabelHeight);
    const int top = BorderWidth + LabelHeight;
    paintPanel_->setGeometry(BorderWidth, top, width() - 2 * BorderWidth,
                             height() - top - BorderWidth);
}

void PicturePanel::resizeEvent(QResizeEvent* event) {
    QFrame::resizeEvent(event);
    LayOut();
}

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
        panel_->PictureLabel()->setText(platform::ShownText(text));
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
        panel_->PaintPanel()->SetCaption(platform::ShownText(text));
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
