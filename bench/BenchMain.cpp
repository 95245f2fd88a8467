// sorvak-bench [--out DIR] [--runs N] [--only WRITER] IMAGE...
//
// Times each picture writer the way the program runs it (create, AssignFrom
// the clipboard bitmap, WriteToFile) beside references in the same process,
// and prints one line per writer, picture and reference:
//     writer picture ms ref ref_ms ratio peak_mib
// ms and ref_ms are medians of N runs; peak_mib is the process's peak resident
// memory so far. With --out, DIR/<picture>.<ext> holds each writer's file.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <iostream>
#include <map>
#include <stdexcept>
#include <string>
#include <sys/resource.h>
#include <unistd.h>
#include <vector>

#include "bench/BenchRegistry.h"
#include "bench/ImageReaders.h"

namespace sorvak::bench {

namespace {

std::vector<BenchWriter>& Registry() {
    static std::vector<BenchWriter> writers;
    return writers;
}

double PeakMiB() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_maxrss) / 1024.0;
}

double Median(std::vector<double> times) {
    std::sort(times.begin(), times.end());
    const std::size_t n = times.size();
    return n % 2 ? times[n / 2] : (times[n / 2 - 1] + times[n / 2]) / 2;
}

double TimeMs(const TimedRun& run) {
    const auto start = std::chrono::steady_clock::now();
    run();
    const auto end = std::chrono::steady_clock::now();
    return std::chrono::duration<double, std::milli>(end - start).count();
}

// Files left by a run are removed between runs, outside the timing, so no
// run pays for truncating or unlinking another run's file.
void ClearFolder(const std::string& dir) {
    std::error_code ignored;
    for (const auto& entry : std::filesystem::directory_iterator(dir, ignored))
        std::filesystem::remove(entry.path(), ignored);
}

int Usage() {
    std::cerr << "usage: sorvak-bench [--out DIR] [--runs N] [--only WRITER] IMAGE...\n"
                 "writers:";
    for (const auto& w : Registry())
        std::cerr << ' ' << w.Name;
    std::cerr << '\n';
    return 2;
}

} // namespace

void FlushDurably(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0 || ::fsync(fd) != 0)
        throw std::runtime_error("cannot flush " + path);
    ::close(fd);
    const std::string folder = std::filesystem::path(path).parent_path().string();
    const int dir =
        ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
}

void RegisterWriter(BenchWriter writer) {
    Registry().push_back(std::move(writer));
}

const std::vector<BenchWriter>& Writers() {
    return Registry();
}

} // namespace sorvak::bench

int main(int argc, char** argv) {
    using namespace sorvak;
    using namespace sorvak::bench;
    std::string outDir, only;
    int runs = 5;
    std::vector<std::string> images;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if ((arg == "--out" || arg == "--runs" || arg == "--only") && i + 1 < argc) {
            const std::string value = argv[++i];
            if (arg == "--out")
                outDir = value;
            else if (arg == "--only")
                only = value;
            else
                runs = std::atoi(value.c_str());
        } else if (arg.starts_with("--")) {
            return Usage();
        } else {
            images.push_back(arg);
        }
    }
    if (images.empty() || runs < 1)
        return Usage();
    std::vector<const BenchWriter*> writers;
    for (const auto& w : Writers())
        if (only.empty() || w.Name == only)
            writers.push_back(&w);
    if (writers.empty())
        return Usage();

    if (!outDir.empty()) {
        std::error_code error;
        std::filesystem::create_directories(outDir, error);
        if (error) {
            std::fprintf(stderr, "%s: %s\n", outDir.c_str(), error.message().c_str());
            return 1;
        }
    }
    // Files of the timed runs go to a scratch folder unless --out names one.
    char scratchTemplate[] = "/tmp/sorvak-bench-XXXXXX";
    if (mkdtemp(scratchTemplate) == nullptr) {
        std::perror("mkdtemp");
        return 1;
    }
    const std::string scratch = scratchTemplate;
    int status = 0;
    std::printf("%-8s %-16s %10s %-10s %10s %6s %9s\n", "writer", "picture", "ms", "ref", "ref_ms",
                "ratio", "peak_mib");
    for (const std::string& path : images) {
        const std::string name = std::filesystem::path(path).stem().string();
        TBitmap bitmap;
        try {
            DeviceBitmap device = ReadImage(path);
            bitmap.LoadClipboardBitmap(CF_BITMAP, &device, nullptr);
        } catch (const std::exception& e) {
            std::fprintf(stderr, "%s: %s\n", path.c_str(), e.what());
            status = 1;
            continue;
        }
        BenchPicture picture{name, &bitmap, scratch};
        for (const BenchWriter* writer : writers) {
            const std::string dir = outDir.empty() ? scratch : outDir;
            const std::string file = dir + "/" + name + "." + writer->Extension;
            try {
                std::vector<TimedRun> refRuns;
                for (const BenchReference& ref : writer->References)
                    refRuns.push_back(ref.Prepare(picture));
                // Runs alternate between the writer and its references, so a
                // change in the machine's load touches both alike.
                std::vector<double> ms;
                std::vector<std::vector<double>> refMs(refRuns.size());
                for (int i = 0; i < runs; ++i) {
                    std::error_code ignored;
                    std::filesystem::remove(file, ignored);
                    ms.push_back(TimeMs([&] {
                        std::unique_ptr<TGraphic> graphic = writer->Create();
                        graphic->AssignFrom(bitmap);
                        graphic->WriteToFile(file);
                    }));
                    for (std::size_t r = 0; r < refRuns.size(); ++r) {
                        refMs[r].push_back(TimeMs(refRuns[r]));
                        ClearFolder(scratch);
                    }
                }
                refRuns.clear();
                const double writerMs = Median(ms);
                for (std::size_t r = 0; r < refMs.size(); ++r) {
                    const double refMedian = Median(refMs[r]);
                    std::printf("%-8s %-16s %10.1f %-10s %10.1f %6.2f %9.1f\n",
                                writer->Name.c_str(), name.c_str(), writerMs,
                                writer->References[r].Name.c_str(), refMedian,
                                refMedian > 0 ? writerMs / refMedian : 0.0, PeakMiB());
                }
                std::fflush(stdout);
            } catch (const std::exception& e) {
                std::fprintf(stderr, "%s %s: %s\n", writer->Name.c_str(), name.c_str(), e.what());
                status = 1;
            }
        }
    }
    std::error_code ignored;
    std::filesystem::remove_all(scratch, ignored);
    return status;
}
