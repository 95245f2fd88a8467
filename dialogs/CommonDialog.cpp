#include "dialogs/CommonDialog.h"

namespace sorvak {

TPoint CentredPosition(const TRect& window, const TRect& monitor) {
    // Integer division truncates towards zero, also for a window larger than
    // the monitor.
    return {monitor.Left + (monitor.Width() - window.Width()) / 2,
            monitor.Top + (monitor.Height() - window.Height()) / 3};
}

int TCommonDialog::RunTaskModal(const DialogCall& call, OpenFileNameRequest& request) {
    return call(request);
}

void TCommonDialog::DoClose() {
    if (OnClose)
        OnClose(*this);
}

void TCommonDialog::DoShow() {
    if (OnShow)
        OnShow(*this);
}

} // namespace sorvak
