#pragma once
// What the road benchmarks share: starting a program, waiting for its
// windows on the display, its peak memory, medians.
#include "platform/x11/Xcb.h"

#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <sys/types.h>
#include <vector>

namespace sorvak::bench {

using Clock = std::chrono::steady_clock;

double Ms(Clock::duration d);

// A connection to $DISPLAY that follows top-level windows.
class Display {
public:
    Display();

    bool Opened() const { return c_.Screen() != nullptr; }

    // The next top-level window of that name mapped, or 0 after `limit` or
    // once `child` (when given) has ended.
    xcb_window_t WaitForMap(const std::string& title, Clock::time_point limit, pid_t child = 0);
    // Whether the window was unmapped before `limit`.
    bool WaitForUnmap(xcb_window_t window, Clock::time_point limit);

private:
    platform::XcbEvent Next(Clock::time_point limit, pid_t child = 0);
    std::string Name(xcb_window_t window);

    platform::XcbConnection c_;
    xcb_atom_t netWmName_ = XCB_ATOM_NONE, utf8_ = XCB_ATOM_NONE;
};

// Starts args[0] with those arguments in `folder` (or here when empty), its
// standard output into `output` when given.
pid_t Start(const std::vector<std::string>& args, const std::string& folder,
            const std::string& output = "");
// Waits for the child; its peak resident memory in MiB. `ok` tells whether
// it exited with status 0.
double Reap(pid_t pid, bool* ok = nullptr);

double Median(std::vector<double> values);

// One run of a program copy through its dialog: process start to the dialog
// mapped, Return sent the moment it maps (or, with `settled`, once the
// program has taken the whole content: it has used no processor time for
// 200 ms), the dialog's unmap to the process's end. Times are negative when a
// step did not happen before `limit` passed (the program is then killed);
// `ok` tells whether it exited with status 0.
struct DialogRun {
    double startMs = -1, saveMs = -1, endMs = -1, peakMib = 0;
    bool ok = false;
};
DialogRun RunThroughDialog(Display& display, const std::string& program, const std::string& folder,
                           const std::string& title, Clock::duration limit, bool settled = false);

// `--before OLD_PROGRAM`: the same road run by an earlier build, interleaved
// with ours in a folder of its own. Empty when not asked for.
struct BeforeProgram {
    std::string program; // the copy in `folder`
    std::string folder;
    std::vector<double> endMs;
    bool Asked() const { return !program.empty(); }
};
// The folders of one road benchmark, each made by MakeRoadFolder from
// `prefix`: ours, and the earlier build's when `before` names one. Both are
// removed when the object ends.
class RoadFolders {
public:
    RoadFolders(const std::string& prefix, const std::string& program, const std::string& before,
                const std::string& section);
    ~RoadFolders();
    RoadFolders(const RoadFolders&) = delete;
    RoadFolders& operator=(const RoadFolders&) = delete;

    std::string Ours;
    BeforeProgram Before;
};

// Run `run` of ours through the dialog (Return at once), and of the earlier
// build when asked for, in alternating order so that neither always meets the
// other's after-effects (page cache, the owner's state). `name` is the file
// both write in their folders; `wrote` checks one. The earlier build's time
// is recorded; when it failed, that is said and nothing is returned.
std::optional<DialogRun> RunBoth(Display& display, const std::string& program,
                                 const std::string& folder, BeforeProgram& before,
                                 const std::string& title, const std::string& name, int run,
                                 const std::function<bool(const std::string& file)>& wrote);
// The line for start_to_end_ms: against the earlier build when there is one.
void PrintStartToEnd(int runs, const std::vector<double>& ours, const BeforeProgram& before);

// A new folder under /tmp named from `prefix`, holding a copy of the program
// as "sorvak" and its settings file: `section` (the section line and any
// keys), then InitialDir naming the folder, so that every run opens its
// dialog there.
std::string MakeRoadFolder(const std::string& prefix, const std::string& program,
                           const std::string& section);
// Offers the file on the clipboard as `type` through xclip; false when that
// failed (the message is printed).
bool OfferOnClipboard(const std::string& type, const std::string& file);

} // namespace sorvak::bench
