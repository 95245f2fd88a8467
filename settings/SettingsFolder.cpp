#include "settings/SettingsFolder.h"

#include "base/Paths.h"

#include <cstdlib>
#include <filesystem>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace sorvak {

std::string ConfigHome() {
    const char* config = std::getenv("XDG_CONFIG_HOME");
    // Relative values are invalid and ignored, as the desktop rules say.
    if (config != nullptr && config[0] == '/')
        return config;
    std::string home;
    if (const char* env = std::getenv("HOME"); env != nullptr && env[0] != '\0') {
        home = env;
    } else if (const passwd* user = ::getpwuid(::getuid()); user != nullptr && user->pw_dir) {
        home = user->pw_dir;
    }
    if (home.empty())
        return std::string();
    if (home.back() != '/')
        home.push_back('/');
    return home + ".config";
}

std::string DefaultFolderPath(TDefaultFolder kind, const std::string& programPath,
                              const std::string& baseName) {
    std::string folder;
    switch (kind) {
    case dfAppData:
        folder = ConfigHome();
        if (!folder.empty()) {
            if (folder.back() != '/')
                folder.push_back('/');
            folder += baseName;
        }
        break;
    case dfApplication:
        folder = FolderWithSeparator(programPath);
        break;
    case dfWindows:
        folder = "/etc/";
        break;
    case dfUser:
    default:
        break;
    }
    if (!folder.empty()) {
        if (folder.back() != '/')
            folder.push_back('/');
        std::error_code ignored;
        std::filesystem::create_directories(folder, ignored);
    }
    return folder;
}

std::string SettingsFolderPath(TDefaultFolder kind, const std::string& programPath,
                               const std::string& baseName, const std::string& iniFileName) {
    const std::string folder = DefaultFolderPath(kind, programPath, baseName);
    if (kind != dfApplication)
        return folder;
    // An installed copy in a folder the user cannot write would remember
    // nothing; a file beside the program still wins where there is one.
    struct stat info {};
    if (::lstat((folder + iniFileName).c_str(), &info) == 0 ||
        ::access(folder.empty() ? "." : folder.c_str(), W_OK) == 0)
        return folder;
    std::string config = ConfigHome();
    if (config.empty())
        return folder;
    if (config.back() != '/')
        config.push_back('/');
    return config + baseName + "/";
}

} // namespace sorvak
