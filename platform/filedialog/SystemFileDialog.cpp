#include "platform/filedialog/SystemFileDialog.h"

#include "dialogs/CommonDialog.h"
#include "platform/filedialog/FileDialogFilters.h"
#include "platform/filedialog/FileDialogTemplate.h"
#include "platform/filedialog/FileListColumns.h"
#include "platform/filedialog/NameOnlyIconProvider.h"
#include "platform/qt/MessageBoxes.h"
#include "platform/qt/QtAnsi.h"
#include "platform/qt/QtTranslations.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QLineEdit>
#include <QScreen>
#include <QSortFilterProxyModel>
#include <QStandardPaths>
#include <QTimer>
#include <QUrl>
#include <QVBoxLayout>

#include <algorithm>
#include <optional>

namespace sorvak::platform {

namespace {

TRect ToRect(const QRect& r) {
    return {r.left(), r.top(), r.left() + r.width(), r.top() + r.height()};
}

} // namespace

// The file dialog as a widget: closing it closes the outer dialog instead of
// hiding it, and the chosen name is worked out with our extension rule.
class SystemFileDialog::Embedded : public QFileDialog {
public:
    explicit Embedded(SystemFileDialog& owner) : QFileDialog(&owner), owner_(owner) {}

    void accept() override {
        owner_.PrepareAccept();
        const QString typed = NameField()->text();
        if (HasWildcard(typed) && !QFileInfo(typed).isAbsolute() && !typed.contains(u'/')) {
            // A typed pattern filters the list, as in the system dialogs.
            if (auto* model = findChild<QFileSystemModel*>())
                model->setNameFilters(typed.split(u';', Qt::SkipEmptyParts));
            return;
        }
        // The file dialog passes over a name longer than the folder takes
        // without a word (and counts characters, not bytes): say so here.
        for (const QString& file : selectedFiles())
            if (TooLongForTheSystem(file)) {
                owner_.Guarded([] { ThrowNameTooLong(); });
                return;
            }
        QFileDialog::accept();
    }
    void done(int result) override { owner_.FinishInner(result); }

    QLineEdit* NameField() const { return findChild<QLineEdit*>(QStringLiteral("fileNameEdit")); }

private:
    SystemFileDialog& owner_;
};

// Asks the include-item step for every file the list would show.
class SystemFileDialog::IncludeFilter : public QSortFilterProxyModel {
public:
    explicit IncludeFilter(SystemFileDialog& owner)
        : QSortFilterProxyModel(&owner), owner_(owner) {}

protected:
    bool filterAcceptsRow(int row, const QModelIndex& parent) const override {
        auto* model = qobject_cast<QFileSystemModel*>(sourceModel());
        if (model == nullptr || owner_.hook_ == nullptr)
            return true;
        const QModelIndex index = model->index(row, 0, parent);
        if (model->isDir(index))
            return true;
        bool include = true;
        const std::string path = ToAnsi(model->filePath(index));
        owner_.Guarded([&] { include = owner_.hook_->IncludeItem(path); });
        return include;
    }

private:
    SystemFileDialog& owner_;
};

SystemFileDialog::SystemFileDialog(OpenFileNameRequest& request, Mode mode,
                                   ErrorReporter reportError, PaneMaker makePanes, QWidget* parent)
    : QDialog(parent), request_(request), mode_(mode), reportError_(std::move(reportError)),
      makePanes_(std::move(makePanes)), adapter_(request), hook_(request.lpfnHook) {
    if (!reportError_)
        reportError_ = [](const std::exception& e) { ShowException(e); };
    InstallQtTranslations();
    setWindowModality(Qt::ApplicationModal);

    standard_ = new QWidget;
    auto* standardLayout = new QVBoxLayout(standard_);
    standardLayout->setContentsMargins(0, 0, 0, 0);
    BuildFileDialog();
    standardLayout->addWidget(files_);
    if ((request_.Flags & ofn::HideReadOnly) == 0) {
        readOnly_ = new QCheckBox(
            QCoreApplication::translate("FileDialog", "読み取り専用ファイルとして開く(&R)"));
        readOnly_->setChecked((request_.Flags & ofn::ReadOnly) != 0);
        auto* row = new QHBoxLayout;
        row->setContentsMargins(9, 0, 9, 0);
        row->addWidget(readOnly_);
        standardLayout->addLayout(row);
    }
    templateWindow_ = new TemplateWindow(this, standard_);
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->addWidget(templateWindow_);
    BuildTemplate();

    const QString title =
        request_.lpstrTitle.empty() ? files_->windowTitle() : FromAnsi(request_.lpstrTitle);
    setWindowTitle(title);
    files_->setWindowTitle(title); // the overwrite question's caption

    if ((request_.Flags & ofn::EnableSizing) != 0) {
        setSizeGripEnabled(true);
        resize(sizeHint());
    } else {
        outer->setSizeConstraint(QLayout::SetFixedSize);
    }
    ConnectNotifications();
}

SystemFileDialog::~SystemFileDialog() = default;

DialogPanes* SystemFileDialog::Panes() {
    // Made on first need, once the template has laid out its spare area.
    if (!panes_ && makePanes_)
        panes_ = makePanes_(templateWindow_, ExtraArea());
    return panes_.get();
}

template <typename F> bool SystemFileDialog::Guarded(F&& step) {
    try {
        step();
        return true;
    } catch (const std::exception& e) {
        reportError_(e);
    }
    return false;
}

void SystemFileDialog::BuildFileDialog() {
    files_ = new Embedded(*this);
    files_->setOption(QFileDialog::DontUseNativeDialog, true);
    // Kept for the life of the process: the model of a closing dialog may
    // still ask it.
    static auto* const iconProvider = new NameOnlyIconProvider;
    files_->setIconProvider(iconProvider);
    FitListColumns(*files_);
    files_->setWindowFlags(Qt::Widget);
    files_->setSizeGripEnabled(false);
    adapter_.ConfigureModes(*files_, mode_ == Mode::Save);
    if ((request_.Flags & ofn::EnableIncludeNotify) != 0)
        files_->setProxyModel(new IncludeFilter(*this));

    // FlagsEx exists only in the full form of the request.
    const bool noPlaces =
        request_.lStructSize >= ofn::FullSize && (request_.FlagsEx & ofn::ExNoPlacesBar) != 0;
    if (QWidget* places = PlacesBar()) {
        if (noPlaces) {
            places->hide();
        } else {
            QList<QUrl> urls{QUrl::fromLocalFile(QDir::homePath())};
            for (auto location :
                 {QStandardPaths::DesktopLocation, QStandardPaths::DocumentsLocation,
                  QStandardPaths::PicturesLocation, QStandardPaths::DownloadLocation}) {
                const QString path = QStandardPaths::writableLocation(location);
                if (!path.isEmpty() && path != QDir::homePath() && QFileInfo(path).isDir())
                    urls.append(QUrl::fromLocalFile(path));
            }
            urls.append(QUrl::fromLocalFile(QDir::rootPath()));
            files_->setSidebarUrls(urls);
        }
    }

    adapter_.ConfigureContent(*files_);
}

void SystemFileDialog::BuildTemplate() {
    if ((request_.Flags & ofn::EnableTemplate) == 0)
        return;
    const std::optional<TemplateLayout> layout = LayoutOfTemplate(request_.lpTemplateName);
    if (!layout) {
        templateKnown_ = false;
        return;
    }
    templateWindow_->SetLayout(*layout);
    // Keep the strip's top edge clear of the standard controls.
    if (templateWindow_->Extra().height() > 0)
        standard_->layout()->setContentsMargins(0, 0, 0, PaneOverlap);
}

void SystemFileDialog::ConnectNotifications() {
    // The current item is the selection until the user types; the name field
    // follows the list only later, or not at all while it has the focus.
    connect(files_, &QFileDialog::currentChanged, this, [this](const QString& path) {
        selectedPath_ = path;
        typedSinceSelection_ = false;
        if (hook_ != nullptr && initDone_)
            Guarded([&] { hook_->SelectionChange(); });
    });
    connect(NameField(), &QLineEdit::textEdited, this,
            [this](const QString&) { typedSinceSelection_ = true; });
    // Every way into another folder (list, side bar, typed path, history)
    // ends in a new root of the file system model.
    if (auto* model = files_->findChild<QFileSystemModel*>()) {
        connect(model, &QFileSystemModel::rootPathChanged, this, [this](const QString&) {
            selectedPath_.clear();
            if (hook_ != nullptr && initDone_)
                Guarded([&] { hook_->FolderChange(); });
        });
    }
    if (QComboBox* types = TypeBox()) {
        // A pick in the type box makes the file dialog put the filter's
        // extension into the typed name before we hear of it. The name is the
        // user's: it is taken before every input that can pick a type, and
        // given back after the pick.
        for (QObject* input : {static_cast<QObject*>(types), static_cast<QObject*>(types->view()),
                               static_cast<QObject*>(types->view()->viewport())})
            input->installEventFilter(this);
        connect(types, &QComboBox::activated, this, &SystemFileDialog::OnTypeActivated);
    }
}

bool SystemFileDialog::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
    case QEvent::KeyPress:
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::Wheel:
        textBeforeTypeChange_ = NameField()->text();
        break;
    default:
        break;
    }
    return QDialog::eventFilter(watched, event);
}

void SystemFileDialog::OnTypeActivated(int index) {
    QLineEdit* name = NameField();
    if (name->text() != textBeforeTypeChange_)
        name->setText(textBeforeTypeChange_);
    adapter_.SelectFilter(index);
    if (hook_ != nullptr)
        Guarded([&] { hook_->TypeChange(request_); });
}

QFileDialog* SystemFileDialog::FileDialog() const {
    return files_;
}

QWidget* SystemFileDialog::TemplateArea() const {
    return templateWindow_;
}

QRect SystemFileDialog::ExtraArea() const {
    return templateWindow_->ExtraArea();
}

QLineEdit* SystemFileDialog::NameField() const {
    return files_->NameField();
}

QComboBox* SystemFileDialog::TypeBox() const {
    return files_->findChild<QComboBox*>(QStringLiteral("fileTypeCombo"));
}

QWidget* SystemFileDialog::PlacesBar() const {
    return files_->findChild<QWidget*>(QStringLiteral("sidebar"));
}

TRect SystemFileDialog::ClientRect() const {
    return ToRect(templateWindow_->rect());
}

TRect SystemFileDialog::PlaceholderRect() const {
    return ToRect(standard_->geometry());
}

TRect SystemFileDialog::FrameRect() const {
    return ToRect(frameGeometry());
}

TRect SystemFileDialog::PrimaryMonitorRect() const {
    QScreen* screen = QGuiApplication::primaryScreen();
    return screen != nullptr ? ToRect(screen->geometry()) : TRect{};
}

void SystemFileDialog::MoveFrame(int left, int top) {
    move(left, top);
}

std::string SystemFileDialog::CurrentFilePath() const {
    if (!typedSinceSelection_ && !selectedPath_.isEmpty())
        return ToAnsi(selectedPath_);
    const QString typed = NameField()->text();
    const QDir dir = files_->directory();
    if (typed.isEmpty())
        return ToAnsi(dir.absolutePath());
    return ToAnsi(QDir::cleanPath(dir.absoluteFilePath(typed)));
}

std::string SystemFileDialog::FileNameText() const {
    return ToAnsi(NameField()->text());
}

void SystemFileDialog::SetFileNameText(std::string_view text) {
    typedSinceSelection_ = true;
    NameField()->setText(FromAnsi(text));
}

void SystemFileDialog::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!initDone_)
        QTimer::singleShot(0, this, &SystemFileDialog::RaiseInitDone);
}

void SystemFileDialog::WidenForColumn() {
    // adjustSize keeps a window within two thirds of the screen, which cuts
    // the list's columns once a column at the right takes its share.
    constexpr int ListWidth = 800;
    const int column = templateWindow_->Extra().width();
    QScreen* screen = QGuiApplication::primaryScreen();
    if (column <= 0 || screen == nullptr)
        return;
    const int wanted = std::min(ListWidth + column + (width() - templateWindow_->width()),
                                screen->availableGeometry().width());
    if (width() < wanted)
        resize(wanted, height());
}

void SystemFileDialog::PlaceOnScreen() {
    const TRect monitor = PrimaryMonitorRect();
    const TPoint at = CentredPosition(FrameRect(), monitor);
    move(at.X, at.Y);
}

void SystemFileDialog::RaiseInitDone() {
    if (initDone_)
        return;
    initDone_ = true;
    activateWindow();
    if (QLineEdit* name = NameField()) {
        name->setFocus();
        name->selectAll();
    }
    if (hook_ != nullptr)
        Guarded([&] { hook_->InitDone(); });
}

void SystemFileDialog::PrepareAccept() {
    files_->setDefaultSuffix(adapter_.AcceptSuffix());
}

void SystemFileDialog::FinishInner(int result) {
    if (result != QDialog::Accepted) {
        reject();
        return;
    }
    const QStringList files = files_->selectedFiles();
    const bool readOnly = readOnly_ != nullptr && readOnly_->isChecked();
    if (files.isEmpty() || !Guarded([&] { adapter_.WriteResult(files, readOnly); }))
        return;
    bool canClose = true;
    if (hook_ != nullptr && !Guarded([&] { canClose = hook_->FileOk(request_); }))
        canClose = false; // a failing check accepts nothing
    if (canClose)
        accept();
}

int SystemFileDialog::Run() {
    if (!templateKnown_)
        return 0;
    struct Detach {
        OpenFileNameHook* hook;
        ~Detach() {
            if (hook != nullptr)
                hook->Detach();
        }
    } detach{hook_};
    if (hook_ != nullptr)
        Guarded([&] { hook_->Attach(*this); });
    adjustSize();
    WidenForColumn();
    PlaceOnScreen();
    const int result = exec();
    if (hook_ != nullptr)
        Guarded([&] { hook_->Destroy(); });
    return result == QDialog::Accepted ? 1 : 0;
}

} // namespace sorvak::platform
