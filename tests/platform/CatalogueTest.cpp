// The choice of the catalogue from the user's languages, and the catalogues'
// translations keeping the placeholders of their source texts.
#include "platform/qt/QtTranslations.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QXmlStreamReader>

#include <gtest/gtest.h>

namespace sorvak::platform {
namespace {

TEST(CatalogueLanguage, FollowsTheFirstLanguageWithTexts) {
    const QStringList carried = {QStringLiteral("en"), QStringLiteral("fr")};
    struct Case {
        QStringList ui;
        const char* expected;
    };
    const Case cases[] = {
        {{"ja-JP", "ja-Jpan-JP", "ja"}, ""},
        {{"C"}, ""},
        {{"POSIX"}, ""},
        {{"en-US", "en-Latn-US", "en"}, "en"},
        {{"en_GB"}, "en"},
        // No German catalogue: English, not the Japanese source.
        {{"de-DE", "de-Latn-DE", "de"}, "en"},
        {{"de", "fr-FR"}, "fr"},
        // LANGUAGE=de:ja: the first language with texts, Japanese being one.
        {{"de", "ja"}, ""},
        {{"fr-CA", "ja"}, "fr"},
        {{}, "en"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(CatalogueLanguage(c.ui, carried), QString::fromUtf8(c.expected))
            << c.ui.join(u',').toStdString();
}

TEST(CatalogueLanguage, TheProgramCarriesEnglish) {
    EXPECT_TRUE(CatalogueLanguages().contains(QStringLiteral("en")));
}

QStringList PlaceholdersOf(const QString& text) {
    static const QRegularExpression placeholder(QStringLiteral("%(?:[sd%]|[1-9])"));
    QStringList found;
    for (auto it = placeholder.globalMatch(text); it.hasNext();)
        found.append(it.next().captured());
    return found;
}

TEST(Catalogues, TranslationsKeepThePlaceholdersInOrder) {
    const QDir folder(QStringLiteral(SORVAK_SOURCE_DIR "/translations"));
    const QStringList catalogues = folder.entryList({QStringLiteral("sorvak_*.ts")});
    ASSERT_FALSE(catalogues.isEmpty());
    for (const QString& name : catalogues) {
        QFile file(folder.filePath(name));
        ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << name.toStdString();
        QXmlStreamReader xml(&file);
        QString source;
        int messages = 0;
        while (xml.readNext() != QXmlStreamReader::Invalid && !xml.atEnd()) {
            if (!xml.isStartElement())
                continue;
            if (xml.name() == u"source") {
                source = xml.readElementText();
            } else if (xml.name() == u"translation") {
                const QString translation = xml.readElementText();
                ++messages;
                EXPECT_EQ(PlaceholdersOf(translation), PlaceholdersOf(source))
                    << name.toStdString() << ": " << source.toStdString() << " -> "
                    << translation.toStdString();
            }
        }
        EXPECT_FALSE(xml.hasError()) << name.toStdString() << xml.errorString().toStdString();
        EXPECT_GT(messages, 0) << name.toStdString();
    }
}

} // namespace
} // namespace sorvak::platform
