#include "base/InterruptCleanup.h"

#include <atomic>
#include <cerrno>
#include <climits>
#include <csignal>
#include <cstring>
#include <pthread.h>
#include <unistd.h>

namespace sorvak {

namespace {

// The handler may run at any moment in any thread: it only reads slots that
// are marked armed, and a slot's path is complete before it is armed.
enum SlotState : int { Free, Filling, Armed };

struct Slot {
    std::atomic<int> state{Free};
    char path[PATH_MAX];
};

constexpr int SlotCount = 8;
Slot slots[SlotCount];

static_assert(std::atomic<int>::is_always_lock_free);

constexpr int EndingSignals[] = {SIGTERM, SIGINT, SIGHUP};

extern "C" void RemovePendingAndEnd(int signal) {
    const int saved = errno;
    for (Slot& slot : slots)
        if (slot.state.load() == Armed)
            ::unlink(slot.path);
    errno = saved;
    // SA_RESETHAND gave the signal its default action back; it is blocked
    // until this handler returns, then ends the program as it would have.
    ::raise(signal);
}

void InstallHandlers() {
    for (const int signal : EndingSignals) {
        struct sigaction old {};
        if (::sigaction(signal, nullptr, &old) != 0 || old.sa_handler != SIG_DFL ||
            (old.sa_flags & SA_SIGINFO) != 0)
            continue; // ignored or handled by someone else: left alone
        struct sigaction action {};
        action.sa_handler = RemovePendingAndEnd;
        sigemptyset(&action.sa_mask);
        for (const int other : EndingSignals)
            sigaddset(&action.sa_mask, other);
        action.sa_flags = SA_RESETHAND;
        ::sigaction(signal, &action, nullptr);
    }
}

} // namespace

void PendingRemoval::Arm(const std::string& path) {
    Cancel();
    // Looked at on every save: a signal set back to its default since the
    // last one gets the handler again.
    InstallHandlers();
    if (path.empty() || path.size() >= PATH_MAX)
        return;
    for (int i = 0; i < SlotCount; ++i) {
        int expected = Free;
        if (!slots[i].state.compare_exchange_strong(expected, Filling))
            continue;
        std::memcpy(slots[i].path, path.c_str(), path.size() + 1);
        slots[i].state.store(Armed);
        slot_ = i;
        return;
    }
}

EndingSignalsHeld::EndingSignalsHeld() {
    sigset_t held;
    sigemptyset(&held);
    for (const int signal : EndingSignals)
        sigaddset(&held, signal);
    pthread_sigmask(SIG_BLOCK, &held, &old_);
}

EndingSignalsHeld::~EndingSignalsHeld() {
    // A signal that came meanwhile arrives here, with the removal armed.
    pthread_sigmask(SIG_SETMASK, &old_, nullptr);
}

void PendingRemoval::Cancel() noexcept {
    if (slot_ < 0)
        return;
    slots[slot_].state.store(Free);
    slot_ = -1;
}

} // namespace sorvak
