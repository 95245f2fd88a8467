#pragma once
// The modal dialog component with show and close notifications.
#include "dialogs/FileDialogService.h"
#include "dialogs/Geometry.h"

#include <functional>

namespace sorvak {

class TCommonDialog;
using TNotifyEvent = std::function<void(TCommonDialog& sender)>;
// The dialog call that the run step hands the request to.
using DialogCall = std::function<int(OpenFileNameRequest& request)>;

// Where a window of the given frame rectangle goes to be centred on a monitor:
// across by half, down by a third of the room left, truncating.
TPoint CentredPosition(const TRect& window, const TRect& monitor);

class TCommonDialog {
public:
    TCommonDialog() = default;
    TCommonDialog(const TCommonDialog&) = delete;
    TCommonDialog& operator=(const TCommonDialog&) = delete;
    virtual ~TCommonDialog() = default;

    bool Ctl3D = true;
    int HelpContext = 0;
    TNotifyEvent OnClose;
    TNotifyEvent OnShow;

    // True when the user confirmed.
    virtual bool Execute() = 0;
    // The window of the running dialog; none while the dialog is not shown.
    FileDialogWindow* Window() const { return window_; }

protected:
    // Runs the call with the rest of the program disabled; undone also when
    // the call throws. The system dialog is application-modal, which disables
    // the program's other windows for as long as it runs.
    virtual int RunTaskModal(const DialogCall& call, OpenFileNameRequest& request);
    virtual void DoClose();
    virtual void DoShow();

    FileDialogWindow* window_ = nullptr;
};

} // namespace sorvak
