#pragma once
// The picture dialogs' pane: PictureLabel and PreviewButton over PaintPanel,
// which holds PaintBox.
#include "widgets/SilentPaintPanel.h"

#include <QFrame>

class QLabel;
class QToolButton;

namespace sorvak::widgets {

class PicturePanel : public QFrame {
    Q_OBJECT
public:
    explicit PicturePanel(QWidget* parent = nullptr);
    QLabel* PictureLabel() const { return label_; }
    QToolButton* PreviewButton() const { return button_; }
    TSilentPaintPanel* PaintPanel() const { return paintPanel_; }
    // Places the label and PaintPanel inside the border for the current size.
    void LayOut();

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    QLabel* label_;
    QToolButton* button_;
    TSilentPaintPanel* paintPanel_;
};

} // namespace sorvak::widgets
