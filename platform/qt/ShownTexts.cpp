#include "platform/qt/ShownTexts.h"

#include "base/Exception.h"
#include "base/ShownText.h"

#include <QCoreApplication>

#include <new>

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
    // The library's own text ("std::bad_alloc") means nothing to a user.
    if (dynamic_cast<const std::bad_alloc*>(&failure) != nullptr)
        return Utf8Of(ShownText(SORVAK_TEXT("sorvak", "システム リソースが足りません")));
    if (const auto* own = dynamic_cast<const Exception*>(&failure))
        if (own->Format() != nullptr)
            return FillFormat(Utf8Of(ShownText(own->Format())), own->Arguments());
    return Utf8Of(ShownText(failure.what()));
}

} // namespace sorvak::platform
