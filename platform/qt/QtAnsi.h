#pragma once
// Strings between the ANSI code page of the logic and Qt's UTF-16.
#include "base/CodePage.h"

#include <QByteArray>
#include <QString>

#include <string>
#include <string_view>

namespace sorvak::platform {

inline QString FromAnsi(std::string_view text, int codePage = codepage::System()) {
    const std::string utf8 = codepage::ToUtf8(text, codePage);
    return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

inline std::string ToAnsi(const QString& text, int codePage = codepage::System()) {
    const QByteArray utf8 = text.toUtf8();
    return codepage::FromUtf8(std::string_view(utf8.constData(), utf8.size()), codePage);
}

} // namespace sorvak::platform
