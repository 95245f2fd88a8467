#include "platform/filedialog/NameOnlyIconProvider.h"

#include <QFileInfo>
#include <QMimeDatabase>

namespace sorvak::platform {

QIcon NameOnlyIconProvider::icon(const QFileInfo& info) const {
    if (info.isDir())
        return QFileIconProvider::icon(QFileIconProvider::Folder);
    return QFileIconProvider::icon(QFileIconProvider::File);
}

QString NameOnlyIconProvider::type(const QFileInfo& info) const {
    if (!info.isFile())
        return QFileIconProvider::type(info);
    const QMimeType mime =
        QMimeDatabase().mimeTypeForFile(info.fileName(), QMimeDatabase::MatchExtension);
    return mime.comment().isEmpty() ? mime.name() : mime.comment();
}

} // namespace sorvak::platform
