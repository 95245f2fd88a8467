#include "SavePictureDialog.h"

#include "CodePage.h"
#include "SystemVersion.h"

namespace sorvak {

TOpenPictureDialog::TOpenPictureDialog(FileDialogService* service) : TOpenDialog(service) {
    Filter = codepage::FromUtf8("すべての画像 (*.bmp;*.ico;*.wmf;*.emf;*.jpeg;*.jpg;*.png;*.gif)|"
                                "*.bmp;*.ico;*.wmf;*.emf;*.jpeg;*.jpg;*.png;*.gif");
}

void TOpenPictureDialog::SetPictureTemplate() {
    const bool explorer =
        HasExplorerDialogs(SystemVersion()) && !Options.Contains(TOpenOption::ofOldStyleDialog);
    ChildTemplate = explorer ? PictureDialogTemplate : "";
}

bool TOpenPictureDialog::Execute() {
    SetPictureTemplate();
    return TOpenDialog::Execute();
}

bool TSavePictureDialog::Execute() {
    SetPictureTemplate();
    return RunDialog([this](OpenFileNameRequest& r) { return SaveCall(r); }) != 0;
}

} // namespace sorvak
