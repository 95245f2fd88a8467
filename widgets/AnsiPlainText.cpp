#include "widgets/AnsiPlainText.h"

#include "platform/qt/QtAnsi.h"

#include <QStringList>

namespace sorvak::widgets {

QString AnsiPlainText::Show(const std::string& ansi) {
    shownBytes_ = ansi;
    lineBytes_.clear();
    QString text;
    std::size_t start = 0;
    for (;;) {
        std::size_t end = ansi.find_first_of("\r\n", start);
        const std::string line = ansi.substr(start, end == std::string::npos ? end : end - start);
        const QString shown = platform::FromAnsi(line, codePage_);
        // The first line shown wins where two byte strings look alike.
        if (!lineBytes_.contains(shown))
            lineBytes_.insert(shown, line);
        text += shown;
        if (end == std::string::npos)
            break;
        if (ansi[end] == '\r' && end + 1 < ansi.size() && ansi[end + 1] == '\n')
            ++end;
        text += QLatin1Char('\n');
        start = end + 1;
    }
    shownText_ = text;
    return text;
}

std::string AnsiPlainText::Take(const QString& text) const {
    if (text == shownText_)
        return shownBytes_;
    std::string bytes;
    const QStringList lines = text.split(QLatin1Char('\n'));
    for (qsizetype i = 0; i < lines.size(); ++i) {
        if (i > 0)
            bytes += "\r\n";
        const auto known = lineBytes_.constFind(lines[i]);
        if (known != lineBytes_.constEnd())
            bytes += *known;
        else
            bytes += platform::ToAnsi(lines[i], codePage_);
    }
    return bytes;
}

} // namespace sorvak::widgets
