#include "base/InterruptCleanup.h"

#include <csignal>
#include <map>
#include <new>
#include <pthread.h>
#include <thread>
#include <unistd.h>

namespace sorvak {

namespace {

constexpr int EndingSignals[] = {SIGTERM, SIGINT, SIGHUP};

// The files whose removal is pending, by the object that armed them. Never
// destroyed: the signal thread may still use it while the program exits.
struct Removals {
    std::recursive_mutex mutex;
    std::map<const PendingRemoval*, std::string> paths;
};

Removals& Registry() {
    static Removals* const removals = new Removals;
    return *removals;
}

// Written once, before any other thread exists.
sigset_t startingMask;
bool taken = false;

[[noreturn]] void RemovePendingAndEnd(int signal) {
    Removals& removals = Registry();
    // Never unlocked: no file is made or armed from here on.
    removals.mutex.lock();
    for (const auto& entry : removals.paths)
        ::unlink(entry.second.c_str());
    // A handler someone set meanwhile would keep the program alive.
    std::signal(signal, SIG_DFL);
    sigset_t one;
    sigemptyset(&one);
    sigaddset(&one, signal);
    // Pending on this thread until the unblock, then it ends the program
    // with the signal's status.
    ::raise(signal);
    pthread_sigmask(SIG_UNBLOCK, &one, nullptr);
    _exit(128 + signal);
}

void TakeSignals(sigset_t set) {
    // Named, so that a look at /proc tells it from the others.
    pthread_setname_np(pthread_self(), SignalThreadName);
    for (;;) {
        int signal = 0;
        if (sigwait(&set, &signal) == 0)
            RemovePendingAndEnd(signal);
    }
}

} // namespace

void TakeEndingSignals() {
    if (taken)
        return;
    taken = true;
    sigset_t set;
    sigemptyset(&set);
    for (const int signal : EndingSignals) {
        struct sigaction old {};
        if (::sigaction(signal, nullptr, &old) == 0 && old.sa_handler == SIG_DFL &&
            (old.sa_flags & SA_SIGINFO) == 0)
            sigaddset(&set, signal);
    }
    pthread_sigmask(SIG_BLOCK, &set, &startingMask);
    Registry(); // made before any thread can race for it
    if (!sigisemptyset(&set))
        std::thread(TakeSignals, set).detach();
}

void RestoreStartingSignalMask() noexcept {
    if (taken)
        pthread_sigmask(SIG_SETMASK, &startingMask, nullptr);
}

void PendingRemoval::Arm(const std::string& path) {
    Removals& removals = Registry();
    const std::lock_guard lock(removals.mutex);
    try {
        removals.paths[this] = path;
        armed_ = true;
    } catch (const std::bad_alloc&) {
        // Without memory for the path nothing is pending; the caller's own
        // clean-up still removes the file on every other way out.
        removals.paths.erase(this);
        armed_ = false;
    }
}

void PendingRemoval::Cancel() noexcept {
    if (!armed_)
        return;
    Removals& removals = Registry();
    const std::lock_guard lock(removals.mutex);
    removals.paths.erase(this);
    armed_ = false;
}

EndingSignalsHeld::EndingSignalsHeld() : lock_(Registry().mutex) {}

EndingSignalsHeld::~EndingSignalsHeld() = default;

} // namespace sorvak
