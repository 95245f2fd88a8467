// The text road measured whole, each figure beside its floor in the same run
// (runs interleaved, so every figure meets the same machine load): process
// start to the text dialog shown, against `xclip -o` of the same text into a
// file; the dialog closing on Save to the program's end, against a durable
// write (`dd conv=fsync`) of the bytes the program writes; the peak memory
// against the text's size.
// With --before, an earlier build of the program runs the same road between
// ours, and the two start-to-end times are compared.
// Usage: sorvak-text-road-bench [--runs N] [--mib M] [--before OLD_SORVAK] SORVAK
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

bool SameBytes(const fs::path& a, const fs::path& b) {
    std::ifstream x(a, std::ios::binary), y(b, std::ios::binary);
    return std::equal(std::istreambuf_iterator<char>(x), {}, std::istreambuf_iterator<char>(y), {});
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
    std::string before;
    std::vector<std::string> args;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--runs") == 0 && i + 1 < argc)
            runs = std::max(1, std::atoi(argv[++i]));
        else if (std::strcmp(argv[i], "--mib") == 0 && i + 1 < argc)
            mib = static_cast<std::size_t>(std::max(1, std::atoi(argv[++i])));
        else if (std::strcmp(argv[i], "--before") == 0 && i + 1 < argc)
            before = argv[++i];
        else
            args.push_back(argv[i]);
    }
    if (args.size() != 1 || std::getenv("DISPLAY") == nullptr) {
        std::fprintf(stderr,
                     "usage: DISPLAY=... %s [--runs N] [--mib M] [--before OLD_SORVAK] SORVAK\n",
                     argv[0]);
        return 2;
    }
    RoadFolders folders("sorvak-text-road", args[0], before, "[TextSaveDialog]\r\n");
    const fs::path folder = folders.Ours;
    const fs::path program = folder / "sorvak";
    BeforeProgram& old = folders.Before;
    const fs::path source = folder / "clipboard.txt";
    const fs::path expected = folder / "expected.txt";
    {
        const std::string text = MakeText(mib << 20);
        std::ofstream(source, std::ios::binary) << text;
        std::ofstream(expected, std::ios::binary) << CrLf(text);
    }
    const double textMib = static_cast<double>(fs::file_size(source)) / (1 << 20);
    if (!OfferOnClipboard("UTF8_STRING", source.string())) {
        return 1;
    }

    Display display;
    if (!display.Opened()) {
        std::fprintf(stderr, "cannot open the display\n");
        return 1;
    }
    const fs::path written = folder / "ClipboardText.txt";
    // The file each run writes: the text with CR LF, compared whole on the
    // first run.
    auto wrote = [&](const fs::path& file, int run) {
        return fs::exists(file) && fs::file_size(file) == fs::file_size(expected) &&
               (run > 0 || SameBytes(file, expected));
    };
    std::vector<double> ourStart, ourSave, ourEnd, ourPeak, xclip, durable;
    for (int i = 0; i < runs; ++i) {
        const std::optional<DialogRun> both =
            RunBoth(display, program, folder.string(), old, DialogTitle, "ClipboardText.txt", i,
                    [&](const std::string& file) { return wrote(file, i); });
        if (!both) {
            return 1;
        }
        const DialogRun& ours = *both;
        const double out = Timed({"xclip", "-o", "-selection", "clipboard", "-t", "UTF8_STRING"},
                                 (folder / "xclip-out.txt").string());
        const double dd =
            Timed({"dd", "if=" + expected.string(), "of=" + (folder / "dd-out.txt").string(),
                   "bs=1M", "conv=fsync", "status=none"});
        // Save once the text has come: the write and what follows it.
        const bool oursWrote = wrote(written, i);
        fs::remove(written);
        const DialogRun settled = RunThroughDialog(display, program, folder, DialogTitle,
                                                   std::chrono::seconds(120), true);
        if (ours.startMs < 0 || ours.saveMs < 0 || !ours.ok || settled.saveMs < 0 || !settled.ok ||
            !oursWrote || out < 0 || dd < 0 || !wrote(written, i)) {
            std::fprintf(stderr, "run %d: a window did not appear or the file is wrong\n", i);
            return 1;
        }
        ourStart.push_back(ours.startMs);
        ourSave.push_back(settled.saveMs);
        ourEnd.push_back(ours.endMs);
        ourPeak.push_back(std::max(ours.peakMib, settled.peakMib));
        xclip.push_back(out);
        durable.push_back(dd);
        fs::remove(folder / "xclip-out.txt");
        fs::remove(folder / "dd-out.txt");
    }

    std::printf("what runs median floor floor_median ratio\n");
    std::printf("start_to_dialog_ms %d %.1f xclip-o-into-file %.1f %.2f\n", runs, Median(ourStart),
                Median(xclip), Median(ourStart) / Median(xclip));
    std::printf("save_to_end_ms %d %.1f dd-conv-fsync %.1f %.2f\n", runs, Median(ourSave),
                Median(durable), Median(ourSave) / Median(durable));
    PrintStartToEnd(runs, ourEnd, old);
    std::printf("peak_mib %d %.1f text_mib %.1f %.2f\n", runs, Median(ourPeak), textMib,
                Median(ourPeak) / textMib);
    return 0;
}
