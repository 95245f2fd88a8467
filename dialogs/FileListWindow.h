#pragma once
// The file list window as the dispatch sees it: the driver fills it and
// shows it; the window itself is a Qt widget the program supplies.
#include "dialogs/TextDlgs.h"

#include <string>

namespace sorvak {

// The settings section of the window's save dialog: the dispatch reads its
// "InitialDir", the window's save writes it.
inline constexpr const char* FileListSettingsSection = "FilePathSaveDialog";

class FileListWindow {
public:
    virtual ~FileListWindow() = default;
    // The window's own save dialog (TextSaveDialog1).
    virtual TTextSaveDialog& SaveDialog() = 0;
    // The whole text of Memo1, in the ANSI code page.
    virtual void SetMemoText(const std::string& text) = 0;
    // Returns when the user closed the window.
    virtual void ShowModal() = 0;
};

} // namespace sorvak
