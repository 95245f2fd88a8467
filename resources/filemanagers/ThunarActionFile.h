#pragma once
// The user's own uca.xml, where Thunar reads its custom actions when it
// starts (a running Thunar keeps its copy until then).
#include "resources/filemanagers/ThunarAction.h"

#include <string>

namespace sorvak::filemanagers {

struct ThunarActionInstall {
    ThunarEdit Outcome;
    // The user's uca.xml, in the locale's code page (for messages).
    std::string File;
};

// Adds our action to $XDG_CONFIG_HOME/Thunar/uca.xml (~/.config without that
// variable). A user who has no file yet starts from the system's, the first
// Thunar/uca.xml in $XDG_CONFIG_DIRS (/etc/xdg without it), so that Thunar's
// own actions stay. A file that cannot be read is never replaced: that, a
// failed write, or neither HOME nor XDG_CONFIG_HOME set throws Exception.
// program: the full path of the program the action starts.
ThunarActionInstall AddThunarActionForUser(const std::string& program);

} // namespace sorvak::filemanagers
