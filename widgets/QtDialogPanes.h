#pragma once
// The program's own Qt windows and panes: the panes that the dialog classes
// put into the system file dialog, and the windows the driver opens.
#include "dialogs/DialogPanes.h"

#include <QRect>

#include <memory>

class QWidget;

namespace sorvak::widgets {

// The panes of one running file dialog, made as children of host inside its
// spare area.
class QtDialogPanes : public DialogPanes {
public:
    QtDialogPanes(QWidget* host, const QRect& spare);
    std::unique_ptr<TextPreviewPane> CreateTextPreviewPane() override;
    std::unique_ptr<PicturePane> CreatePicturePane() override;

private:
    QWidget* host_;
    QRect spare_;
};

// The pane maker that the program hands to the system file dialog.
std::unique_ptr<DialogPanes> MakeDialogPanes(QWidget* host, const QRect& spare);

} // namespace sorvak::widgets
