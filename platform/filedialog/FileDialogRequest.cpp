#include "platform/filedialog/FileDialogRequest.h"

#include "base/CodePage.h"
#include "base/Exception.h"
#include "dialogs/CommonDialog.h"
#include "platform/filedialog/FileDialogFilters.h"
#include "platform/qt/QtAnsi.h"

#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>

#include <algorithm>
#include <cerrno>
#include <sys/stat.h>

namespace sorvak::platform {

namespace {

// The remembered folder under the name the code page gives it, else under
// its raw bytes: a folder remembered by a run in a UTF-8 locale still opens
// under Shift_JIS.
QString ExistingFolder(const std::string& remembered) {
    if (remembered.empty())
        return QString();
    for (const QString& dir :
         {FromAnsi(remembered),
          QString::fromUtf8(remembered.data(), static_cast<qsizetype>(remembered.size()))})
        if (QFileInfo(dir).isDir())
            return dir;
    return QString();
}

} // namespace

void ThrowNameTooLong() {
    throw Exception(SORVAK_TEXT("sorvak", "ファイル名が長すぎます"));
}

bool TooLongForTheSystem(const QString& path) {
    struct stat info {};
    return ::lstat(QFile::encodeName(path).constData(), &info) != 0 && errno == ENAMETOOLONG;
}

RequestAdapter::RequestAdapter(OpenFileNameRequest& request) : request_(request) {
    for (const NameFilter& filter : NameFiltersOf(request_.lpstrFilter)) {
        nameFilters_.append(filter.Text);
        firstPatterns_.push_back(filter.FirstPattern);
    }
}

void RequestAdapter::ConfigureModes(QFileDialog& files, bool save) const {
    const std::uint32_t flags = request_.Flags;
    files.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    if (!save && (flags & ofn::AllowMultiSelect) != 0)
        files.setFileMode(QFileDialog::ExistingFiles);
    else if (!save && (flags & ofn::FileMustExist) != 0)
        files.setFileMode(QFileDialog::ExistingFile);
    else
        files.setFileMode(QFileDialog::AnyFile);
    // The overwrite question only when the request asks for it.
    files.setOption(QFileDialog::DontConfirmOverwrite, (flags & ofn::OverwritePrompt) == 0);
    if ((flags & ofn::ForceShowHidden) != 0)
        files.setFilter(files.filter() | QDir::Hidden);
}

void RequestAdapter::ConfigureContent(QFileDialog& files) {
    if (!nameFilters_.isEmpty()) {
        files.setOption(QFileDialog::HideNameFilterDetails, true);
        files.setNameFilters(nameFilters_);
        std::uint32_t index = request_.nFilterIndex;
        if (index == 0 || index > static_cast<std::uint32_t>(nameFilters_.size()))
            index = 1;
        request_.nFilterIndex = index;
        files.selectNameFilter(nameFilters_[static_cast<qsizetype>(index - 1)]);
    }

    const QString dir = ExistingFolder(request_.lpstrInitialDir);
    if (!dir.isEmpty())
        files.setDirectory(dir);
    else
        files.setDirectory(QDir::currentPath());
    const QString name = FromAnsi(request_.FileText());
    if (!name.isEmpty())
        files.selectFile(name);
}

void RequestAdapter::SelectFilter(int position) {
    request_.nFilterIndex = static_cast<std::uint32_t>(position + 1);
}

QString RequestAdapter::AcceptSuffix() const {
    const int index = static_cast<int>(request_.nFilterIndex) - 1;
    QString suffix;
    if (index >= 0 && index < static_cast<int>(firstPatterns_.size()))
        suffix = PlainExtension(firstPatterns_[static_cast<std::size_t>(index)]);
    if (suffix.isEmpty())
        suffix = FromAnsi(request_.lpstrDefExt);
    if (HasWildcard(suffix) || suffix.contains(u'/'))
        suffix.clear();
    return suffix;
}

void RequestAdapter::WriteResult(const QStringList& files, bool readOnlyChecked) {
    for (const QString& f : files)
        if (TooLongForTheSystem(f))
            ThrowNameTooLong();
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
    if (buffer.size() > request_.nMaxFile || request_.lpstrFile.size() < buffer.size())
        ThrowNameTooLong();
    std::fill(request_.lpstrFile.begin(), request_.lpstrFile.end(), '\0');
    std::copy(buffer.begin(), buffer.end(), request_.lpstrFile.begin());

    std::uint32_t flags = request_.Flags & ~(ofn::ReadOnly | ofn::ExtensionDifferent);
    if (readOnlyChecked)
        flags |= ofn::ReadOnly;
    const QString defaultExt = FromAnsi(request_.lpstrDefExt);
    if (!defaultExt.isEmpty() &&
        QFileInfo(files.first()).suffix().compare(defaultExt, Qt::CaseInsensitive) != 0)
        flags |= ofn::ExtensionDifferent;
    request_.Flags = flags;
}

} // namespace sorvak::platform
