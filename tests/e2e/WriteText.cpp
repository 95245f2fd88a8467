// Puts its argument (or a generated text of --size N bytes) on the clipboard
// through the program's clipboard object, then ends as the program does.
#include "clipboard/Clipboard.h"
#include "platform/selection/QtClipboard.h"
#include "platform/x11/ClipboardKeeper.h"
#include "platform/x11/SelectionReader.h"

#include <QApplication>
#include <cstdlib>
#include <cstring>
#include <memory>

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    std::string text;
    if (argc == 3 && std::strcmp(argv[1], "--size") == 0) {
        const std::size_t size = std::strtoull(argv[2], nullptr, 10);
        for (std::size_t i = 0; text.size() < size; ++i)
            text += "line " + std::to_string(i) + "\n";
        text.resize(size);
    } else if (argc == 2) {
        text = argv[1];
    } else {
        return 2;
    }
    sorvak::platform::QtClipboard backend(
        [] { return std::make_unique<sorvak::platform::SelectionReader>(); });
    sorvak::TClipboard clipboard(backend);
    clipboard.WriteText(text);
    return sorvak::platform::KeepClipboardTextAfterExit(backend.WrittenText()) ? 0 : 1;
}
