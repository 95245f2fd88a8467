#include "widgets/PicturePanel.h"

#include "resources/Glyphs.h"

#include <QBitmap>
#include <QLabel>
#include <QPixmap>
#include <QToolButton>

namespace sorvak::widgets {

namespace {

constexpr int BorderWidth = 6;
constexpr int LabelHeight = 23;

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
    button_->setToolTip(QString::fromUtf8("プレビュー"));
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

} // namespace sorvak::widgets
