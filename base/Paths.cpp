#include "base/Paths.h"

#include <limits.h>
#include <unistd.h>
#include <vector>

namespace sorvak {

std::string FolderOf(std::string_view path) {
    const std::size_t slash = path.rfind('/');
    if (slash == std::string_view::npos)
        return std::string();
    if (slash > 0 && path[slash - 1] != '/')
        return std::string(path.substr(0, slash));
    return std::string(path.substr(0, slash + 1));
}

std::string FolderWithSeparator(std::string_view path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string_view::npos ? std::string() : std::string(path.substr(0, slash + 1));
}

std::string FileNameOf(std::string_view path) {
    const std::size_t slash = path.rfind('/');
    return std::string(slash == std::string_view::npos ? path : path.substr(slash + 1));
}

std::string BaseNameOf(std::string_view path) {
    std::string name = FileNameOf(path);
    const std::size_t dot = name.rfind('.');
    if (dot != std::string::npos)
        name.erase(dot);
    return name;
}

std::string ProgramPath() {
    std::vector<char> buffer(PATH_MAX);
    for (;;) {
        const ssize_t length = ::readlink("/proc/self/exe", buffer.data(), buffer.size());
        if (length < 0)
            return std::string();
        if (static_cast<std::size_t>(length) < buffer.size())
            return std::string(buffer.data(), static_cast<std::size_t>(length));
        if (buffer.size() >= (1u << 20))
            return std::string();
        buffer.resize(buffer.size() * 2);
    }
}

std::string ProgramFolder() {
    return FolderOf(ProgramPath());
}

std::string ProgramBaseName() {
    return BaseNameOf(ProgramPath());
}

} // namespace sorvak
