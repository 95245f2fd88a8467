#pragma once
// Waits for the server's answer to one notification: the action the user
// chose, or its closing.
#include <QObject>
#include <QString>

namespace sorvak::platform {

class NotificationReply : public QObject {
    Q_OBJECT

public:
    explicit NotificationReply(uint id) : id_(id) {}

    // The action chosen within `milliseconds`, or an empty string.
    QString WaitForAction(int milliseconds);

signals:
    void Ended();

public slots:
    void OnActionInvoked(uint id, const QString& action);
    void OnClosed(uint id, uint reason);

private:
    uint id_;
    QString action_;
};

} // namespace sorvak::platform
