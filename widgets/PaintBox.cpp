#include "widgets/PaintBox.h"

#include <QPainter>

namespace sorvak::widgets {

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

} // namespace sorvak::widgets
