#pragma once
// Tells when another program takes the clipboard, on a connection of its
// own, for a loop that reads each new content once and sleeps in between
// (the watch mode). The X11 and Wayland transports each implement it.
namespace sorvak::platform {

class SelectionChanges {
public:
    virtual ~SelectionChanges() = default;

    // Readable when the display server sends something: for an event
    // loop's watch.
    virtual int Descriptor() const = 0;
    // Takes what the server has sent, without waiting: true when another
    // program took the clipboard since the last call. Owners that came while
    // the last content was being saved count as one: only the newest
    // content is there to read.
    virtual bool TakeNewOwner() = 0;
    // The display server went away, or no longer tells.
    virtual bool Broken() const = 0;
};

} // namespace sorvak::platform
