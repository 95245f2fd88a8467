#include "base/FileErrors.h"

#include "base/CodePage.h"
#include "base/FileNames.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <utility>

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

std::vector<std::string> FileMessageArguments(const std::string& path, int errnum) {
    return {codepage::ToUtf8(AbsolutePath(path)), codepage::ToUtf8(std::strerror(errnum))};
}

namespace {

constexpr const char* CannotCreateFile =
    SORVAK_TEXT("sorvak", "ファイル \"%s\". %s を作成できません");

} // namespace

std::string CannotCreateFileMessage(const std::string& path, int errnum) {
    return FillFormat(CannotCreateFile, FileMessageArguments(path, errnum));
}

EFCreateError::EFCreateError(const std::string& path, int errnum)
    : Exception(CannotCreateFile, FileMessageArguments(path, errnum)) {}

EWriteError::EWriteError(std::string target, int errnum)
    : Exception(SORVAK_TEXT("sorvak", "ストリームへの書き込みエラー")), target_(std::move(target)),
      errno_(errnum) {}

} // namespace sorvak
