#pragma once
// The preview window: the picture alone, as large as three quarters of the
// monitor allow, in a sizeable tool window that Escape closes.
#include <QDialog>
#include <QImage>

class QFrame;

namespace sorvak::widgets {

class PaintBox;

class PreviewForm : public QDialog {
    Q_OBJECT
public:
    // Holds a copy of picture; sized for it and centred on the screen.
    explicit PreviewForm(const QImage& picture, QWidget* parent = nullptr);
    QFrame* Panel() const { return panel_; }
    PaintBox* Image() const { return image_; }

private:
    QFrame* panel_;
    PaintBox* image_;
};

} // namespace sorvak::widgets
