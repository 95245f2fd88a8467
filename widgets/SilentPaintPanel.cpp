#include "widgets/SilentPaintPanel.h"

#include <QPainter>

namespace sorvak::widgets {

TSilentPaintPanel::TSilentPaintPanel(QWidget* parent) : QFrame(parent), box_(new PaintBox(this)) {
    // Raised inside, lowered outside.
    setFrameStyle(QFrame::Panel | QFrame::Sunken);
    setLineWidth(1);
    setMidLineWidth(1);
    connect(box_, &PaintBox::PaintFailed, this, [this] {
        box_->SetPicture({});
        SetCaption(QString::fromUtf8("画像が不正です"));
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

} // namespace sorvak::widgets
