#pragma once
// A panel whose caption shows while no picture does; when painting its
// picture fails, the caption says so instead of the error going further.
#include "widgets/PaintBox.h"

#include <QFrame>

namespace sorvak::widgets {

class TSilentPaintPanel : public QFrame {
    Q_OBJECT
public:
    explicit TSilentPaintPanel(QWidget* parent = nullptr);
    QString Caption() const { return caption_; }
    void SetCaption(const QString& caption);
    PaintBox* Box() const { return box_; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    PaintBox* box_;
    QString caption_;
};

} // namespace sorvak::widgets
