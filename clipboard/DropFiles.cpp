#include "clipboard/DropFiles.h"

#include "base/Bytes.h"
#include "base/Utf.h"

namespace sorvak {

namespace {

constexpr std::size_t HeaderSize = 20;

char16_t UnitAt(std::string_view block, std::size_t at) {
    return static_cast<char16_t>(bytes::ReadLE16(block, at));
}

} // namespace

std::string BuildDropFilesBlock(const std::vector<std::string>& paths) {
    std::string block;
    bytes::AppendLE32(block, HeaderSize); // pFiles
    bytes::AppendLE32(block, 0);          // pt.x
    bytes::AppendLE32(block, 0);          // pt.y
    bytes::AppendLE32(block, 0);          // fNC
    bytes::AppendLE32(block, 1);          // fWide
    for (const std::string& path : paths) {
        for (char16_t unit : utf::Utf8ToUtf16(path))
            bytes::AppendLE16(block, unit);
        bytes::AppendLE16(block, 0);
    }
    bytes::AppendLE16(block, 0);
    return block;
}

void ReadWideFileNames(std::string_view block, std::uint32_t pFiles, LineList& list, int codePage) {
    std::size_t p = pFiles;
    const std::size_t end = block.size();
    std::u16string name;
    while (p + 1 < end) {
        name.clear();
        std::size_t q = p;
        while (q + 1 < end && UnitAt(block, q) != 0) {
            name.push_back(UnitAt(block, q));
            q += 2;
        }
        if (q + 1 >= end)
            return; // no zero unit inside the block
        list.Append(codepage::FromUtf16(name, codePage));
        p = q + 2;
        if (p + 1 >= end || UnitAt(block, p) == 0)
            return;
    }
}

void ReadAnsiFileNames(std::string_view block, std::uint32_t pFiles, LineList& list) {
    std::size_t p = pFiles;
    const std::size_t end = block.size();
    while (p < end) {
        const std::size_t zero = block.find('\0', p);
        if (zero == std::string_view::npos)
            return;
        list.Append(std::string(block.substr(p, zero - p)));
        p = zero + 1;
        if (p >= end || block[p] == '\0')
            return;
    }
}

void ReadFileNames(std::string_view block, LineList& list, int codePage) {
    if (block.size() < HeaderSize)
        return;
    const std::uint32_t pFiles = bytes::ReadLE32(block, 0);
    const std::uint32_t fWide = bytes::ReadLE32(block, 16);
    if (pFiles >= block.size())
        return;
    if (fWide != 0)
        ReadWideFileNames(block, pFiles, list, codePage);
    else
        ReadAnsiFileNames(block, pFiles, list);
}

} // namespace sorvak
