#pragma once
// Test helpers for files: a temporary folder removed at the end, whole
// files read and written as bytes, and the names a folder holds.
#include <filesystem>
#include <string>
#include <vector>

namespace sorvak::test {

// A new folder under /tmp, removed with everything in it when the object
// ends. Throws when it cannot be made, so no test runs in a folder it does
// not own.
class TempDir {
public:
    explicit TempDir(const std::string& prefix = "sorvak-test");
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& Path() const { return path_; }
    // The path of a name inside the folder, as text.
    std::string operator/(const std::string& name) const { return (path_ / name).string(); }

private:
    std::filesystem::path path_;
};

// The whole file's bytes; "" when it cannot be read.
std::string ReadFileBytes(const std::filesystem::path& path);
// Creates or replaces the file with exactly these bytes; throws on failure.
void WriteFileBytes(const std::filesystem::path& path, const std::string& bytes);
// The names of everything in the folder, sorted.
std::vector<std::string> Entries(const std::filesystem::path& folder);

} // namespace sorvak::test
