#include "platform/qt/MessageBoxes.h"

#include "base/Exception.h"
#include "platform/qt/ShownTexts.h"

#include <QApplication>
#include <QClipboard>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QShortcut>

namespace sorvak::platform {

namespace {

void CentreOnPrimaryScreen(QWidget& box) {
    box.adjustSize();
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->geometry();
        box.move(area.left() + (area.width() - box.width()) / 2,
                 area.top() + (area.height() - box.height()) / 2);
    }
}

// Ctrl+C copies the box as system message boxes do (Qt does so on Windows
// only): a user can paste an error text into a report.
void CopyOnCtrlC(QMessageBox& box) {
    auto* copy = new QShortcut(QKeySequence::Copy, &box);
    QObject::connect(copy, &QShortcut::activated, &box, [&box] {
        const QString rule = QStringLiteral("---------------------------\n");
        QString buttons;
        for (QAbstractButton* button : box.buttons())
            buttons += button->text() + QStringLiteral("   ");
        QGuiApplication::clipboard()->setText(rule + box.windowTitle() + u'\n' + rule + box.text() +
                                              u'\n' + rule + buttons + u'\n' + rule);
    });
}

void RunBox(QMessageBox::Icon icon, const QString& caption, const QString& text) {
    QMessageBox box(icon, caption, text, QMessageBox::NoButton);
    CopyOnCtrlC(box);
    QPushButton* ok =
        box.addButton(QCoreApplication::translate("MessageBox", "OK"), QMessageBox::AcceptRole);
    box.setDefaultButton(ok);
    box.setEscapeButton(ok);
    box.setWindowModality(Qt::ApplicationModal);
    CentreOnPrimaryScreen(box);
    box.exec();
}

} // namespace

std::string ErrorBoxText(std::string_view message) {
    std::string text(message);
    if (!text.empty() && static_cast<unsigned char>(text.back()) > '.')
        text.push_back('.');
    return text;
}

void ShowErrorBox(std::string_view message) {
    const std::string text = ErrorBoxText(message);
    RunBox(QMessageBox::Critical, QGuiApplication::applicationDisplayName(),
           QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())));
}

void ShowException(const std::exception& failure) {
    if (dynamic_cast<const EAbort*>(&failure) != nullptr)
        return;
    ShowErrorBox(ShownMessage(failure));
}

void ShowInformationBox(const std::string& caption, const std::string& text) {
    RunBox(QMessageBox::Information, ShownText(caption), ShownText(text));
}

} // namespace sorvak::platform
