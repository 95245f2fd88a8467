// The command line on the Wayland transport against the plain copy of the
// same clipboard picture: `sorvak -o x.png` (the picture read through
// data-control, decoded and written as PNG) beside `wl-paste --type
// image/png > f` (the bytes alone), runs interleaved in the same session.
// Usage: sorvak-wayland-paste-bench [--runs N] SORVAK PICTURE.png
// (needs WAYLAND_DISPLAY naming a compositor with data-control, wl-copy and
// wl-paste; a copy of SORVAK runs in a temporary folder).
#include "bench/ImageReaders.h"
#include "bench/RoadSupport.h"

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

namespace fs = std::filesystem;
using namespace sorvak::bench;
using sorvak::DeviceBitmap;

namespace {

// A child's time from start to end; negative when it failed.
double Timed(const std::vector<std::string>& args, const std::string& folder,
             const std::string& output = "") {
    const auto start = Clock::now();
    bool ok = false;
    Reap(Start(args, folder, output), &ok);
    return ok ? Ms(Clock::now() - start) : -1;
}

// wl-copy serving the picture until the object ends.
class Owner {
public:
    explicit Owner(const std::string& picture) {
        pid_ = fork();
        if (pid_ == 0) {
            const FILE* in = std::freopen(picture.c_str(), "rb", stdin);
            if (in == nullptr || std::freopen("/dev/null", "w", stdout) == nullptr)
                _exit(126);
            execlp("wl-copy", "wl-copy", "--foreground", "--type", "image/png", nullptr);
            _exit(127);
        }
    }
    ~Owner() {
        kill(pid_, SIGTERM);
        Reap(pid_);
    }

private:
    pid_t pid_ = -1;
};

bool SamePixels(const DeviceBitmap& a, const DeviceBitmap& b) {
    return a.Width == b.Width && a.Height == b.Height && a.Bits == b.Bits;
}

} // namespace

int main(int argc, char** argv) {
    int runs = 7;
    std::vector<std::string> args;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--runs") == 0 && i + 1 < argc)
            runs = std::max(1, std::atoi(argv[++i]));
        else
            args.push_back(argv[i]);
    }
    if (args.size() != 2 || std::getenv("WAYLAND_DISPLAY") == nullptr) {
        std::fprintf(stderr, "usage: WAYLAND_DISPLAY=... %s [--runs N] SORVAK PICTURE.png\n",
                     argv[0]);
        return 2;
    }
    char pattern[] = "/tmp/sorvak-wayland-paste-XXXXXX";
    if (mkdtemp(pattern) == nullptr)
        return 1;
    const fs::path folder = pattern;
    struct Remove {
        fs::path folder;
        ~Remove() { fs::remove_all(folder); }
    } remove{folder};
    const fs::path program = folder / "sorvak";
    fs::copy_file(args[0], program);
    const DeviceBitmap expected = ReadImage(args[1]);

    const Owner owner(args[1]);
    // Ready once wl-paste gives the whole picture.
    const fs::path pasted = folder / "pasted.png";
    for (int i = 0; i < 100; ++i) {
        if (Timed({"wl-paste", "--type", "image/png"}, "", pasted.string()) >= 0 &&
            fs::file_size(pasted) == fs::file_size(args[1]))
            break;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }

    std::vector<double> ours, floor;
    for (int i = 0; i < runs; ++i) {
        const fs::path written = folder / ("out" + std::to_string(i) + ".png");
        const double sorvak = Timed({program.string(), "-o", written.string()}, folder.string());
        const double paste = Timed({"wl-paste", "--type", "image/png"}, "", pasted.string());
        if (sorvak < 0 || paste < 0 || fs::file_size(pasted) != fs::file_size(args[1]) ||
            (i == 0 && !SamePixels(ReadImage(written.string()), expected))) {
            std::fprintf(stderr, "run %d: a command failed or the picture differs\n", i);
            return 1;
        }
        fs::remove(written);
        ours.push_back(sorvak);
        floor.push_back(paste);
    }
    std::printf("what runs median floor floor_median ratio\n");
    std::printf("output_png_ms %d %.1f wl-paste-into-file %.1f %.2f\n", runs, Median(ours),
                Median(floor), Median(ours) / Median(floor));
    return 0;
}
