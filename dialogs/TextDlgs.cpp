#include "TextDlgs.h"

#include "SystemVersion.h"

namespace sorvak {

TTextSaveDialog::TTextSaveDialog(FileDialogService* service) : TOpenDialog(service) {}

int TTextSaveDialog::ExtendedSaveCall(OpenFileNameRequest& request) {
    // A private copy carries the wish, so OptionsEx has no effect here; the
    // results are copied back for the run step to read.
    OpenFileNameRequest own = request;
    own.lStructSize = ofn::FullSize;
    own.FlagsEx = ShowPlacesBar ? 0 : ofn::ExNoPlacesBar;
    const int result = SaveCall(own);
    request = own;
    return result;
}

bool TTextSaveDialog::Execute() {
    const bool explorer =
        HasExplorerDialogs(SystemVersion()) && !Options.Contains(TOpenOption::ofOldStyleDialog);
    ChildTemplate = explorer ? TextDialogTemplate : "";
    if (IsExtendedSystem())
        return RunDialog([this](OpenFileNameRequest& r) { return ExtendedSaveCall(r); }) != 0;
    return RunDialog([this](OpenFileNameRequest& r) { return SaveCall(r); }) != 0;
}

} // namespace sorvak
