// sorvak-formtext FILE
// Prints the text form of a form description file as the text preview makes
// it (without the preview's 1024-byte cut), or the error message with exit
// status 1. "--bench FILE" converts the file repeatedly and reports the
// throughput on standard error instead.
#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>

#include "formtext/FormPreview.h"

namespace {

class CountingSink : public sorvak::FormTextSink {
public:
    std::size_t bytes = 0;
    void Write(std::string_view block) override { bytes += block.size(); }
};

bool ReadFile(const char* path, std::string& bytes) {
    std::ifstream in(path, std::ios::binary | std::ios::ate);
    if (!in)
        return false;
    const std::streamoff size = in.tellg();
    if (size < 0)
        return false;
    bytes.resize(static_cast<std::size_t>(size));
    in.seekg(0);
    return static_cast<bool>(in.read(bytes.data(), size));
}

// Converts for at least a second; the best run is the figure least disturbed
// by other work on the machine.
int Bench(const std::string& file) {
    using Clock = std::chrono::steady_clock;
    const auto start = Clock::now();
    int runs = 0;
    std::size_t textBytes = 0;
    double seconds = 0;
    double best = 1e9;
    do {
        const auto runStart = Clock::now();
        CountingSink sink;
        sorvak::ConvertFormFile(file, sink);
        const auto runEnd = Clock::now();
        best = std::min(best, std::chrono::duration<double>(runEnd - runStart).count());
        textBytes = sink.bytes;
        ++runs;
        seconds = std::chrono::duration<double>(runEnd - start).count();
    } while (seconds < 1.0);
    const double mb = static_cast<double>(file.size()) / 1e6;
    std::fprintf(stderr,
                 "%zu bytes in, %zu bytes of text; %d runs in %.3f s: mean %.1f MB/s, "
                 "best run %.3f ms, %.1f MB/s\n",
                 file.size(), textBytes, runs, seconds, mb * runs / seconds, best * 1e3, mb / best);
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    const bool bench = argc == 3 && std::strcmp(argv[1], "--bench") == 0;
    if (argc != 2 && !bench) {
        std::fprintf(stderr, "usage: sorvak-formtext FILE\n");
        return 2;
    }
    const char* path = argv[argc - 1];
    std::string file;
    if (!ReadFile(path, file)) {
        std::fprintf(stderr, "%s: %s\n", path, std::strerror(errno));
        return 1;
    }
    try {
        if (bench)
            return Bench(file);
        // Held until the conversion succeeded: a failure prints only its message.
        std::string text;
        sorvak::StringFormTextSink sink(text);
        sorvak::ConvertFormFile(file, sink);
        if (std::fwrite(text.data(), 1, text.size(), stdout) != text.size() ||
            std::fflush(stdout) != 0) {
            std::perror("standard output");
            return 1;
        }
    } catch (const sorvak::Exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    return 0;
}
