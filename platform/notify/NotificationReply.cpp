#include "platform/notify/NotificationReply.h"

#include <QEventLoop>
#include <QTimer>

namespace sorvak::platform {

QString NotificationReply::WaitForAction(int milliseconds) {
    QEventLoop loop;
    QTimer::singleShot(milliseconds, &loop, &QEventLoop::quit);
    connect(this, &NotificationReply::Ended, &loop, &QEventLoop::quit);
    loop.exec();
    return action_;
}

void NotificationReply::OnActionInvoked(uint id, const QString& action) {
    if (id != id_)
        return;
    action_ = action;
    emit Ended();
}

void NotificationReply::OnClosed(uint id, uint /*reason*/) {
    if (id == id_)
        emit Ended();
}

} // namespace sorvak::platform
