#pragma once
// Where the settings file lives.
#include <cstdint>
#include <string>

namespace sorvak {

// Which folder holds the settings file; stored as one byte.
enum TDefaultFolder : std::uint8_t {
    dfAppData = 0,     // $XDG_CONFIG_HOME (or ~/.config), "/", BaseName, "/"
    dfApplication = 1, // the program's folder, "/"
    dfUser = 2,        // none: the name resolves against the current folder
    dfWindows = 3,     // "/etc/"
};

// $XDG_CONFIG_HOME, else ~/.config; empty when no home folder is known.
std::string ConfigHome();

// The folder of that kind for the program at programPath, ending in "/"
// (empty for dfUser), made when it does not exist yet.
std::string DefaultFolderPath(TDefaultFolder kind, const std::string& programPath,
                              const std::string& baseName);

// DefaultFolderPath, except that a program folder the user cannot write and
// that holds no file iniFileName gives $XDG_CONFIG_HOME/baseName/ (not yet
// made: the first save makes it).
std::string SettingsFolderPath(TDefaultFolder kind, const std::string& programPath,
                               const std::string& baseName, const std::string& iniFileName);

} // namespace sorvak
