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
#include "imaging/Bitmap.h"
#include "imaging/Png.h"
#include "platform/x11/Xcb.h"

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;
using sorvak::platform::InternAtom;
using sorvak::platform::XcbConnection;
using sorvak::platform::XcbEvent;
using sorvak::platform::XcbReply;

namespace {

const char* const DialogTitle = "クリップボード画像に名前を付けて保存";
const char* const BareTitle = "bare-file-dialog";

double Ms(Clock::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
}

class Display {
public:
    Display() {
        const xcb_screen_t* screen = c_.Screen();
        if (screen == nullptr)
            return;
        const std::uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
        xcb_change_window_attributes(c_, screen->root, XCB_CW_EVENT_MASK, &mask);
        xcb_flush(c_);
        netWmName_ = InternAtom(c_, "_NET_WM_NAME");
        utf8_ = InternAtom(c_, "UTF8_STRING");
    }

    bool Opened() const { return c_.Screen() != nullptr; }

    // The next top-level window of that name mapped, or 0 after `limit`.
    xcb_window_t WaitForMap(const std::string& title, Clock::time_point limit) {
        while (Clock::now() < limit) {
            const XcbEvent event = Next(limit);
            if (!event)
                break;
            if ((event->response_type & 0x7F) == XCB_MAP_NOTIFY) {
                const auto* map = reinterpret_cast<xcb_map_notify_event_t*>(event.get());
                if (Name(map->window) == title)
                    return map->window;
            }
        }
        return 0;
    }
    // Whether the window was unmapped before `limit`.
    bool WaitForUnmap(xcb_window_t window, Clock::time_point limit) {
        while (Clock::now() < limit) {
            const XcbEvent event = Next(limit);
            if (!event)
                break;
            if ((event->response_type & 0x7F) == XCB_UNMAP_NOTIFY &&
                reinterpret_cast<xcb_unmap_notify_event_t*>(event.get())->window == window)
                return true;
        }
        return false;
    }

private:
    XcbEvent Next(Clock::time_point limit) {
        for (;;) {
            if (XcbEvent event{xcb_poll_for_event(c_)})
                return event;
            if (c_.HasError() || Clock::now() >= limit)
                return nullptr;
            usleep(200);
        }
    }
    std::string Name(xcb_window_t window) {
        const XcbReply<xcb_get_property_reply_t> reply(xcb_get_property_reply(
            c_, xcb_get_property(c_, 0, window, netWmName_, utf8_, 0, 1024), nullptr));
        std::string name;
        if (reply)
            name.assign(static_cast<const char*>(xcb_get_property_value(reply.get())),
                        xcb_get_property_value_length(reply.get()));
        return name;
    }

    XcbConnection c_;
    xcb_atom_t netWmName_ = XCB_ATOM_NONE, utf8_ = XCB_ATOM_NONE;
};

pid_t Start(const std::vector<std::string>& args, const std::string& folder) {
    const pid_t pid = fork();
    if (pid == 0) {
        if (!folder.empty() && chdir(folder.c_str()) != 0)
            _exit(126);
        std::vector<char*> argv;
        for (const std::string& a : args)
            argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        execv(argv[0], argv.data());
        _exit(127);
    }
    return pid;
}

// Waits for the child; its peak resident memory in MiB.
double Reap(pid_t pid) {
    int status = 0;
    rusage usage{};
    wait4(pid, &status, 0, &usage);
    return static_cast<double>(usage.ru_maxrss) / 1024.0;
}

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

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
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
    char pattern[] = "/tmp/sorvak-picture-road-XXXXXX";
    const fs::path folder = mkdtemp(pattern);
    const fs::path program = folder / "sorvak";
    fs::copy_file(args[0], program);
    std::ofstream(folder / "sorvak.ini", std::ios::binary)
        << "[PictureDialog]\r\nSavePicMode=3\r\nInitialDir=" << folder.string() << "\r\n";
    const std::string offer =
        "xclip -selection clipboard -t image/png -i '" + args[2] + "' >/dev/null 2>&1";
    if (std::system(offer.c_str()) != 0) {
        std::fprintf(stderr, "xclip failed\n");
        return 1;
    }

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
