#pragma once
// The system file dialog on Linux: a non-native QFileDialog embedded in a
// dialog of our own, laid out with the request's child template around it,
// answering the dialog calls of the dialog logic.
#include "dialogs/FileDialogService.h"
#include "platform/filedialog/FileDialogRequest.h"
#include "platform/qt/QtTranslations.h"

#include <QDialog>
#include <QStringList>

#include <exception>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class QCheckBox;
class QComboBox;
class QFileDialog;
class QLineEdit;
class QRect;

namespace sorvak::platform {

class TemplateWindow;

// Shows a failure raised by a notification step; ShowException by default.
using ErrorReporter = std::function<void(const std::exception&)>;
// Makes the panes of one running dialog: host is the window of the child
// template, spare its area outside the standard controls (host coordinates).
using PaneMaker = std::function<std::unique_ptr<DialogPanes>(QWidget* host, const QRect& spare)>;

class SystemFileDialog : public QDialog, public FileDialogWindow {
    Q_OBJECT
public:
    enum class Mode { Open, Save };

    // The request must outlive the dialog: results are written into it.
    SystemFileDialog(OpenFileNameRequest& request, Mode mode, ErrorReporter reportError,
                     PaneMaker makePanes = {}, QWidget* parent = nullptr);
    ~SystemFileDialog() override;

    // Runs the dialog application-modal. Nonzero when the user confirmed;
    // the chosen path, the filter index and the result flags are then in the
    // request. 0 also when the request cannot be served (unknown template).
    int Run();

    // The dialog window of the child template: the standard controls sit in
    // its placeholder, the panes of the dialog classes go into the rest.
    QWidget* TemplateArea() const;
    // The rectangle of the template outside the placeholder, in TemplateArea
    // coordinates (empty without a template).
    QRect ExtraArea() const;

    // Parts of the standard controls, for the dialog classes and for tests.
    QFileDialog* FileDialog() const;
    QLineEdit* NameField() const;
    QComboBox* TypeBox() const;
    QCheckBox* ReadOnlyBox() const { return readOnly_; }
    QWidget* PlacesBar() const;
    // True once the init-done notification has been raised.
    bool IsInitDone() const { return initDone_; }
    // The name filters as given to the file dialog, one per pair.
    const QStringList& NameFilters() const { return adapter_.NameFilters(); }

    // FileDialogWindow
    TRect ClientRect() const override;
    TRect PlaceholderRect() const override;
    TRect FrameRect() const override;
    TRect PrimaryMonitorRect() const override;
    void MoveFrame(int left, int top) override;
    std::string CurrentFilePath() const override;
    std::string FileNameText() const override;
    void SetFileNameText(std::string_view text) override;
    DialogPanes* Panes() override;

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    class Embedded;
    class IncludeFilter;
    friend class Embedded;

    void BuildFileDialog();
    void BuildTemplate();
    void ConnectNotifications();
    void WidenForColumn();
    void PlaceOnScreen();
    void RaiseInitDone();
    void OnTypeActivated(int index);
    // Called by the embedded dialog before it works out the chosen name.
    void PrepareAccept();
    // Called by the embedded dialog when it would close.
    void FinishInner(int result);
    template <typename F> bool Guarded(F&& step);

    OpenFileNameRequest& request_;
    Mode mode_;
    ErrorReporter reportError_;
    PaneMaker makePanes_;
    std::unique_ptr<DialogPanes> panes_;
    RequestAdapter adapter_;
    OpenFileNameHook* hook_;
    Embedded* files_ = nullptr;
    TemplateWindow* templateWindow_ = nullptr;
    QWidget* standard_ = nullptr;
    QCheckBox* readOnly_ = nullptr;
    QString textBeforeTypeChange_;
    QString selectedPath_;
    bool typedSinceSelection_ = false;
    bool templateKnown_ = true;
    bool initDone_ = false;
    bool attached_ = false;
};

// The dialog calls, served by SystemFileDialog.
class SystemFileDialogService : public FileDialogService {
public:
    explicit SystemFileDialogService(ErrorReporter reportError = {}, PaneMaker makePanes = {});
    int GetOpenFileName(OpenFileNameRequest& request) override;
    int GetSaveFileName(OpenFileNameRequest& request) override;

private:
    ErrorReporter reportError_;
    PaneMaker makePanes_;
};

} // namespace sorvak::platform
