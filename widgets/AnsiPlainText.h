#pragma once
// Text in the ANSI code page shown in a Qt text box and taken back. Qt holds
// Unicode, and not every byte string survives the trip through it (a code
// page 932 character with two Unicode twins, bytes the code page leaves
// undefined), so lines the user did not change come back as the bytes they
// were.
#include "base/CodePage.h"

#include <QHash>
#include <QString>

#include <string>

namespace sorvak::widgets {

class AnsiPlainText {
public:
    explicit AnsiPlainText(int codePage = codepage::System()) : codePage_(codePage) {}

    // The text for the box, lines separated by "\n"; CR LF, CR and LF in the
    // bytes each end a line.
    QString Show(const std::string& ansi);
    // The bytes for the box's text (lines separated by "\n"): CR LF between
    // lines, unchanged lines as the bytes they were shown from.
    std::string Take(const QString& text) const;

private:
    int codePage_;
    std::string shownBytes_;
    QString shownText_;
    QHash<QString, std::string> lineBytes_;
};

} // namespace sorvak::widgets
