#include "widgets/QtDialogPanes.h"

#include "widgets/QtPicturePane.h"
#include "widgets/QtTextPreviewPane.h"

namespace sorvak::widgets {

QtDialogPanes::QtDialogPanes(QWidget* host, const QRect& spare) : host_(host), spare_(spare) {}

std::unique_ptr<TextPreviewPane> QtDialogPanes::CreateTextPreviewPane() {
    return std::make_unique<QtTextPreviewPane>(host_);
}

std::unique_ptr<PicturePane> QtDialogPanes::CreatePicturePane() {
    return std::make_unique<QtPicturePane>(host_);
}

std::unique_ptr<DialogPanes> MakeDialogPanes(QWidget* host, const QRect& spare) {
    return std::make_unique<QtDialogPanes>(host, spare);
}

} // namespace sorvak::widgets
