// BMP: the writer against a plain write of the header and the rows.
#include <fcntl.h>
#include <stdexcept>
#include <unistd.h>
#include <vector>

#include "base/FileDescriptor.h"
#include "bench/BenchRegistry.h"

namespace sorvak::bench {
namespace {

void PutLE(std::uint8_t* p, std::uint32_t v, int size) {
    for (int i = 0; i < size; ++i)
        p[i] = static_cast<std::uint8_t>(v >> (8 * i));
}

TimedRun PlainWrite(const BenchPicture& picture) {
    const TBitmap& bitmap = *picture.Bitmap;
    const auto imageSize = static_cast<std::uint32_t>(bitmap.Bits().size());
    std::vector<std::uint8_t> header(54, 0);
    header[0] = 'B';
    header[1] = 'M';
    PutLE(&header[2], 54 + imageSize, 4);
    PutLE(&header[10], 54, 4);
    PutLE(&header[14], 40, 4);
    PutLE(&header[18], static_cast<std::uint32_t>(bitmap.Width()), 4);
    PutLE(&header[22], static_cast<std::uint32_t>(bitmap.Height()), 4);
    PutLE(&header[26], 1, 2);
    PutLE(&header[28], 32, 2);
    PutLE(&header[34], imageSize, 4);
    const std::string path = picture.ScratchDir + "/plain.bmp";
    return [&bitmap, header, path] {
        const FileDescriptor fd(::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0666));
        if (!fd || ::write(fd.get(), header.data(), header.size()) != 54 ||
            ::write(fd.get(), bitmap.Bits().data(), bitmap.Bits().size()) !=
                static_cast<ssize_t>(bitmap.Bits().size()))
            throw std::runtime_error("plain BMP write failed");
    };
}

const WriterRegistration registration(
    {"bmp", "bmp", [] { return std::make_unique<TBitmap>(); }, {{"plain", PlainWrite}}});

} // namespace
} // namespace sorvak::bench
