#include "platform/selection/TargetChoice.h"

#include <QImageReader>

#include <algorithm>

namespace sorvak::platform {

TargetChoice ChooseTargets(const std::vector<std::string>& offered) {
    auto offers = [&](std::string_view type) {
        return std::find(offered.begin(), offered.end(), type) != offered.end();
    };
    TargetChoice choice;
    // Lossless first, then whatever else Qt can read.
    for (const char* preferred :
         {"image/png", "image/bmp", "image/x-bmp", "image/jpeg", "image/gif"}) {
        if (offers(preferred))
            choice.Pictures.emplace_back(preferred);
    }
    const QList<QByteArray> readable = QImageReader::supportedMimeTypes();
    for (const std::string& type : offered) {
        if (type.rfind("image/", 0) == 0 &&
            std::find(choice.Pictures.begin(), choice.Pictures.end(), type) ==
                choice.Pictures.end() &&
            readable.contains(QByteArray::fromStdString(type)))
            choice.Pictures.push_back(type);
    }
    for (const char* list : {"x-special/gnome-copied-files", "x-special/mate-copied-files"}) {
        if (offers(list))
            choice.FileLists.emplace_back(list);
    }
    choice.UriList = offers("text/uri-list");
    for (const std::string_view text : {Utf8TextType, std::string_view("text/plain")}) {
        if (offers(text))
            choice.Texts.push_back({std::string(text), false});
    }
    if (offers(Latin1TextType))
        choice.Texts.push_back({std::string(Latin1TextType), true});
    return choice;
}

} // namespace sorvak::platform
