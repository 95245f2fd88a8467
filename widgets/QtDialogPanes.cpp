#include "QtDialogPanes.h"

#include "QtPicturePane.h"
#include "TextPreviewPane.h"

namespace sorvak::widgets {

QtDialogPanes::QtDialogPanes(QWidget* host, const QRect& spare) : host_(host), spare_(spare) {}

std::unique_ptr<TextPreviewPane> QtDialogPanes::CreateTextPreviewPane() {
    return nullptr; // the preview strip comes with the text dialogs
}

std::unique_ptr<PicturePane> QtDialogPanes::CreatePicturePane() {
    return std::make_unique<QtPicturePane>(host_);
}

std::unique_ptr<DialogPanes> MakeDialogPanes(QWidget* host, const QRect& spare) {
    return std::make_unique<QtDialogPanes>(host, spare);
}

} // namespace sorvak::widgets
