// Any bytes offered by another program as a picture: the size its header
// declares, read before the picture is decoded.
#include "clipboard/PictureHeader.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    if (const auto found = sorvak::PictureHeaderSize(bytes)) {
        // A size is never empty, and bytes after those read change nothing.
        if (found->Width <= 0 || found->Height <= 0)
            std::abort();
        std::string longer(bytes);
        longer += "\xFF\xD9";
        if (sorvak::PictureHeaderSize(longer) != found)
            std::abort();
    }
    return 0;
}
