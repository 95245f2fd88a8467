// Sends the save notice for a file (or, with --failed, a failure's text)
// as the program does after a save, and ends when the notifier returns.
#include "platform/notify/SaveNotification.h"

#include <QCoreApplication>
#include <string>

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    if (argc != 3)
        return 2;
    sorvak::platform::SaveNotice notice;
    const std::string kind = argv[1];
    if (kind == "--failed")
        notice.Failure = argv[2];
    else
        notice.File = argv[2];
    notice.Picture = kind == "--picture";
    sorvak::platform::NotifySave(notice, std::chrono::seconds(10));
    return 0;
}
