#pragma once
// The owner's text as the program holds it: valid UTF-8, whatever the owner
// sent.
#include <string>

namespace sorvak::platform {

// Invalid sequences become U+FFFD, as any text widget shows them.
std::string RepairedUtf8(std::string bytes);
std::string Latin1AsUtf8(const std::string& bytes);
// A URI list shown as text: one URI a line, comments left out, as Qt
// renders it.
std::string UriListAsText(const std::string& list);

} // namespace sorvak::platform
