// The command line against the usual shell pipelines, with the same PNG on
// the clipboard: `sorvak -o f.png` against `xclip -t image/png -o > f`, and
// `sorvak -o f.jpg` against `xclip -t image/png -o | convert png:- f.jpg`.
// Runs interleave, so every figure meets the same machine load; the figures
// are medians and the ratios are of the medians of this one run. Sorvak also
// flushes its file to disk, which xclip does not: flush_ms is an fsync of
// xclip's fresh file, the part of Sorvak's time the pipeline leaves out.
// Usage: sorvak-cli-bench [--runs N] SORVAK PICTURE.png
// (needs DISPLAY, xclip and ImageMagick's convert).
#include "bench/RoadSupport.h"

#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <string>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;
using namespace sorvak::bench;

namespace {

// One command's wall time in ms, or a negative value when it failed.
double Time(const std::vector<std::string>& args, const std::string& output = "") {
    const auto start = Clock::now();
    bool ok = false;
    Reap(Start(args, "", output), &ok);
    return ok ? Ms(Clock::now() - start) : -1;
}

double FsyncMs(const std::string& file) {
    const int fd = ::open(file.c_str(), O_WRONLY);
    if (fd < 0)
        return -1;
    const auto start = Clock::now();
    ::fsync(fd);
    const double ms = Ms(Clock::now() - start);
    ::close(fd);
    return ms;
}

} // namespace

int main(int argc, char** argv) {
    int runs = 7;
    std::vector<std::string> positional;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--runs" && i + 1 < argc)
            runs = std::atoi(argv[++i]);
        else
            positional.push_back(arg);
    }
    if (positional.size() != 2 || runs < 1) {
        std::fprintf(stderr, "usage: %s [--runs N] SORVAK PICTURE.png\n", argv[0]);
        return 2;
    }
    const std::string program = fs::absolute(positional[0]).string();
    if (!OfferOnClipboard("image/png", positional[1]))
        return 1;
    const fs::path folder =
        fs::temp_directory_path() / ("sorvak-cli-bench-" + std::to_string(getpid()));
    fs::create_directories(folder);
    const std::string ours = (folder / "ours").string(), theirs = (folder / "theirs").string();
    const std::string xclip = "xclip -selection clipboard -t image/png -o";

    std::vector<double> png, xclipPng, jpg, pipeJpg, flush;
    bool failed = false;
    for (int run = 0; run < runs && !failed; ++run) {
        fs::remove(ours + ".png");
        fs::remove(ours + ".jpg");
        const double a = Time({program, "-o", ours + ".png"});
        const double b = Time({"sh", "-c", xclip + " > '" + theirs + ".png'"});
        const double f = FsyncMs(theirs + ".png");
        const double c = Time({program, "-o", ours + ".jpg"});
        const double d = Time({"sh", "-c", xclip + " | convert png:- '" + theirs + ".jpg'"});
        failed = a < 0 || b < 0 || c < 0 || d < 0 || f < 0;
        png.push_back(a);
        xclipPng.push_back(b);
        flush.push_back(f);
        jpg.push_back(c);
        pipeJpg.push_back(d);
    }
    fs::remove_all(folder);
    if (failed) {
        std::fprintf(stderr, "a command failed\n");
        return 1;
    }
    const double mPng = Median(png), mXclip = Median(xclipPng), mJpg = Median(jpg),
                 mPipe = Median(pipeJpg), mFlush = Median(flush);
    std::printf("runs %d (medians, ms)\n", runs);
    std::printf("sorvak -o f.png          %8.1f\n", mPng);
    std::printf("xclip -o > f             %8.1f   sorvak/xclip %.2f\n", mXclip, mPng / mXclip);
    std::printf("flush_ms (fsync of f)    %8.1f   sorvak/(xclip+flush) %.2f\n", mFlush,
                mPng / (mXclip + mFlush));
    std::printf("sorvak -o f.jpg          %8.1f\n", mJpg);
    std::printf("xclip | convert f.jpg    %8.1f   sorvak/pipeline %.2f\n", mPipe, mJpg / mPipe);
    return 0;
}
