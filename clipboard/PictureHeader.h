#pragma once
// The size a picture declares in its first bytes, read before (and without)
// decoding it: the PNG IHDR chunk, the BMP info header, the JPEG start of
// frame, the GIF logical screen descriptor. The bytes come from another
// program: any bytes give a size or nothing.
#include <cstdint>
#include <optional>
#include <string_view>

namespace sorvak {

struct PictureSize {
    std::int32_t Width = 0;
    std::int32_t Height = 0;
    bool operator==(const PictureSize&) const = default;
};

// Nothing when the bytes start no such picture, are cut before its size, or
// declare an empty one. BMP bottom-up and top-down pictures both give a
// positive height.
std::optional<PictureSize> PictureHeaderSize(std::string_view bytes);

} // namespace sorvak
