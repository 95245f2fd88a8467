#pragma once
// The notified files that still wait for the user, by notification id: the
// server's ActionInvoked shows one in the file manager, NotificationClosed
// lets it go.
#include <QDBusConnection>
#include <QObject>
#include <QString>
#include <QUrl>

#include <map>

namespace sorvak::platform {

class NotificationReplies : public QObject {
    Q_OBJECT

public:
    explicit NotificationReplies(QDBusConnection bus);

    const QDBusConnection& Bus() const { return bus_; }
    void Expect(uint id, const QUrl& file);
    bool Waiting() const { return !files_.empty(); }

signals:
    void Answered();

public slots:
    void OnActionInvoked(uint id, const QString& action);
    void OnClosed(uint id, uint reason);

private:
    QDBusConnection bus_;
    std::map<uint, QUrl> files_;
};

} // namespace sorvak::platform
