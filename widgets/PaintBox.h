#pragma once
// The picture stretched into the box with its proportions kept, centred.
#include <QImage>
#include <QWidget>

namespace sorvak::widgets {

class PaintBox : public QWidget {
    Q_OBJECT
public:
    explicit PaintBox(QWidget* parent = nullptr);
    void SetPicture(const QImage& picture);
    const QImage& Picture() const { return picture_; }
    // Where the picture is drawn, in this widget's coordinates.
    QRect PictureRect() const;

signals:
    void DoubleClicked();
    // Drawing the picture failed (its scaled copy could not be made).
    void PaintFailed();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    QImage picture_;
    QImage scaled_;
};

} // namespace sorvak::widgets
