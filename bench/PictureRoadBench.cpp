// The picture road measured whole: process start to the picture dialog shown
// with a picture on the clipboard, against a bare Qt program that takes the
// same picture and opens a non-native QFileDialog; the dialog closing on Save
// to the program's end, against the PNG writer alone on the same picture in
// this process; process start to end, Return sent the moment the dialog
// shows; and the peak memory of both programs. With --before, an earlier
// build of the program runs the same road between ours, and the two
// start-to-end times are compared. Runs interleave, so every figure meets the
// same machine load.
// Usage: sorvak-picture-road-bench [--runs N] [--before OLD_SORVAK] SORVAK BARE_DIALOG PICTURE.png
// (needs DISPLAY, xclip and xdotool; a copy of SORVAK runs in a temporary
// folder, its settings choosing PNG there).
#include "bench/ImageReaders.h"
#include "bench/RoadSupport.h"
#include "imaging/Bitmap.h"
#include "imaging/Png.h"

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;
using namespace sorvak::bench;

namespace {

const char* const DialogTitle = "クリップボード画像に名前を付けて保存";
const char* const BareTitle = "bare-file-dialog";

struct Run {
    double startMs = -1, peakMib = 0;
};

// What the pixels of a picture in the clipboard form are, alpha byte aside.
std::uint64_t PixelDigest(const sorvak::DeviceBitmap& picture) {
    std::uint64_t digest = 14695981039346656037ull; // FNV-1a
    for (std::size_t i = 0; i + 3 < picture.Bits.size(); i += 4)
        for (std::size_t k = i; k < i + 3; ++k)
            digest = (digest ^ picture.Bits[k]) * 1099511628211ull;
    return digest;
}

// The bare program: start to its dialog; killed there.
Run Bare(Display& display, const std::string& program) {
    Run run;
    const auto start = Clock::now();
    const pid_t pid = Start({program, "--clipboard-picture"}, "");
    if (display.WaitForMap(BareTitle, start + std::chrono::seconds(120), pid) != 0)
        run.startMs = Ms(Clock::now() - start);
    kill(pid, SIGTERM);
    run.peakMib = Reap(pid);
    return run;
}

// The PNG writer alone, as the program calls it, into the same folder.
double WriterAlone(const sorvak::TBitmap& bitmap, const fs::path& file) {
    const auto start = Clock::now();
    sorvak::TPNGObject png;
    png.AssignFrom(bitmap);
    png.WriteToFile(file.string());
    return Ms(Clock::now() - start);
}

} // namespace

int main(int argc, char** argv) {
    int runs = 7;
    std::string before;
    std::vector<std::string> args;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--runs") == 0 && i + 1 < argc)
            runs = std::max(1, std::atoi(argv[++i]));
        else if (std::strcmp(argv[i], "--before") == 0 && i + 1 < argc)
            before = argv[++i];
        else
            args.push_back(argv[i]);
    }
    if (args.size() != 3 || std::getenv("DISPLAY") == nullptr) {
        std::fprintf(stderr,
                     "usage: DISPLAY=... %s [--runs N] [--before OLD_SORVAK] SORVAK BARE_DIALOG "
                     "PICTURE.png\n",
                     argv[0]);
        return 2;
    }
    sorvak::TBitmap bitmap;
    std::uint64_t digest = 0;
    try {
        sorvak::DeviceBitmap device = sorvak::bench::ReadImage(args[2]);
        digest = PixelDigest(device);
        bitmap.LoadClipboardBitmap(sorvak::CF_BITMAP, &device, nullptr);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s: %s\n", args[2].c_str(), e.what());
        return 1;
    }
    RoadFolders folders("sorvak-picture-road", args[0], before,
                        "[PictureDialog]\r\nSavePicMode=3\r\n");
    const fs::path folder = folders.Ours;
    const fs::path program = folder / "sorvak";
    BeforeProgram& old = folders.Before;
    if (!OfferOnClipboard("image/png", args[2])) {
        return 1;
    }

    Display display;
    if (!display.Opened()) {
        std::fprintf(stderr, "cannot open the display\n");
        return 1;
    }
    std::vector<double> ourStart, bareStart, ourSave, ourEnd, writer, ourPeak, barePeak;
    const std::string written = "Image\xEF\xBC\x88" + std::to_string(bitmap.Width()) + "\xC3\x97" +
                                std::to_string(bitmap.Height()) + "\xEF\xBC\x89.png";
    // The file of each run; on the first, its pixels are the clipboard's.
    auto wrote = [&](const fs::path& file, int run) {
        if (!fs::exists(file))
            return false;
        try {
            return run > 0 || PixelDigest(sorvak::bench::ReadImage(file.string())) == digest;
        } catch (const std::exception&) {
            return false;
        }
    };
    const auto limit = std::chrono::seconds(120);
    for (int i = 0; i < runs; ++i) {
        const std::optional<DialogRun> both =
            RunBoth(display, program, folder.string(), old, DialogTitle, written, i,
                    [&](const std::string& file) { return wrote(file, i); });
        if (!both) {
            return 1;
        }
        const DialogRun& ours = *both;
        // Save once the picture has come: the write and what follows it.
        const bool oursWrote = wrote(folder / written, i);
        fs::remove(folder / written);
        const DialogRun settled =
            RunThroughDialog(display, program, folder, DialogTitle, limit, true);
        const Run bare = Bare(display, args[1]);
        if (ours.startMs < 0 || ours.saveMs < 0 || !ours.ok || settled.saveMs < 0 || !settled.ok ||
            !oursWrote || bare.startMs < 0 || !wrote(folder / written, i)) {
            std::fprintf(stderr, "run %d: a window did not appear or the file is wrong\n", i);
            return 1;
        }
        ourStart.push_back(ours.startMs);
        ourSave.push_back(settled.saveMs);
        ourEnd.push_back(ours.endMs);
        ourPeak.push_back(std::max(ours.peakMib, settled.peakMib));
        bareStart.push_back(bare.startMs);
        barePeak.push_back(bare.peakMib);
        writer.push_back(WriterAlone(bitmap, folder / "writer-alone.png"));
    }

    const double raw = 4.0 * bitmap.Width() * bitmap.Height() / (1024 * 1024);
    std::printf("what runs median floor floor_median ratio\n");
    std::printf("start_to_dialog_ms %d %.1f bare-qfiledialog %.1f %.2f\n", runs, Median(ourStart),
                Median(bareStart), Median(ourStart) / Median(bareStart));
    std::printf("save_to_end_ms %d %.1f png-writer-alone %.1f %.2f\n", runs, Median(ourSave),
                Median(writer), Median(ourSave) / Median(writer));
    PrintStartToEnd(runs, ourEnd, old);
    std::printf("peak_mib %d %.1f bare-qfiledialog %.1f -\n", runs, Median(ourPeak),
                Median(barePeak));
    std::printf("peak_over_bare_per_raw_picture %d %.2f raw_mib %.1f -\n", runs,
                (Median(ourPeak) - Median(barePeak)) / raw, raw);
    return 0;
}
