#include "platform/selection/OfferedText.h"

#include "base/Utf.h"

#include <QString>

namespace sorvak::platform {

std::string RepairedUtf8(std::string bytes) {
    if (utf::IsValidUtf8(bytes))
        return bytes;
    return QString::fromUtf8(bytes.data(), static_cast<qsizetype>(bytes.size())).toStdString();
}

std::string Latin1AsUtf8(const std::string& bytes) {
    return QString::fromLatin1(bytes.data(), static_cast<qsizetype>(bytes.size())).toStdString();
}

std::string UriListAsText(const std::string& list) {
    std::string text;
    std::size_t start = 0;
    while (start < list.size()) {
        std::size_t end = list.find('\n', start);
        if (end == std::string::npos)
            end = list.size();
        std::string line = list.substr(start, end - start);
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (!line.empty() && line[0] != '#')
            text += (text.empty() ? "" : "\n") + line;
        start = end + 1;
    }
    return RepairedUtf8(text);
}

} // namespace sorvak::platform
