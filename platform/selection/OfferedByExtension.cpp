#include "platform/selection/OfferedByExtension.h"

#include <QMimeDatabase>
#include <QString>

namespace sorvak::platform {

namespace {

// The roads of the program's own: their files are made, not copied.
bool HasOwnRoad(const QMimeType& type) {
    for (const char* name : {"text/plain", "image/png", "image/jpeg", "image/bmp", "image/gif"})
        if (type.name() == QLatin1String(name))
            return true;
    return false;
}

} // namespace

std::optional<OfferedBytes> OfferedBytesForName(SelectionSource& source,
                                                const std::string& fileName) {
    const QMimeDatabase database;
    // By the name alone: the file may not exist, or hold something else.
    const QMimeType wanted =
        database.mimeTypeForFile(QString::fromStdString(fileName), QMimeDatabase::MatchExtension);
    if (!wanted.isValid() || wanted.isDefault() || HasOwnRoad(wanted))
        return std::nullopt;
    if (!source.HasOwner())
        return std::nullopt;
    for (const std::string& offered : source.Targets()) {
        // The database knows aliases (text/xml for application/xml...) and
        // names them by their one canonical type.
        const QString name = QString::fromStdString(offered).section(QLatin1Char(';'), 0, 0);
        if (database.mimeTypeForName(name.trimmed()) != wanted)
            continue;
        if (std::optional<std::string> bytes = source.Fetch(offered))
            return OfferedBytes{offered, std::move(*bytes)};
    }
    return std::nullopt;
}

} // namespace sorvak::platform
