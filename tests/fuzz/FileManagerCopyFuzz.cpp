// Any bytes offered by another program as a file-manager copy.
#include "FileManagerCopy.h"

#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    for (const auto& list : {sorvak::platform::ParseUriList(bytes),
                             sorvak::platform::ParseCopiedFiles(bytes),
                             sorvak::platform::ParseNautilusText(bytes)}) {
        if (list)
            (void)sorvak::platform::BuildDropFilesBlock(*list);
    }
    (void)sorvak::platform::BuildDropFilesBlock({std::string(bytes)});
    return 0;
}
