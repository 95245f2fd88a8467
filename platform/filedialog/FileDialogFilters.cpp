#include "platform/filedialog/FileDialogFilters.h"

#include "dialogs/FilterExtension.h"
#include "platform/qt/QtAnsi.h"

#include <QRegularExpression>
#include <QStringList>

namespace sorvak::platform {

namespace {

// Characters QFileDialog accepts between the parentheses of a name filter.
bool IsParsablePatternList(const QString& patterns) {
    static const QRegularExpression allowed(
        QStringLiteral("^[a-zA-Z0-9_.,*? +;#\\-\\[\\]@\\{\\}/!<>\\$%&=^~:\\|]*$"));
    return allowed.match(patterns).hasMatch();
}

} // namespace

std::vector<NameFilter> NameFiltersOf(const std::string& list) {
    QStringList parts;
    std::size_t pos = 0;
    while (pos < list.size()) {
        const std::size_t end = list.find('\0', pos);
        const std::size_t stop = end == std::string::npos ? list.size() : end;
        if (stop == pos)
            break;
        parts.append(FromAnsi(std::string_view(list).substr(pos, stop - pos)));
        pos = stop + 1;
    }
    std::vector<NameFilter> filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QStringList patterns = parts[i + 1].split(u';', Qt::SkipEmptyParts);
        for (QString& p : patterns)
            p = p.trimmed();
        const QString joined = patterns.join(u' ');
        // Patterns QFileDialog cannot parse would be taken as file names:
        // such a pair lists every file.
        const QString shown = IsParsablePatternList(joined) ? joined : QStringLiteral("*");
        filters.push_back({parts[i] + QStringLiteral(" (") + shown + u')', patterns.value(0)});
    }
    return filters;
}

QString PlainExtension(const QString& pattern) {
    return FromAnsi(PlainPatternExtension(ToAnsi(pattern)));
}

bool HasWildcard(const QString& name) {
    return name.contains(u'*') || name.contains(u'?');
}

} // namespace sorvak::platform
