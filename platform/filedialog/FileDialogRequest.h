#pragma once
// The request record and the Qt file dialog: what the request asks of the
// dialog (modes, filters, filter index, folder, name), the extension a typed
// name gets, and the answer written back into the request.
#include "dialogs/OpenFileNameRequest.h"

#include <QString>
#include <QStringList>

#include <vector>

class QFileDialog;

namespace sorvak::platform {

// "ファイル名が長すぎます".
[[noreturn]] void ThrowNameTooLong();
// The system refuses the path as too long (ENAMETOOLONG): 255 bytes a name
// and 4095 a path on most Linux file systems, counted in its UTF-8 bytes.
bool TooLongForTheSystem(const QString& path);

class RequestAdapter {
public:
    // The request must outlive the adapter: results are written into it.
    explicit RequestAdapter(OpenFileNameRequest& request);

    // Sets the dialog's accept and file modes and the options the flags ask
    // for.
    void ConfigureModes(QFileDialog& files, bool save) const;
    // Sets the filters with the selected one, the folder and the name. An
    // index outside the filters becomes 1, in the request too.
    void ConfigureContent(QFileDialog& files);

    // The name filters as given to the file dialog, one per pair.
    const QStringList& NameFilters() const { return nameFilters_; }

    // The user picked the filter at this zero-based position.
    void SelectFilter(int position);

    // The extension a typed name without one gets on accepting: the selected
    // filter's when that is a plain one, else the request's default; never a
    // pattern or a path.
    QString AcceptSuffix() const;

    // Writes the chosen files and the result flags into the request. Raises
    // NameTooLongError when the system or the request's buffer cannot take
    // one of them.
    void WriteResult(const QStringList& files, bool readOnlyChecked);

private:
    OpenFileNameRequest& request_;
    QStringList nameFilters_;
    std::vector<QString> firstPatterns_;
};

} // namespace sorvak::platform
