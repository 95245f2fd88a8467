#include "platform/filedialog/SystemFileDialog.h"

namespace sorvak::platform {

SystemFileDialogService::SystemFileDialogService(ErrorReporter reportError, PaneMaker makePanes)
    : reportError_(std::move(reportError)), makePanes_(std::move(makePanes)) {}

int SystemFileDialogService::GetOpenFileName(OpenFileNameRequest& request) {
    SystemFileDialog dialog(request, SystemFileDialog::Mode::Open, reportError_, makePanes_);
    return dialog.Run();
}

int SystemFileDialogService::GetSaveFileName(OpenFileNameRequest& request) {
    SystemFileDialog dialog(request, SystemFileDialog::Mode::Save, reportError_, makePanes_);
    return dialog.Run();
}

} // namespace sorvak::platform
