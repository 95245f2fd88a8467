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

    // Readable when the display sends something: for an event loop's watch.
    int Descriptor() const;
    // Takes what the display has sent, without waiting: true when another
    // program took the clipboard since the last call. Owners that came while
    // the last content was being saved count as one: only the newest
    // content is there to read.
    bool TakeNewOwner();
    // The display went away.
    bool Broken() const;

private:
    struct State;
    std::unique_ptr<State> state_;
};

} // namespace sorvak::platform
