#pragma once
// A file being written must not outlive a program ended by SIGTERM (log-out,
// kill), SIGINT (Ctrl+C) or SIGHUP (terminal closed): while a removal is
// pending, those signals first remove the file and then end the program as
// they would have. Signals the program ignores stay ignored.
#include <csignal>
#include <string>

namespace sorvak {

class PendingRemoval {
public:
    PendingRemoval() = default;
    ~PendingRemoval() { Cancel(); }
    PendingRemoval(const PendingRemoval&) = delete;
    PendingRemoval& operator=(const PendingRemoval&) = delete;

    // From now on an ending signal removes the file at path (file-system
    // bytes), in place of any earlier one. Without room (a few at once,
    // paths within PATH_MAX) nothing is pending.
    void Arm(const std::string& path);
    // The signal no longer removes the file: the caller has put it in place
    // or removed it.
    void Cancel() noexcept;
    bool Pending() const { return slot_ >= 0; }

private:
    int slot_ = -1;
};

// Holds back the ending signals in this thread while it lives, so that
// creating a file and arming its removal happen as one step.
class EndingSignalsHeld {
public:
    EndingSignalsHeld();
    ~EndingSignalsHeld();
    EndingSignalsHeld(const EndingSignalsHeld&) = delete;
    EndingSignalsHeld& operator=(const EndingSignalsHeld&) = delete;

private:
    sigset_t old_;
};

} // namespace sorvak
