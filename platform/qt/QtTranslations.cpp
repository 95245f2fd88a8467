#include "platform/qt/QtTranslations.h"

#include "base/ShownText.h"

#include <QCoreApplication>
#include <QDir>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

// The compiled catalogues live in a resource of this static library; the
// reference keeps the linker from dropping it.
static void InitCatalogueResource() {
    Q_INIT_RESOURCE(sorvak_translations);
}

namespace sorvak::platform {

namespace {

const QString CataloguePrefix = QStringLiteral("sorvak_");
const QString CatalogueFolder = QStringLiteral(":/i18n");

QString LanguageOf(const QString& uiLanguage) {
    return uiLanguage.section(u'-', 0, 0).section(u'_', 0, 0).toLower();
}

} // namespace

QString CatalogueLanguage(const QStringList& uiLanguages, const QStringList& catalogues) {
    for (const QString& ui : uiLanguages) {
        if (ui == u"C" || ui == u"POSIX" || ui.startsWith(u"C.") || ui.startsWith(u"POSIX."))
            return {};
        const QString language = LanguageOf(ui);
        if (language == u"ja")
            return {};
        if (catalogues.contains(language))
            return language;
    }
    return QStringLiteral("en");
}

QStringList CatalogueLanguages() {
    InitCatalogueResource();
    QStringList languages;
    const QStringList files =
        QDir(CatalogueFolder)
            .entryList({CataloguePrefix + QStringLiteral("*.qm")}, QDir::Files, QDir::Name);
    for (const QString& file : files)
        languages.append(file.mid(CataloguePrefix.size()).chopped(3));
    return languages;
}

void InstallQtTranslations() {
    static bool installed = false;
    if (installed || QCoreApplication::instance() == nullptr)
        return;
    installed = true;
    auto* qt = new QTranslator(QCoreApplication::instance());
    if (qt->load(QLocale::system(), QStringLiteral("qt"), QStringLiteral("_"),
                 QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(qt);
    else
        delete qt;
    auto* own = new QTranslator(QCoreApplication::instance());
    if (!LoadOwnCatalogue(*own)) {
        delete own;
        return;
    }
    QCoreApplication::installTranslator(own);
    SetShownTextTranslator([](std::string_view source) {
        const std::string key(source);
        const QByteArray text = QCoreApplication::translate(ShownTextContext, key.c_str()).toUtf8();
        return std::string(text.constData(), static_cast<std::size_t>(text.size()));
    });
}

bool LoadOwnCatalogue(QTranslator& translator) {
    const QString language =
        CatalogueLanguage(QLocale::system().uiLanguages(), CatalogueLanguages());
    return !language.isEmpty() && translator.load(CataloguePrefix + language, CatalogueFolder);
}

} // namespace sorvak::platform
