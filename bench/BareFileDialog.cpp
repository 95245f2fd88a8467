// The reference for start-up time: a Qt program that only opens a
// non-native save QFileDialog.
#include <QApplication>
#include <QFileDialog>

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    QFileDialog dialog(nullptr, QStringLiteral("bare-file-dialog"));
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setNameFilter(QStringLiteral("Text (*.txt)"));
    dialog.selectFile(QStringLiteral("ClipboardText.txt"));
    return dialog.exec() == QDialog::Accepted ? 0 : 1;
}
