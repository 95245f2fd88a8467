#pragma once
// The panes that dialog classes put into the spare area of their child
// template (the strip below, or the column at the right of, the standard
// controls). The dialog logic decides what a pane shows and where; the
// platform makes the pane's controls in the running dialog's window.
#include <memory>

namespace sorvak {

class TextPreviewPane;
class PicturePane;

// Made by the platform for one running dialog window; the panes it makes are
// children of that window and must be freed before the window closes.
class DialogPanes {
public:
    virtual ~DialogPanes() = default;
    // The preview strip of the text dialogs.
    virtual std::unique_ptr<TextPreviewPane> CreateTextPreviewPane() = 0;
    // The picture pane of the picture dialogs.
    virtual std::unique_ptr<PicturePane> CreatePicturePane() = 0;
};

} // namespace sorvak
