#pragma once
// Descriptors 0, 1 and 2 as the program found them, and standard output as
// the destination of -o -.
#include "base/FileErrors.h"

#include <string_view>

namespace sorvak::app {

struct StandardStreams {
    bool OutputClosedAtStart = false;
};

// Opens each of descriptors 0-2 that is closed on /dev/null, so that no
// file or display connection opened later becomes one of them (a picture
// written "to standard output" would then go into the X connection). Called
// first thing, before anything opens a descriptor.
StandardStreams OpenClosedStandardStreams();

// Standard output did not take the bytes; errno says why (EBADF: it was
// closed when the program started).
class StandardOutputError : public EWriteError {
public:
    explicit StandardOutputError(int errnum) : EWriteError({}, errnum) {}
};

// Every byte to standard output. A full or failing output throws
// StandardOutputError; a reader that has gone
// away (EPIPE) ends the program as it ends cat: by SIGPIPE, no error line.
void WriteStandardOutput(std::string_view bytes);

} // namespace sorvak::app
