#pragma once
// Bitmap resources of the program's buttons.
#include <cstdint>
#include <span>
#include <string>

namespace sorvak::resources {

// The BMP file of the bitmap resource of that name; empty when there is none.
// "PREVIEWGLYPH": 16 x 16, 16 colours, the preview button's magnifying glass.
std::span<const std::uint8_t> FindBitmap(const std::string& name);

} // namespace sorvak::resources
