#include "platform/qt/MessageBoxes.h"

#include "base/Exception.h"
#include "platform/qt/ShownTexts.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>

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

void RunBox(QMessageBox::Icon icon, const QString& caption, const QString& text) {
    QMessageBox box(icon, caption, text, QMessageBox::NoButton);
    QPushButton* ok = box.addButton(QStringLiteral("OK"), QMessageBox::AcceptRole);
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
