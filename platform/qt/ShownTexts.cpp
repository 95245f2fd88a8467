#include "platform/qt/ShownTexts.h"

#include "base/Exception.h"
#include "base/ShownText.h"

#include <QCoreApplication>

namespace sorvak::platform {

namespace {

std::string Utf8Of(const QString& text) {
    const QByteArray bytes = text.toUtf8();
    return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

} // namespace

QString ShownText(std::string_view utf8) {
    const std::string source(utf8);
    return QCoreApplication::translate(ShownTextContext, source.c_str());
}

std::string ShownMessage(const std::exception& failure) {
    return TranslatedMessage(failure,
                             [](std::string_view source) { return Utf8Of(ShownText(source)); });
}

} // namespace sorvak::platform
