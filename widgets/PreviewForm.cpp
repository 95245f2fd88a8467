#include "widgets/PreviewForm.h"

#include "dialogs/SavePictureDialog.h"
#include "widgets/PaintBox.h"

#include <QFrame>
#include <QGuiApplication>
#include <QScreen>
#include <QVBoxLayout>

namespace sorvak::widgets {

namespace {

// The window's size before it is fitted to a picture.
constexpr QSize DesignedClient(400, 300);
constexpr int PanelMargin = 5;

} // namespace

PreviewForm::PreviewForm(const QImage& picture, QWidget* parent)
    : QDialog(parent, Qt::Tool), panel_(new QFrame(this)), image_(new PaintBox(panel_)) {
    setObjectName(QStringLiteral("PreviewForm"));
    setWindowTitle(QString::fromUtf8("プレビュー"));
    setModal(true);
    panel_->setObjectName(QStringLiteral("Panel"));
    panel_->setFrameStyle(QFrame::Box | QFrame::Plain);
    panel_->setLineWidth(1);
    panel_->setBackgroundRole(QPalette::Window);
    panel_->setAutoFillBackground(true);
    image_->setObjectName(QStringLiteral("Image"));
    image_->SetPicture(picture);
    auto* inner = new QVBoxLayout(panel_);
    inner->setContentsMargins(PanelMargin, PanelMargin, PanelMargin, PanelMargin);
    inner->addWidget(image_);
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->addWidget(panel_);

    QScreen* screen = parent != nullptr ? parent->screen() : QGuiApplication::primaryScreen();
    const QRect monitor = screen != nullptr ? screen->geometry() : QRect(0, 0, 1024, 768);
    const int border = 2 * panel_->frameWidth();
    const TPictureSize fitted =
        PreviewClientSize({DesignedClient.width(), DesignedClient.height()},
                          {DesignedClient.width() - border, DesignedClient.height() - border},
                          {picture.width(), picture.height()}, {monitor.width(), monitor.height()});
    resize(fitted.Width, fitted.Height);
    move(monitor.left() + (monitor.width() - fitted.Width) / 2,
         monitor.top() + (monitor.height() - fitted.Height) / 2);
}

} // namespace sorvak::widgets
