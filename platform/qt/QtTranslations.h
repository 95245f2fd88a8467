#pragma once
// The program's language: Qt's own translations of its standard labels, and
// the program's catalogue (translations/sorvak_*.ts, built into the program).
#include <QString>
#include <QStringList>
#include <QTranslator>

namespace sorvak::platform {

// The catalogue for the user's languages, most wanted first (Qt's
// uiLanguages, "ja-JP" or "ja_JP" alike): "" for the Japanese source texts,
// chosen for Japanese and for the C and POSIX locales; else the first
// language that has a catalogue; else English ("en").
QString CatalogueLanguage(const QStringList& uiLanguages, const QStringList& catalogues);

// The languages whose catalogues the program carries ("en", ...).
QStringList CatalogueLanguages();

// Installs, once, Qt's own translations for the user's language and the
// program's catalogue chosen by CatalogueLanguage from the system locale,
// also as the plain libraries' translator (SetShownTextTranslator).
void InstallQtTranslations();

// Loads the program's own catalogue for the session's language into
// translator; false when the session's language is the source's (Japanese)
// or has no catalogue. Needs no application object.
bool LoadOwnCatalogue(QTranslator& translator);

} // namespace sorvak::platform
