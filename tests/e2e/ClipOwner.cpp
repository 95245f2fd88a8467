// Owns the CLIPBOARD selection with given formats, as another program would,
// until some other program takes it.
// Usage: sorvak-clipowner MIME FILE [MIME FILE ...]
// MIME "text" offers FILE's UTF-8 text through Qt's text road (UTF8_STRING,
// STRING, text/plain); any other MIME offers FILE's bytes under that name.
#include <QApplication>
#include <QClipboard>
#include <QFile>
#include <QMimeData>
#include <QTimer>

#include <cstdio>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (argc < 3 || argc % 2 == 0) {
        std::fprintf(stderr, "usage: %s MIME FILE [MIME FILE ...]\n", argv[0]);
        return 2;
    }
    auto* offer = new QMimeData;
    for (int i = 1; i + 1 < argc; i += 2) {
        QFile file(QString::fromLocal8Bit(argv[i + 1]));
        if (!file.open(QIODevice::ReadOnly)) {
            std::fprintf(stderr, "cannot read %s\n", argv[i + 1]);
            return 2;
        }
        const QByteArray bytes = file.readAll();
        const QString mime = QString::fromLatin1(argv[i]);
        if (mime == QLatin1String("text"))
            offer->setText(QString::fromUtf8(bytes));
        else
            offer->setData(mime, bytes);
    }
    QClipboard* clipboard = QGuiApplication::clipboard();
    clipboard->setMimeData(offer, QClipboard::Clipboard);
    QObject::connect(clipboard, &QClipboard::changed, &app, [&](QClipboard::Mode mode) {
        if (mode == QClipboard::Clipboard && !clipboard->ownsClipboard())
            app.quit();
    });
    // Ownership is settled once the server answered; report it then.
    QTimer::singleShot(0, &app, [&] {
        if (!clipboard->ownsClipboard()) {
            std::fprintf(stderr, "did not get the clipboard\n");
            app.exit(1);
            return;
        }
        std::printf("ready\n");
        std::fflush(stdout);
    });
    return app.exec();
}
