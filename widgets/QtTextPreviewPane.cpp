#include "widgets/QtTextPreviewPane.h"

#include "platform/qt/MessageBoxes.h"
#include "platform/qt/QtAnsi.h"
#include "platform/qt/ShownTexts.h"

#include <QCheckBox>
#include <QFontDatabase>
#include <QFontInfo>
#include <QFrame>
#include <QPlainTextEdit>
#include <QResizeEvent>
#include <QStyle>
#include <QStyleOption>

namespace sorvak::widgets {

namespace {

QRect ToQRect(const TRect& r) {
    return QRect(r.Left, r.Top, r.Width(), r.Height());
}

TRect ToRect(const QRect& r) {
    return {r.left(), r.top(), r.left() + r.width(), r.top() + r.height()};
}

// The panel keeps the preview's margins when the dialog resizes it along
// with the standard controls.
class PreviewPanel : public QFrame {
public:
    explicit PreviewPanel(QWidget* parent) : QFrame(parent) { setFrameShape(QFrame::NoFrame); }
    QPointer<QPlainTextEdit> preview;

protected:
    void resizeEvent(QResizeEvent* event) override {
        QFrame::resizeEvent(event);
        if (preview == nullptr || !event->oldSize().isValid())
            return;
        const QSize grown = event->size() - event->oldSize();
        preview->resize(preview->size() + grown);
    }
};

} // namespace

QtTextPreviewPane::QtTextPreviewPane(QWidget* host) : panel_(new PreviewPanel(host)) {
    panel_->show();
}

QtTextPreviewPane::~QtTextPreviewPane() {
    delete panel_; // null when the dialog went first
}

void QtTextPreviewPane::SetPanelBounds(const TRect& bounds) {
    panel_->setGeometry(ToQRect(bounds));
}

TRect QtTextPreviewPane::PanelClientRect() const {
    return ToRect(panel_->contentsRect());
}

void QtTextPreviewPane::CreateCheckBox(const TRect& bounds, const std::string& caption,
                                       bool checked) {
    delete checkBox_;
    checkBox_ = new QCheckBox(platform::ShownText(caption), panel_);
    checkBox_->setGeometry(ToQRect(bounds));
    checkBox_->setChecked(checked);
    QObject::connect(checkBox_, &QCheckBox::toggled, checkBox_, [this] { CheckToggled(); });
    checkBox_->show();
}

void QtTextPreviewPane::CheckToggled() {
    if (!OnCheckClick)
        return;
    // Nothing may leave a Qt slot: a failing preview goes to the error box
    // and the dialog stays open, as for the dialog's own notifications.
    try {
        OnCheckClick();
    } catch (const std::exception& failure) {
        platform::ShowException(failure);
    }
}

void QtTextPreviewPane::DestroyCheckBox() {
    delete checkBox_;
}

bool QtTextPreviewPane::Checked() const {
    return checkBox_ != nullptr && checkBox_->isChecked();
}

void QtTextPreviewPane::SetChecked(bool checked) {
    if (checkBox_ != nullptr)
        checkBox_->setChecked(checked);
}

void QtTextPreviewPane::CreatePreview(const TRect& bounds, const std::string& fontFace) {
    delete preview_;
    preview_ = new QPlainTextEdit(panel_);
    preview_->setGeometry(ToQRect(bounds));
    preview_->setReadOnly(true);
    preview_->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    preview_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    preview_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    QFont font = preview_->font();
    const QString face = QString::fromStdString(fontFace);
    font.setFamilies({face});
    if (QFontInfo(font).family() != face) {
        // Not installed: the system's fixed-pitch font, at the control's size.
        const QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
        font.setFamilies(fixed.families().isEmpty() ? QStringList{fixed.family()}
                                                    : fixed.families());
        font.setStyleHint(QFont::Monospace);
        font.setFixedPitch(true);
    }
    preview_->setFont(font);
    static_cast<PreviewPanel*>(panel_.data())->preview = preview_;
    preview_->show();
}

void QtTextPreviewPane::DestroyPreview() {
    delete preview_;
}

TRect QtTextPreviewPane::PreviewBounds() const {
    return preview_ != nullptr ? ToRect(preview_->geometry()) : TRect{};
}

void QtTextPreviewPane::SetPreviewBounds(const TRect& bounds) {
    if (preview_ != nullptr)
        preview_->setGeometry(ToQRect(bounds));
}

void QtTextPreviewPane::SetPreviewText(std::string_view ansi) {
    if (preview_ == nullptr)
        return;
    QString text = platform::FromAnsi(ansi);
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    preview_->setPlainText(text);
}

void QtTextPreviewPane::ClearPreview() {
    if (preview_ != nullptr)
        preview_->clear();
}

int QtTextPreviewPane::SizeGripWidth() const {
    // What QSizeGrip asks of the style for itself.
    QStyleOption option;
    option.initFrom(panel_);
    return panel_->style()
        ->sizeFromContents(QStyle::CT_SizeGrip, &option, QSize(13, 13), nullptr)
        .width();
}

} // namespace sorvak::widgets
