#pragma once
// The file open/save dialog component: properties, the run step that turns
// them into the system dialog's request, and the notifications of a run.
#include "base/CodePage.h"
#include "dialogs/CommonDialog.h"
#include "dialogs/OpenOptions.h"

#include <memory>
#include <string>
#include <vector>

namespace sorvak {

using TCloseQueryEvent = std::function<void(TCommonDialog& sender, bool& canClose)>;
using TIncludeItemEvent =
    std::function<void(TCommonDialog& sender, const std::string& path, bool& include)>;

// The filter string as the system takes it: every "|" that is not the second
// byte of a double-byte character becomes NUL, and one more NUL ends the list.
std::string FilterList(const std::string& filter, int codePage = codepage::System());

class TOpenDialog : public TCommonDialog {
public:
    // service: the system dialog; a dialog without one cannot run.
    explicit TOpenDialog(FileDialogService* service = nullptr);
    ~TOpenDialog() override;

    // Published properties.
    std::string DefaultExt;
    std::string Filter;
    std::string InitialDir;
    TOpenOptions Options{TOpenOption::ofHideReadOnly, TOpenOption::ofEnableSizing};
    TOpenOptionsEx OptionsEx;
    std::string Title;
    TCloseQueryEvent OnCanClose;
    TNotifyEvent OnFolderChange;
    TNotifyEvent OnSelectionChange;
    TNotifyEvent OnTypeChange;
    TIncludeItemEvent OnIncludeItem;

    // While the dialog is shown: the path of the current selection; otherwise
    // the stored name (the proposed one, or the one chosen last).
    std::string FileName() const;
    void SetFileName(const std::string& name) { fileName_ = name; }
    // While the dialog is shown: the filter the user has selected.
    int FilterIndex() const;
    void SetFilterIndex(int index) { filterIndex_ = index; }

    const std::vector<std::string>& ChosenFiles() const { return chosenFiles_; }
    // Name of the child template laid out around the standard controls.
    std::string ChildTemplate;
    // The code page of the filter string's double-byte rule.
    int CodePage = codepage::System();

    FileDialogService* Service() const;

    // Shows the open dialog.
    bool Execute() override;
    // The run step; the dialog call leaves its results in the request.
    int RunDialog(const DialogCall& call);
    // Where the standard controls are, in the dialog window's client
    // coordinates; empty while no dialog is shown.
    virtual TRect StandardArea() const;

protected:
    // Notification steps; each base raises the event of the same name.
    virtual void DoCanClose(bool& canClose);
    virtual void DoSelectionChange();
    virtual void DoFolderChange();
    virtual void DoTypeChange();
    virtual void DoIncludeItem(const std::string& path, bool& include);

    bool IsExplorerStyle() const;
    OpenFileNameRequest BuildRequest() const;
    void ReadFileNames(const OpenFileNameRequest& request);

    // Open and save calls of the service, for Execute of the descendants.
    int OpenCall(OpenFileNameRequest& request);
    int SaveCall(OpenFileNameRequest& request);

private:
    class Hook;
    friend class Hook;

    FileDialogService* service_;
    std::string fileName_;
    int filterIndex_ = 1;
    int currentFilterIndex_ = 1;
    std::vector<std::string> chosenFiles_;
    std::unique_ptr<Hook> hook_;
};

} // namespace sorvak
