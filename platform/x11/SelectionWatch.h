#pragma once
// Tells when another program takes the X11 CLIPBOARD selection (XFixes
// selection-owner events), on a connection of its own, so that the watch
// mode reads each new content once and sleeps in between.
#include <memory>

namespace sorvak::platform {

class SelectionWatch {
public:
    // Connects to $DISPLAY; throws std::runtime_error without a display or
    // without the XFixes extension.
    SelectionWatch();
    ~SelectionWatch();
    SelectionWatch(const SelectionWatch&) = delete;
    SelectionWatch& operator=(const SelectionWatch&) = delete;

    // Waits for the next new owner; false once the display went away or
    // Stop() was called. Owners that came while the last content was being
    // saved count as one: only the newest content is there to read.
    bool WaitForNewOwner();
    // Ends the wait under way and every later one; safe from any thread.
    void Stop();

private:
    struct State;
    std::unique_ptr<State> state_;
};

} // namespace sorvak::platform
