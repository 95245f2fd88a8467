#include "base/FileErrors.h"

#include "base/CodePage.h"
#include "base/FileNames.h"

#include <cerrno>
#include <cstring>
#include <filesystem>

namespace sorvak {

std::string AbsolutePath(const std::string& path) {
    if (path.empty())
        return path;
    std::filesystem::path p(path);
    if (p.is_relative()) {
        std::error_code error;
        const std::filesystem::path current = std::filesystem::current_path(error);
        if (!error)
            p = std::filesystem::path(FileNameFromSystem(current.string())) / p;
    }
    return p.lexically_normal().string();
}

std::string FileMessage(const std::string& path, int errnum, std::string_view action) {
    return "ファイル \"" + codepage::ToUtf8(AbsolutePath(path)) + "\". " +
           codepage::ToUtf8(std::strerror(errnum)) + " " + std::string(action);
}

std::string CannotCreateFileMessage(const std::string& path, int errnum) {
    return FileMessage(path, errnum, "を作成できません");
}

EFCreateError::EFCreateError(const std::string& path, int errnum)
    : Exception(CannotCreateFileMessage(path, errnum)) {}

EWriteError::EWriteError() : Exception("ストリームへの書き込みエラー") {}

} // namespace sorvak
