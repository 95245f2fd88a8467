// Replays fuzz corpora and past crashers without libFuzzer: every file given,
// or every file inside a folder given, goes through the fuzz target once.
// A path that does not exist fails the replay, so that a renamed or lost
// corpus is not mistaken for a passing one. The README.md that keeps an
// empty crashers/ folder in git is no input and is skipped.
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace {

bool IsPlaceholder(const std::filesystem::path& path) {
    return path.filename() == "README.md";
}

void RunFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
}

} // namespace

int main(int argc, char** argv) {
    int files = 0;
    for (int i = 1; i < argc; ++i) {
        const std::filesystem::path arg(argv[i]);
        if (!std::filesystem::exists(arg)) {
            std::fprintf(stderr, "%s: no such file or folder\n", argv[i]);
            return 1;
        }
        if (std::filesystem::is_directory(arg)) {
            for (const auto& entry : std::filesystem::recursive_directory_iterator(arg)) {
                if (entry.is_regular_file() && !IsPlaceholder(entry.path())) {
                    RunFile(entry.path());
                    ++files;
                }
            }
        } else {
            RunFile(arg);
            ++files;
        }
    }
    std::printf("replayed %d inputs\n", files);
    return files > 0 ? 0 : 1;
}
