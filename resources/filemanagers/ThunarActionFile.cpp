#include "resources/filemanagers/ThunarActionFile.h"

#include "base/Exception.h"
#include "base/FileHead.h"
#include "base/FileNames.h"
#include "base/FilePath.h"
#include "base/OutputFile.h"

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string_view>

namespace sorvak::filemanagers {

namespace {

// Far beyond any list of actions; a larger file is not one we edit.
constexpr std::size_t MaxFile = 16u << 20;

std::string Variable(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr ? value : "";
}

// The file's text, nothing when there is no file; any other failure throws.
std::optional<std::string> ReadIfThere(const std::string& bytes) {
    int error = 0;
    std::optional<std::string> text = ReadFileHead(FilePath::FromSystem(bytes), MaxFile, &error);
    if (!text && error != ENOENT && error != ENOTDIR)
        throw EFOpenError(FileNameFromSystem(bytes), error);
    return text;
}

std::optional<std::string> SystemFile() {
    std::string folders = Variable("XDG_CONFIG_DIRS");
    if (folders.empty())
        folders = "/etc/xdg";
    for (std::size_t start = 0; start <= folders.size();) {
        std::size_t end = folders.find(':', start);
        if (end == std::string::npos)
            end = folders.size();
        const std::string folder = folders.substr(start, end - start);
        start = end + 1;
        // Relative entries are invalid there and ignored.
        if (!folder.starts_with('/'))
            continue;
        if (std::optional<std::string> text = ReadIfThere(folder + "/Thunar/uca.xml"))
            return text;
    }
    return std::nullopt;
}

} // namespace

ThunarActionInstall AddThunarActionForUser(const std::string& program) {
    std::string folder = Variable("XDG_CONFIG_HOME");
    if (!folder.starts_with('/')) {
        const std::string home = Variable("HOME");
        if (home.empty())
            throw Exception(SORVAK_TEXT("sorvak", "HOME も XDG_CONFIG_HOME も設定されていません"));
        folder = home + "/.config";
    }
    const std::string file = folder + "/Thunar/uca.xml";
    std::optional<std::string> existing = ReadIfThere(file);
    if (!existing)
        existing = SystemFile();
    if (existing && existing->size() == MaxFile)
        return {ThunarEdit::NotUnderstood, FileNameFromSystem(file)};
    const ThunarEditResult edit = AddThunarAction(existing, program);
    if (edit.Outcome == ThunarEdit::Added) {
        std::error_code ignored; // the write below reports a missing folder
        std::filesystem::create_directories(folder + "/Thunar", ignored);
        WriteWholeFile(FilePath::FromSystem(file), edit.Text);
    }
    return {edit.Outcome, FileNameFromSystem(file)};
}

} // namespace sorvak::filemanagers
