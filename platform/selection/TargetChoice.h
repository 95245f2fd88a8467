#pragma once
// Which of the owner's offers the snapshot takes, and in which order. The one
// place that knows the formats: every transport reports its offer by mime
// type names, so X11 and Wayland owners are read alike.
#include <string>
#include <string_view>
#include <vector>

namespace sorvak::platform {

// Text in UTF-8, and in ISO 8859-1: the names under which transports report
// their own text types (X11's UTF8_STRING and STRING).
inline constexpr std::string_view Utf8TextType = "text/plain;charset=utf-8";
inline constexpr std::string_view Latin1TextType = "text/plain;charset=iso-8859-1";

struct TargetChoice {
    struct Text {
        std::string Type;
        bool Latin1 = false;
    };
    // Pictures, most wanted first; a later one is read only when an earlier
    // one does not decode.
    std::vector<std::string> Pictures;
    // File managers' own lists, most wanted first.
    std::vector<std::string> FileLists;
    // text/uri-list: a file list, and the text when no text is offered.
    bool UriList = false;
    // Text, most wanted first; the first one handed over is the text.
    std::vector<Text> Texts;

    // Nothing but text is offered: the text is text, unless it starts as a
    // file list.
    bool TextOnly() const { return Pictures.empty() && FileLists.empty() && !UriList; }
};

TargetChoice ChooseTargets(const std::vector<std::string>& offered);

} // namespace sorvak::platform
