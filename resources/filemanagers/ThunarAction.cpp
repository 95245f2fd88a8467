#include "resources/filemanagers/ThunarAction.h"

namespace sorvak::filemanagers {

namespace {

std::string EscapeXml(const std::string& text) {
    std::string escaped;
    for (char c : text) {
        switch (c) {
        case '&':
            escaped += "&amp;";
            break;
        case '<':
            escaped += "&lt;";
            break;
        case '>':
            escaped += "&gt;";
            break;
        case '"':
            escaped += "&quot;";
            break;
        default:
            escaped += c;
        }
    }
    return escaped;
}

// Thunar splits the command as a shell would; %f is quoted by Thunar itself.
std::string QuoteForShell(const std::string& text) {
    std::string quoted = "'";
    for (char c : text)
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

std::string ActionElement(const std::string& program) {
    return "<action>\n"
           "\t<icon>sorvak</icon>\n"
           "\t<name>クリップボードをファイルとして貼り付け…</name>\n"
           "\t<name xml:lang=\"en\">Paste Clipboard as File…</name>\n"
           "\t<submenu></submenu>\n"
           "\t<unique-id>" +
           std::string(ThunarActionId) +
           "</unique-id>\n"
           "\t<command>" +
           EscapeXml(QuoteForShell(program)) +
           " --folder %f</command>\n"
           "\t<description>クリップボードの内容をこのフォルダーに保存します</description>\n"
           "\t<description xml:lang=\"en\">Save what the clipboard holds into this "
           "folder</description>\n"
           "\t<range></range>\n"
           "\t<patterns>*</patterns>\n"
           "\t<directories/>\n"
           "</action>\n";
}

} // namespace

ThunarEditResult AddThunarAction(const std::optional<std::string>& existing,
                                 const std::string& program) {
    if (!existing || existing->find_first_not_of(" \t\r\n") == std::string::npos)
        return {ThunarEdit::Added, "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<actions>\n" +
                                       ActionElement(program) + "</actions>\n"};
    const std::string& text = *existing;
    if (text.find(std::string(">") + ThunarActionId + "<") != std::string::npos)
        return {ThunarEdit::AlreadyThere, {}};
    // Only a file whose last element closes the action list is edited; one
    // that ends otherwise is not the format we know, and stays untouched.
    const std::size_t close = text.rfind("</actions>");
    if (close == std::string::npos || text.find("<actions", 0) == std::string::npos ||
        text.find_first_not_of(" \t\r\n", close + 10) != std::string::npos)
        return {ThunarEdit::NotUnderstood, {}};
    return {ThunarEdit::Added, text.substr(0, close) + ActionElement(program) + text.substr(close)};
}

} // namespace sorvak::filemanagers
