// The reference for start-up time: a Qt program that only opens a
// non-native save QFileDialog. With --clipboard-picture it first takes the
// clipboard's picture, as the program does on its picture road, with Qt's
// image allocation limit lifted as the program lifts it; it ends with status
// 1, no dialog shown, when there is no picture to take.
#include <QApplication>
#include <QClipboard>
#include <QFileDialog>
#include <QImage>
#include <QImageReader>

#include <cstring>

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    QFileDialog dialog(nullptr, QStringLiteral("bare-file-dialog"));
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    if (argc > 1 && std::strcmp(argv[1], "--clipboard-picture") == 0) {
        QImageReader::setAllocationLimit(0);
        const QImage picture = QApplication::clipboard()->image();
        if (picture.isNull())
            return 1;
        dialog.setNameFilter(QStringLiteral("PNG (*.png)"));
        dialog.selectFile(QStringLiteral("Image%1x%2").arg(picture.width()).arg(picture.height()));
    } else {
        dialog.setNameFilter(QStringLiteral("Text (*.txt)"));
        dialog.selectFile(QStringLiteral("ClipboardText.txt"));
    }
    return dialog.exec() == QDialog::Accepted ? 0 : 1;
}
