#pragma once
// The owner's text as the program holds it: valid UTF-8, whatever the owner
// sent.
#include <cstddef>
#include <string>

namespace sorvak::platform {

class SelectionSource;

// Up to a gigabyte of text is converted a slice at a time, and a stopped
// transfer ends the conversion at the next slice (SelectionStopped).
inline constexpr std::size_t TextSlice = std::size_t(16) << 20;

// Invalid sequences become U+FFFD, as any text widget shows them.
std::string RepairedUtf8(std::string bytes, const SelectionSource& source,
                         std::size_t slice = TextSlice);
std::string Latin1AsUtf8(const std::string& bytes, const SelectionSource& source,
                         std::size_t slice = TextSlice);
// A URI list shown as text: one URI a line, comments left out, as Qt
// renders it.
std::string UriListAsText(const std::string& list);

} // namespace sorvak::platform
