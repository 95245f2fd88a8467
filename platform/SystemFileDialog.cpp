#include "SystemFileDialog.h"

#include "CodePage.h"
#include "CommonDialog.h"
#include "Exception.h"
#include "FileDialogFilters.h"
#include "FileDialogTemplate.h"
#include "MessageBoxes.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QFileIconProvider>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QLibraryInfo>
#include <QLineEdit>
#include <QLocale>
#include <QMimeDatabase>
#include <QScreen>
#include <QSortFilterProxyModel>
#include <QStandardPaths>
#include <QTimer>
#include <QTranslator>
#include <QUrl>
#include <QVBoxLayout>

#include <optional>

namespace sorvak::platform {

namespace {

QString FromAnsi(std::string_view text) {
    const std::string utf8 = codepage::ToUtf8(text);
    return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

std::string ToAnsi(const QString& text) {
    const QByteArray utf8 = text.toUtf8();
    return codepage::FromUtf8(std::string_view(utf8.constData(), utf8.size()));
}

TRect ToRect(const QRect& r) {
    return {r.left(), r.top(), r.left() + r.width(), r.top() + r.height()};
}

// Qt's provider reads a file's first bytes to name its type, on the GUI
// thread: a file such as /proc/kmsg then blocks the dialog for ever
// (QTBUG-110416). Types and icons here come from the name alone.
class NameOnlyIconProvider : public QFileIconProvider {
public:
    using QFileIconProvider::icon;
    QIcon icon(const QFileInfo& info) const override {
        if (info.isDir())
            return QFileIconProvider::icon(QFileIconProvider::Folder);
        return QFileIconProvider::icon(QFileIconProvider::File);
    }
    QString type(const QFileInfo& info) const override {
        if (!info.isFile())
            return QFileIconProvider::type(info);
        const QMimeType mime =
            QMimeDatabase().mimeTypeForFile(info.fileName(), QMimeDatabase::MatchExtension);
        return mime.comment().isEmpty() ? mime.name() : mime.comment();
    }
};

} // namespace

void InstallQtTranslations() {
    static bool installed = false;
    if (installed || QCoreApplication::instance() == nullptr)
        return;
    installed = true;
    auto* translator = new QTranslator(QCoreApplication::instance());
    if (translator->load(QLocale::system(), QStringLiteral("qt"), QStringLiteral("_"),
                         QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(translator);
    else
        delete translator;
}

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
      makePanes_(std::move(makePanes)), hook_(request.lpfnHook) {
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
        readOnly_ = new QCheckBox(QString::fromUtf8("読み取り専用ファイルとして開く(&R)"));
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
    files_->setWindowFlags(Qt::Widget);
    files_->setSizeGripEnabled(false);
    files_->setAcceptMode(mode_ == Mode::Save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    if (mode_ == Mode::Open && (request_.Flags & ofn::AllowMultiSelect) != 0)
        files_->setFileMode(QFileDialog::ExistingFiles);
    else if (mode_ == Mode::Open && (request_.Flags & ofn::FileMustExist) != 0)
        files_->setFileMode(QFileDialog::ExistingFile);
    else
        files_->setFileMode(QFileDialog::AnyFile);
    // The overwrite question only when the request asks for it.
    files_->setOption(QFileDialog::DontConfirmOverwrite,
                      (request_.Flags & ofn::OverwritePrompt) == 0);
    if ((request_.Flags & ofn::ForceShowHidden) != 0)
        files_->setFilter(files_->filter() | QDir::Hidden);
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

    BuildFilters();

    const QString dir = FromAnsi(request_.lpstrInitialDir);
    if (!dir.isEmpty() && QFileInfo(dir).isDir())
        files_->setDirectory(dir);
    else
        files_->setDirectory(QDir::currentPath());
    const QString name = FromAnsi(request_.FileText());
    if (!name.isEmpty())
        files_->selectFile(name);
}

void SystemFileDialog::BuildFilters() {
    for (const NameFilter& filter : NameFiltersOf(request_.lpstrFilter)) {
        nameFilters_.append(filter.Text);
        firstPatterns_.push_back(filter.FirstPattern);
    }
    if (nameFilters_.isEmpty())
        return;
    files_->setOption(QFileDialog::HideNameFilterDetails, true);
    files_->setNameFilters(nameFilters_);
    std::uint32_t index = request_.nFilterIndex;
    if (index == 0 || index > static_cast<std::uint32_t>(nameFilters_.size()))
        index = 1;
    request_.nFilterIndex = index;
    files_->selectNameFilter(nameFilters_[static_cast<qsizetype>(index - 1)]);
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
    request_.nFilterIndex = static_cast<std::uint32_t>(index + 1);
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
    // A name without an extension gets the selected filter's, when that is a
    // plain one, else the request's default; a wildcard is no extension.
    const int index = static_cast<int>(request_.nFilterIndex) - 1;
    QString suffix;
    if (index >= 0 && index < static_cast<int>(firstPatterns_.size()))
        suffix = PlainExtension(firstPatterns_[static_cast<std::size_t>(index)]);
    if (suffix.isEmpty())
        suffix = FromAnsi(request_.lpstrDefExt);
    if (HasWildcard(suffix) || suffix.contains(u'/'))
        suffix.clear();
    files_->setDefaultSuffix(suffix);
}

bool SystemFileDialog::WriteResult(const QStringList& files) {
    std::string buffer;
    if (files.size() > 1 && (request_.Flags & ofn::AllowMultiSelect) != 0) {
        // The folder, then the names, each NUL-terminated, and one more NUL.
        buffer = ToAnsi(QFileInfo(files.first()).absolutePath());
        buffer.push_back('\0');
        for (const QString& f : files) {
            buffer += ToAnsi(QFileInfo(f).fileName());
            buffer.push_back('\0');
        }
    } else {
        buffer = ToAnsi(files.first());
        buffer.push_back('\0');
    }
    // A path that does not fit must not be cut into another file's name.
    if (buffer.size() > request_.nMaxFile || request_.lpstrFile.size() < buffer.size()) {
        reportError_(Exception("ファイル名が長すぎます"));
        return false;
    }
    std::fill(request_.lpstrFile.begin(), request_.lpstrFile.end(), '\0');
    std::copy(buffer.begin(), buffer.end(), request_.lpstrFile.begin());

    std::uint32_t flags = request_.Flags & ~(ofn::ReadOnly | ofn::ExtensionDifferent);
    if (readOnly_ != nullptr && readOnly_->isChecked())
        flags |= ofn::ReadOnly;
    const QString defaultExt = FromAnsi(request_.lpstrDefExt);
    if (!defaultExt.isEmpty() &&
        QFileInfo(files.first()).suffix().compare(defaultExt, Qt::CaseInsensitive) != 0)
        flags |= ofn::ExtensionDifferent;
    request_.Flags = flags;
    return true;
}

void SystemFileDialog::FinishInner(int result) {
    if (result != QDialog::Accepted) {
        reject();
        return;
    }
    const QStringList files = files_->selectedFiles();
    if (files.isEmpty() || !WriteResult(files))
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
    PlaceOnScreen();
    const int result = exec();
    if (hook_ != nullptr)
        Guarded([&] { hook_->Destroy(); });
    return result == QDialog::Accepted ? 1 : 0;
}

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
