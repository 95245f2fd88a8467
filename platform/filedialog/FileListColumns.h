#pragma once
// The detail columns of the file dialog's list.
class QFileDialog;

namespace sorvak::platform {

// The size, type and date columns take the width of their contents and
// headers, whatever width a previous run left in the user's settings; the
// name column takes what is left.
void FitListColumns(QFileDialog& dialog);

} // namespace sorvak::platform
