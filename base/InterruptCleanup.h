#pragma once
// A file being written must not outlive a program ended by SIGTERM (log-out,
// kill), SIGINT (Ctrl+C) or SIGHUP (terminal closed). The program blocks
// those signals in every thread from its first line and takes them in one
// thread of its own, which removes the files whose removal is pending and
// then ends the program as the signal would have. Signals the program was
// started with ignored stay ignored.
#include <mutex>
#include <string>

namespace sorvak {

// The name of the thread that takes the signals.
inline constexpr const char* SignalThreadName = "ending-signals";

// First thing in main, before any other thread exists: blocks the ending
// signals that are not ignored in this thread, and so in every thread started
// from it, and starts the thread that takes them. Later calls do nothing.
void TakeEndingSignals();

// In a child process right after fork: the signal mask the program started
// with, so that the child ends on these signals as any program does.
// Async-signal-safe.
void RestoreStartingSignalMask() noexcept;

class PendingRemoval {
public:
    PendingRemoval() = default;
    ~PendingRemoval() { Cancel(); }
    PendingRemoval(const PendingRemoval&) = delete;
    PendingRemoval& operator=(const PendingRemoval&) = delete;

    // From now on an ending signal removes the file at path (file-system
    // bytes), in place of any earlier one.
    void Arm(const std::string& path);
    // The signal no longer removes the file: the caller has put it in place
    // or removed it.
    void Cancel() noexcept;
    // Only for the thread that arms and cancels.
    bool Pending() const { return armed_; }

private:
    bool armed_ = false;
};

// While it lives, the signal thread waits before it removes anything, so
// that creating a file and arming its removal happen as one step. Arm and
// Cancel may be called within.
class EndingSignalsHeld {
public:
    EndingSignalsHeld();
    ~EndingSignalsHeld();
    EndingSignalsHeld(const EndingSignalsHeld&) = delete;
    EndingSignalsHeld& operator=(const EndingSignalsHeld&) = delete;

private:
    std::unique_lock<std::recursive_mutex> lock_;
};

} // namespace sorvak
