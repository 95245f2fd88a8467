#include "platform/notify/SaveNotification.h"

#include "platform/notify/NotificationReply.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusReply>
#include <QFileInfo>
#include <QProcess>
#include <QUrl>

namespace sorvak::platform {

namespace {

const QString NotificationsService = QStringLiteral("org.freedesktop.Notifications");
const QString NotificationsPath = QStringLiteral("/org/freedesktop/Notifications");
const QString FileManagerService = QStringLiteral("org.freedesktop.FileManager1");
// No answer within this is no server: the save does not wait on it.
constexpr int CallTimeoutMs = 2000;

QDBusMessage NotificationsCall(const QString& method) {
    return QDBusMessage::createMethodCall(NotificationsService, NotificationsPath,
                                          NotificationsService, method);
}

bool ServerTakesMarkup(QDBusConnection& bus) {
    const QDBusReply<QStringList> capabilities =
        bus.call(NotificationsCall(QStringLiteral("GetCapabilities")), QDBus::Block, CallTimeoutMs);
    return capabilities.isValid() && capabilities.value().contains(QStringLiteral("body-markup"));
}

QUrl FileUrl(const std::string& file) {
    return QUrl::fromLocalFile(QFileInfo(QString::fromStdString(file)).absoluteFilePath());
}

void ShowInFileManager(QDBusConnection& bus, const QUrl& file) {
    QDBusMessage call = QDBusMessage::createMethodCall(
        FileManagerService, QStringLiteral("/org/freedesktop/FileManager1"), FileManagerService,
        QStringLiteral("ShowItems"));
    call << QStringList{QString::fromUtf8(file.toEncoded())} << QString();
    const QDBusMessage answer = bus.call(call, QDBus::Block, CallTimeoutMs);
    if (answer.type() == QDBusMessage::ReplyMessage)
        return;
    // No file manager on the bus: the folder, by whatever opens folders.
    QProcess::startDetached(QStringLiteral("xdg-open"),
                            {QFileInfo(file.toLocalFile()).absolutePath()});
}

} // namespace

void NotifySave(const SaveNotice& notice, std::chrono::milliseconds wait) {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected() || bus.interface() == nullptr)
        return;
    // A server may be started by the bus on the first call (dunst often is);
    // without one that runs or can be started, calling would only wait.
    QDBusConnectionInterface& names = *bus.interface();
    if (!names.isServiceRegistered(NotificationsService).value() &&
        !names.activatableServiceNames().value().contains(NotificationsService))
        return;

    const bool markup = ServerTakesMarkup(bus);
    const auto body = [markup](const QString& text) {
        return markup ? text.toHtmlEscaped() : text;
    };
    QString summary;
    QString text;
    QVariantMap hints;
    QStringList actions;
    QUrl url;
    if (notice.File) {
        url = FileUrl(*notice.File);
        const QFileInfo file(url.toLocalFile());
        summary =
            QCoreApplication::translate("Notification", "%1 を保存しました").arg(file.fileName());
        text = body(file.absoluteFilePath());
        if (notice.Picture)
            hints.insert(QStringLiteral("image-path"), QString::fromUtf8(url.toEncoded()));
        const QString show = QCoreApplication::translate("Notification", "フォルダに表示");
        actions = {QStringLiteral("default"), show, QStringLiteral("show"), show};
    } else {
        summary =
            QCoreApplication::translate("Notification", "クリップボードを保存できませんでした");
        text = body(QString::fromStdString(notice.Failure));
        hints.insert(QStringLiteral("urgency"), QVariant::fromValue<uchar>(2));
    }
    hints.insert(QStringLiteral("desktop-entry"), QStringLiteral("sorvak"));

    QDBusMessage call = NotificationsCall(QStringLiteral("Notify"));
    call << QStringLiteral("Sorvak") << 0u << QStringLiteral("sorvak") << summary << text << actions
         << hints << -1;
    const QDBusReply<uint> id = bus.call(call, QDBus::Block, CallTimeoutMs);
    if (!id.isValid() || actions.isEmpty() || wait.count() <= 0)
        return;

    NotificationReply reply(id.value());
    bus.connect(NotificationsService, NotificationsPath, NotificationsService,
                QStringLiteral("ActionInvoked"), &reply, SLOT(OnActionInvoked(uint, QString)));
    bus.connect(NotificationsService, NotificationsPath, NotificationsService,
                QStringLiteral("NotificationClosed"), &reply, SLOT(OnClosed(uint, uint)));
    const QString action = reply.WaitForAction(static_cast<int>(wait.count()));
    if (action == QLatin1String("default") || action == QLatin1String("show"))
        ShowInFileManager(bus, url);
}

} // namespace sorvak::platform
