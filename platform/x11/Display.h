#pragma once
// Whether the program has an X11 display to run on.
namespace sorvak::platform {

// True when $DISPLAY names a display that accepts us.
bool CanOpenDisplay();

} // namespace sorvak::platform
