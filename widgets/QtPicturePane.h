#pragma once
// The picture dialogs' pane in Qt: PicturePanel with PictureLabel,
// PreviewButton and PaintPanel, which holds PaintBox.
#include "dialogs/PicturePane.h"

#include <QFrame>
#include <QImage>
#include <QPointer>

class QLabel;
class QToolButton;

namespace sorvak::widgets {

// The picture stretched into the box with its proportions kept, centred.
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

// A panel whose caption shows while no picture does; when painting its
// picture fails, the caption says so instead of the error going further.
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

// The pane as the dialog logic drives it. PicturePanel belongs to the
// dialog window; the pane deletes it unless the window went first.
class QtPicturePane : public PicturePane {
public:
    explicit QtPicturePane(QWidget* host);
    ~QtPicturePane() override;

    PicturePanel* Panel() const { return panel_; }

    TRect PanelBounds() const override;
    void SetPanelBounds(const TRect& bounds) override;
    TRect PaintPanelBounds() const override;
    TRect PreviewButtonBounds() const override;
    void SetPreviewButtonBounds(const TRect& bounds) override;
    std::string LabelText() const override;
    void SetLabelText(const std::string& text) override;
    bool PreviewEnabled() const override;
    void SetPreviewEnabled(bool enabled) override;
    std::string PaintCaption() const override;
    void SetPaintCaption(const std::string& text) override;
    std::optional<TPictureSize> LoadPicture(const std::string& fileName,
                                            TPictureFormat format) override;
    void ClearPicture() override;
    void ShowPanel() override;
    void ShowPreview() override;
    void HideHints() override;

private:
    QPointer<PicturePanel> panel_;
};

} // namespace sorvak::widgets
