#include "platform/notify/NotificationReply.h"

#include <QDBusMessage>
#include <QFileInfo>
#include <QProcess>

namespace sorvak::platform {

namespace {

const QString NotificationsService = QStringLiteral("org.freedesktop.Notifications");
const QString NotificationsPath = QStringLiteral("/org/freedesktop/Notifications");
const QString FileManagerService = QStringLiteral("org.freedesktop.FileManager1");
constexpr int CallTimeoutMs = 2000;
// A server that keeps notices for ever (some do) must not make a watch
// that runs for days hold every file name it saved.
constexpr std::size_t MostFiles = 64;

void ShowInFileManager(const QDBusConnection& bus, const QUrl& file) {
    QDBusMessage call = QDBusMessage::createMethodCall(
        FileManagerService, QStringLiteral("/org/freedesktop/FileManager1"), FileManagerService,
        QStringLiteral("ShowItems"));
    call << QStringList{QString::fromUtf8(file.toEncoded())} << QString();
    const QDBusMessage answer = QDBusConnection(bus).call(call, QDBus::Block, CallTimeoutMs);
    if (answer.type() == QDBusMessage::ReplyMessage)
        return;
    // No file manager on the bus: the folder, by whatever opens folders.
    QProcess::startDetached(QStringLiteral("xdg-open"),
                            {QFileInfo(file.toLocalFile()).absolutePath()});
}

} // namespace

NotificationReplies::NotificationReplies(QDBusConnection bus) : bus_(std::move(bus)) {
    bus_.connect(NotificationsService, NotificationsPath, NotificationsService,
                 QStringLiteral("ActionInvoked"), this, SLOT(OnActionInvoked(uint, QString)));
    bus_.connect(NotificationsService, NotificationsPath, NotificationsService,
                 QStringLiteral("NotificationClosed"), this, SLOT(OnClosed(uint, uint)));
}

void NotificationReplies::Expect(uint id, const QUrl& file) {
    if (files_.size() == MostFiles)
        files_.erase(files_.begin());
    files_[id] = file;
}

void NotificationReplies::OnActionInvoked(uint id, const QString& action) {
    const auto found = files_.find(id);
    if (found == files_.end())
        return;
    const QUrl file = found->second;
    files_.erase(found);
    if (action == QLatin1String("default") || action == QLatin1String("show"))
        ShowInFileManager(bus_, file);
    emit Answered();
}

void NotificationReplies::OnClosed(uint id, uint /*reason*/) {
    if (files_.erase(id) > 0)
        emit Answered();
}

} // namespace sorvak::platform
