#pragma once
// The request's filter list as QFileDialog name filters.
#include <QString>

#include <string>
#include <vector>

namespace sorvak::platform {

struct NameFilter {
    // "description (patterns)", which QFileDialog parses; with the pattern
    // detail hidden it shows the description as given.
    QString Text;
    QString FirstPattern;
};

// Pairs of NUL-terminated parts in the ANSI code page, ended by an empty part.
std::vector<NameFilter> NameFiltersOf(const std::string& list);

// The extension of a plain pattern ("*.png" gives "png"), else empty.
QString PlainExtension(const QString& pattern);

// "*" or "?": a pattern, not a name.
bool HasWildcard(const QString& name);

} // namespace sorvak::platform
