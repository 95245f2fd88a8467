#include "app/Terminal.h"

#include "app/StandardStreams.h"
#include "base/CodePage.h"
#include "base/Exception.h"
#include "base/FileErrors.h"
#include "base/ShownText.h"
#include "cli/CommandLine.h"
#include "platform/qt/QtTranslations.h"

#include <QTranslator>
#include <cstdio>
#include <cstring>

namespace sorvak::app {

namespace {

// The catalogue's text for a source text, UTF-8; the source where there is
// none. Set once, before any text is shown.
ShownTextTranslator& Catalogue() {
    static ShownTextTranslator translate;
    return translate;
}

std::string Translated(std::string_view source) {
    return Catalogue() ? Catalogue()(source) : std::string(source);
}

} // namespace

void InstallCommandLineTranslator() {
    // Help and the messages come before any application object exists, so
    // the catalogue is read here directly rather than through Qt's installed
    // translators. Under Japanese and C there is none: the texts stay as
    // written.
    static QTranslator catalogue;
    if (platform::LoadOwnCatalogue(catalogue))
        Catalogue() = [](std::string_view source) {
            const std::string key(source);
            const QString found = catalogue.translate(ShownTextContext, key.c_str());
            if (found.isEmpty())
                return key;
            const QByteArray bytes = found.toUtf8();
            return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
        };
    cli::SetTranslator([](std::string_view source) { return ForTerminal(Translated(source)); });
}

std::string ForTerminal(std::string_view utf8) {
    const std::string local = codepage::FromUtf8(utf8);
    return codepage::ToUtf8(local) == utf8 ? local : std::string(utf8);
}

int Print(const std::string& text) {
    const bool ok = std::fputs(text.c_str(), stdout) >= 0 && std::fflush(stdout) == 0;
    return ok ? cli::ExitWritten : cli::ExitFailed;
}

void ErrorLine::Print(cli::TextId id, std::initializer_list<std::string_view> arguments) const {
    if (!quiet_)
        std::fprintf(stderr, "%s\n", cli::Text(id, arguments).c_str());
}

void ErrorLine::Print(const std::exception& failure) const {
    // A write names what it was writing and the system's reason; the box
    // keeps the one line its users know.
    if (const auto* write = dynamic_cast<const EWriteError*>(&failure)) {
        const bool standardOutput = dynamic_cast<const StandardOutputError*>(write) != nullptr;
        if (standardOutput || !write->Target().empty()) {
            const std::string reason = write->Errno() != 0
                                           ? codepage::ToUtf8(std::strerror(write->Errno()))
                                           : TranslatedMessage(failure, Translated);
            const std::string target =
                standardOutput ? cli::Text(cli::TextId::StandardOutput)
                               : ForTerminal(codepage::ToUtf8(AbsolutePath(write->Target())));
            Print(cli::TextId::CannotWrite, {target, ForTerminal(reason)});
            return;
        }
    }
    Print(cli::TextId::WriteFailed, {ForTerminal(TranslatedMessage(failure, Translated))});
}

} // namespace sorvak::app
