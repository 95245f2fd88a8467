#include "platform/notify/SaveNotification.h"

#include "platform/notify/NotificationReply.h"

#include <QCoreApplication>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusReply>
#include <QEventLoop>
#include <QFileInfo>
#include <QTimer>
#include <QUrl>

namespace sorvak::platform {

namespace {

const QString NotificationsService = QStringLiteral("org.freedesktop.Notifications");
const QString NotificationsPath = QStringLiteral("/org/freedesktop/Notifications");
// No answer within this is no server: the save does not wait on it.
constexpr int CallTimeoutMs = 2000;

QDBusMessage NotificationsCall(const QString& method) {
    return QDBusMessage::createMethodCall(NotificationsService, NotificationsPath,
                                          NotificationsService, method);
}

// A server that runs, or that the bus starts on the first call (dunst often
// is); without one, calling would only wait.
bool ServerThere(QDBusConnection& bus) {
    if (!bus.isConnected() || bus.interface() == nullptr)
        return false;
    QDBusConnectionInterface& names = *bus.interface();
    return names.isServiceRegistered(NotificationsService).value() ||
           names.activatableServiceNames().value().contains(NotificationsService);
}

bool ServerTakesMarkup(QDBusConnection& bus) {
    const QDBusReply<QStringList> capabilities =
        bus.call(NotificationsCall(QStringLiteral("GetCapabilities")), QDBus::Block, CallTimeoutMs);
    return capabilities.isValid() && capabilities.value().contains(QStringLiteral("body-markup"));
}

} // namespace

SaveNotifier::SaveNotifier()
    : replies_(std::make_unique<NotificationReplies>(QDBusConnection::sessionBus())) {}

SaveNotifier::~SaveNotifier() = default;

void SaveNotifier::Notify(const SaveNotice& notice) {
    QDBusConnection bus = replies_->Bus();
    if (!ServerThere(bus))
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
        url =
            QUrl::fromLocalFile(QFileInfo(QString::fromStdString(*notice.File)).absoluteFilePath());
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
    if (id.isValid() && !actions.isEmpty())
        replies_->Expect(id.value(), url);
}

void SaveNotifier::WaitForActions(std::chrono::milliseconds wait) {
    if (!replies_->Waiting() || wait.count() <= 0)
        return;
    QEventLoop loop;
    QTimer::singleShot(static_cast<int>(wait.count()), &loop, &QEventLoop::quit);
    QObject::connect(replies_.get(), &NotificationReplies::Answered, &loop, [&] {
        if (!replies_->Waiting())
            loop.quit();
    });
    loop.exec();
}

void NotifySave(const SaveNotice& notice, std::chrono::milliseconds wait) {
    SaveNotifier notifier;
    notifier.Notify(notice);
    notifier.WaitForActions(wait);
}

} // namespace sorvak::platform
