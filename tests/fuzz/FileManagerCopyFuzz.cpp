// Any bytes offered by another program as a list of copied files: the
// file-manager forms, and the DROPFILES block that the file list walks.
#include "base/Bytes.h"
#include "clipboard/DropFiles.h"
#include "clipboard/FileManagerCopy.h"

#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    for (const auto& list : {sorvak::ParseUriList(bytes), sorvak::ParseCopiedFiles(bytes),
                             sorvak::ParseNautilusText(bytes)}) {
        if (list)
            (void)sorvak::BuildDropFilesBlock(*list);
    }
    (void)sorvak::BuildDropFilesBlock({std::string(bytes)});
    for (int codePage : {sorvak::codepage::Utf8, sorvak::codepage::ShiftJis}) {
        sorvak::LineList names;
        sorvak::ReadFileNames(bytes, names, codePage);
    }
    // The walks on their own, from any offset the header may give.
    if (size >= 4) {
        const std::uint32_t pFiles = sorvak::bytes::ReadLE32(bytes, 0);
        sorvak::LineList wide, ansi;
        sorvak::ReadWideFileNames(bytes, pFiles, wide, sorvak::codepage::ShiftJis);
        sorvak::ReadAnsiFileNames(bytes, pFiles, ansi);
    }
    return 0;
}
