#pragma once
// The system file dialog as seen from the dialog logic: the dialog call, the
// window of a running dialog, and the notifications it raises.
#include "dialogs/DialogPanes.h"
#include "dialogs/Geometry.h"
#include "dialogs/OpenFileNameRequest.h"

#include <string>
#include <string_view>

namespace sorvak {

// The window of a running dialog (the child window made from the template,
// or the whole dialog without one). Texts are in the ANSI code page.
class FileDialogWindow {
public:
    virtual ~FileDialogWindow() = default;
    // Client rectangle of the dialog window.
    virtual TRect ClientRect() const = 0;
    // Area of the standard controls (the placeholder 1119), in the dialog
    // window's client coordinates.
    virtual TRect PlaceholderRect() const = 0;
    // The top-level frame in screen coordinates, and the primary monitor.
    virtual TRect FrameRect() const = 0;
    virtual TRect PrimaryMonitorRect() const = 0;
    // Moves the frame without resizing, activating or restacking it.
    virtual void MoveFrame(int left, int top) = 0;
    // Full path of the current selection or typed name.
    virtual std::string CurrentFilePath() const = 0;
    // The file-name field.
    virtual std::string FileNameText() const = 0;
    virtual void SetFileNameText(std::string_view text) = 0;
    // Makes panes in the template's spare area; null where the platform makes
    // none (the dialog logic then shows no pane).
    virtual DialogPanes* Panes() { return nullptr; }
};

// Notifications of a running dialog, in the order they can come. The system
// dialog catches what they throw, shows it in the error box and stays open.
class OpenFileNameHook {
public:
    virtual ~OpenFileNameHook() = default;
    // The dialog window exists (before it is shown).
    virtual void Attach(FileDialogWindow& window) = 0;
    // Laid out and shown.
    virtual void InitDone() = 0;
    virtual void SelectionChange() = 0;
    virtual void FolderChange() = 0;
    // The user confirmed the name in request; false keeps the dialog open.
    virtual bool FileOk(const OpenFileNameRequest& request) = 0;
    // The filter changed; request.nFilterIndex is the new one.
    virtual void TypeChange(const OpenFileNameRequest& request) = 0;
    // Whether an item (full path) is listed; asked with ofn::EnableIncludeNotify.
    virtual bool IncludeItem(const std::string& path) = 0;
    // The dialog window is being destroyed (close step), then is gone.
    virtual void Destroy() = 0;
    virtual void Detach() noexcept = 0;
};

// The dialog calls. Nonzero when the user confirmed; the results are left in
// the request (file buffer, Flags, nFilterIndex).
class FileDialogService {
public:
    virtual ~FileDialogService() = default;
    virtual int GetOpenFileName(OpenFileNameRequest& request) = 0;
    virtual int GetSaveFileName(OpenFileNameRequest& request) = 0;
};

} // namespace sorvak
