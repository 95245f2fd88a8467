#include "base/FileErrors.h"

#include "base/CodePage.h"

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
            p = current / p;
    }
    return p.lexically_normal().string();
}

namespace {

constexpr const char* CannotCreateFile =
    SORVAK_TEXT("sorvak", "ファイル \"%s\". %s を作成できません");

std::vector<std::string> CannotCreateFileArguments(const std::string& path, int errnum) {
    return {codepage::ToUtf8(AbsolutePath(path)), codepage::ToUtf8(std::strerror(errnum))};
}

} // namespace

std::string CannotCreateFileMessage(const std::string& path, int errnum) {
    return FillFormat(CannotCreateFile, CannotCreateFileArguments(path, errnum));
}

EFCreateError::EFCreateError(const std::string& path, int errnum)
    : Exception(CannotCreateFile, CannotCreateFileArguments(path, errnum)) {}

EWriteError::EWriteError() : Exception(SORVAK_TEXT("sorvak", "ストリームへの書き込みエラー")) {}

} // namespace sorvak
