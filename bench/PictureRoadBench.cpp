// The picture road measured whole: process start to the picture dialog shown
// with a picture on the clipboard, against a bare Qt program that takes the
// same picture and opens a non-native QFileDialog; the dialog closing on Save
// to the program's end, against the PNG writer alone on the same picture in
// this process; and the peak memory of both programs. Runs interleave, so
// every figure meets the same machine load.
// Usage: sorvak-picture-road-bench [--runs N] SORVAK BARE_DIALOG PICTURE.png
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
    double startMs = -1, saveMs = -1, peakMib = 0;
};

// Our program: start to the dialog, then Return, the dialog's unmap to the end.
Run Ours(Display& display, const fs::path& program, const fs::path& folder) {
    Run run;
    const auto start = Clock::now();
    const pid_t pid = Start({program.string()}, folder.string());
    const xcb_window_t dialog = display.WaitForMap(DialogTitle, start + std::chrono::seconds(30));
    if (dialog != 0) {
        run.startMs = Ms(Clock::now() - start);
        const std::string window = std::to_string(dialog);
        const std::string keys = "xdotool windowfocus --sync " + window + " key Return";
        if (std::system(keys.c_str()) == 0 &&
            display.WaitForUnmap(dialog, Clock::now() + std::chrono::seconds(30))) {
            const auto closed = Clock::now();
            run.peakMib = Reap(pid);
            run.saveMs = Ms(Clock::now() - closed);
            return run;
        }
    }
    kill(pid, SIGKILL);
    Reap(pid);
    return run;
}

// The bare program: start to its dialog; killed there.
Run Bare(Display& display, const std::string& program) {
    Run run;
    const auto start = Clock::now();
    const pid_t pid = Start({program, "--clipboard-picture"}, "");
    if (display.WaitForMap(BareTitle, start + std::chrono::seconds(30)) != 0)
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
    std::vector<std::string> args;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--runs") == 0 && i + 1 < argc)
            runs = std::max(1, std::atoi(argv[++i]));
        else
            args.push_back(argv[i]);
    }
    if (args.size() != 3 || std::getenv("DISPLAY") == nullptr) {
        std::fprintf(stderr, "usage: DISPLAY=... %s [--runs N] SORVAK BARE_DIALOG PICTURE.png\n",
                     argv[0]);
        return 2;
    }
    sorvak::TBitmap bitmap;
    try {
        sorvak::DeviceBitmap device = sorvak::bench::ReadImage(args[2]);
        bitmap.LoadClipboardBitmap(sorvak::CF_BITMAP, &device, nullptr);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s: %s\n", args[2].c_str(), e.what());
        return 1;
    }
    const fs::path folder =
        MakeRoadFolder("sorvak-picture-road", args[0], "[PictureDialog]\r\nSavePicMode=3\r\n");
    const fs::path program = folder / "sorvak";
    if (!OfferOnClipboard("image/png", args[2]))
        return 1;

    Display display;
    if (!display.Opened()) {
        std::fprintf(stderr, "cannot open the display\n");
        fs::remove_all(folder);
        return 1;
    }
    std::vector<double> ourStart, bareStart, ourSave, writer, ourPeak, barePeak;
    const std::string written = "Image\xEF\xBC\x88" + std::to_string(bitmap.Width()) + "\xC3\x97" +
                                std::to_string(bitmap.Height()) + "\xEF\xBC\x89.png";
    for (int i = 0; i < runs; ++i) {
        fs::remove(folder / written);
        const Run ours = Ours(display, program, folder);
        const Run bare = Bare(display, args[1]);
        if (ours.startMs < 0 || ours.saveMs < 0 || bare.startMs < 0 ||
            !fs::exists(folder / written)) {
            std::fprintf(stderr, "run %d: a window did not appear or no file was written\n", i);
            fs::remove_all(folder);
            return 1;
        }
        ourStart.push_back(ours.startMs);
        ourSave.push_back(ours.saveMs);
        ourPeak.push_back(ours.peakMib);
        bareStart.push_back(bare.startMs);
        barePeak.push_back(bare.peakMib);
        writer.push_back(WriterAlone(bitmap, folder / "writer-alone.png"));
    }
    fs::remove_all(folder);

    const double raw = 4.0 * bitmap.Width() * bitmap.Height() / (1024 * 1024);
    std::printf("what runs median floor floor_median ratio\n");
    std::printf("start_to_dialog_ms %d %.1f bare-qfiledialog %.1f %.2f\n", runs, Median(ourStart),
                Median(bareStart), Median(ourStart) / Median(bareStart));
    std::printf("save_to_end_ms %d %.1f png-writer-alone %.1f %.2f\n", runs, Median(ourSave),
                Median(writer), Median(ourSave) / Median(writer));
    std::printf("peak_mib %d %.1f bare-qfiledialog %.1f -\n", runs, Median(ourPeak),
                Median(barePeak));
    std::printf("peak_over_bare_per_raw_picture %d %.2f raw_mib %.1f -\n", runs,
                (Median(ourPeak) - Median(barePeak)) / raw, raw);
    return 0;
}
