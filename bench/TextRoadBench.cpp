// The text road measured whole, each figure beside its floor in the same run
// (runs interleaved, so every figure meets the same machine load): process
// start to the text dialog shown, against `xclip -o` of the same text into a
// file; the dialog closing on Save to the program's end, against a durable
// write (`dd conv=fsync`) of the bytes the program writes; the peak memory
// against the text's size.
// Usage: sorvak-text-road-bench [--runs N] [--mib M] SORVAK
// (needs DISPLAY, xclip, xdotool and dd; the text, M MiB of UTF-8 lines with
// LF breaks, is made in a temporary folder where a copy of SORVAK runs).
#include "bench/RoadSupport.h"

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

namespace fs = std::filesystem;
using namespace sorvak::bench;

namespace {

const char* const DialogTitle = "クリップボードテキストに名前を付けて保存";

// Lines of varied length, mostly ASCII with some Japanese, as logs and
// source files copied from an editor are.
std::string MakeText(std::size_t bytes) {
    std::mt19937 random(21);
    const char* const words[] = {"the",
                                 "clipboard",
                                 "save",
                                 "0x7f3a",
                                 "{",
                                 "}",
                                 "return",
                                 "\xE6\x96\x87\xE5\xAD\x97",
                                 "\xE3\x83\x86\xE3\x82\xAD\xE3\x82\xB9\xE3\x83\x88",
                                 "error:",
                                 "=",
                                 "// note"};
    std::string text;
    text.reserve(bytes + 200);
    while (text.size() < bytes) {
        const unsigned count = random() % 16;
        for (unsigned i = 0; i < count; ++i) {
            text += words[random() % std::size(words)];
            text += ' ';
        }
        text += '\n';
    }
    return text;
}

std::string CrLf(const std::string& text) {
    std::string out;
    out.reserve(text.size() + text.size() / 16);
    for (char c : text) {
        if (c == '\n')
            out += '\r';
        out += c;
    }
    return out;
}

struct Run {
    double startMs = -1, saveMs = -1, endMs = -1, peakMib = 0;
};

// Our program: start to the dialog, then Return, the dialog's unmap to the end.
Run Ours(Display& display, const fs::path& program, const fs::path& folder) {
    Run run;
    const auto start = Clock::now();
    const pid_t pid = Start({program.string()}, folder.string());
    const xcb_window_t dialog = display.WaitForMap(DialogTitle, start + std::chrono::seconds(60));
    if (dialog != 0) {
        run.startMs = Ms(Clock::now() - start);
        const std::string keys =
            "xdotool windowfocus --sync " + std::to_string(dialog) + " key Return";
        if (std::system(keys.c_str()) == 0 &&
            display.WaitForUnmap(dialog, Clock::now() + std::chrono::seconds(60))) {
            const auto closed = Clock::now();
            run.peakMib = Reap(pid);
            const auto end = Clock::now();
            run.saveMs = Ms(end - closed);
            run.endMs = Ms(end - start);
            return run;
        }
    }
    kill(pid, SIGKILL);
    Reap(pid);
    return run;
}

// A child's time from start to end; negative when it failed.
double Timed(const std::vector<std::string>& args, const std::string& output = "") {
    const auto start = Clock::now();
    bool ok = false;
    Reap(Start(args, "", output), &ok);
    return ok ? Ms(Clock::now() - start) : -1;
}

} // namespace

int main(int argc, char** argv) {
    int runs = 7;
    std::size_t mib = 100;
    std::vector<std::string> args;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--runs") == 0 && i + 1 < argc)
            runs = std::max(1, std::atoi(argv[++i]));
        else if (std::strcmp(argv[i], "--mib") == 0 && i + 1 < argc)
            mib = static_cast<std::size_t>(std::max(1, std::atoi(argv[++i])));
        else
            args.push_back(argv[i]);
    }
    if (args.size() != 1 || std::getenv("DISPLAY") == nullptr) {
        std::fprintf(stderr, "usage: DISPLAY=... %s [--runs N] [--mib M] SORVAK\n", argv[0]);
        return 2;
    }
    const fs::path folder = MakeRoadFolder("sorvak-text-road", args[0], "[TextSaveDialog]\r\n");
    const fs::path program = folder / "sorvak";
    const fs::path source = folder / "clipboard.txt";
    const fs::path expected = folder / "expected.txt";
    {
        const std::string text = MakeText(mib << 20);
        std::ofstream(source, std::ios::binary) << text;
        std::ofstream(expected, std::ios::binary) << CrLf(text);
    }
    const double textMib = static_cast<double>(fs::file_size(source)) / (1 << 20);
    if (!OfferOnClipboard("UTF8_STRING", source.string()))
        return 1;

    Display display;
    if (!display.Opened()) {
        std::fprintf(stderr, "cannot open the display\n");
        fs::remove_all(folder);
        return 1;
    }
    const fs::path written = folder / "ClipboardText.txt";
    std::vector<double> ourStart, ourSave, ourEnd, ourPeak, xclip, durable;
    for (int i = 0; i < runs; ++i) {
        fs::remove(written);
        const Run ours = Ours(display, program, folder);
        const double out = Timed({"xclip", "-o", "-selection", "clipboard", "-t", "UTF8_STRING"},
                                 (folder / "xclip-out.txt").string());
        const double dd =
            Timed({"dd", "if=" + expected.string(), "of=" + (folder / "dd-out.txt").string(),
                   "bs=1M", "conv=fsync", "status=none"});
        if (ours.startMs < 0 || ours.saveMs < 0 || out < 0 || dd < 0 || !fs::exists(written) ||
            fs::file_size(written) != fs::file_size(expected)) {
            std::fprintf(stderr, "run %d: a window did not appear or the file is wrong\n", i);
            fs::remove_all(folder);
            return 1;
        }
        if (i == 0) {
            std::ifstream a(written, std::ios::binary), b(expected, std::ios::binary);
            if (!std::equal(std::istreambuf_iterator<char>(a), {},
                            std::istreambuf_iterator<char>(b), {})) {
                std::fprintf(stderr, "the written file differs from the text with CR LF\n");
                fs::remove_all(folder);
                return 1;
            }
        }
        ourStart.push_back(ours.startMs);
        ourSave.push_back(ours.saveMs);
        ourEnd.push_back(ours.endMs);
        ourPeak.push_back(ours.peakMib);
        xclip.push_back(out);
        durable.push_back(dd);
        fs::remove(folder / "xclip-out.txt");
        fs::remove(folder / "dd-out.txt");
    }
    fs::remove_all(folder);

    std::printf("what runs median floor floor_median ratio\n");
    std::printf("start_to_dialog_ms %d %.1f xclip-o-into-file %.1f %.2f\n", runs, Median(ourStart),
                Median(xclip), Median(ourStart) / Median(xclip));
    std::printf("save_to_end_ms %d %.1f dd-conv-fsync %.1f %.2f\n", runs, Median(ourSave),
                Median(durable), Median(ourSave) / Median(durable));
    std::printf("start_to_end_ms %d %.1f - - -\n", runs, Median(ourEnd));
    std::printf("peak_mib %d %.1f text_mib %.1f %.2f\n", runs, Median(ourPeak), textMib,
                Median(ourPeak) / textMib);
    return 0;
}
