// Owns org.freedesktop.FileManager1 on the session bus and prints each
// ShowItems call's first URI on a line of its own; "ready" once it owns the
// name.
#include <QCoreApplication>
#include <QDBusConnection>
#include <QObject>
#include <QStringList>
#include <cstdio>

class FileManager : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.FileManager1")

public slots:
    void ShowItems(const QStringList& uris, const QString& /*startupId*/) {
        std::printf("%s\n", uris.value(0).toUtf8().constData());
        std::fflush(stdout);
    }
};

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    QDBusConnection bus = QDBusConnection::sessionBus();
    FileManager manager;
    if (!bus.registerObject(QStringLiteral("/org/freedesktop/FileManager1"), &manager,
                            QDBusConnection::ExportAllSlots) ||
        !bus.registerService(QStringLiteral("org.freedesktop.FileManager1")))
        return 1;
    std::printf("ready\n");
    std::fflush(stdout);
    return application.exec();
}

#include "FakeFileManager.moc"
