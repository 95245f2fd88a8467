#include "imaging/Stream.h"

#include <string_view>

#include "base/Exception.h"

namespace sorvak {

void TStream::WriteBuffer(const void* data, std::size_t count) {
    if (count != 0 && Write(data, count) != count)
        throw EWriteError();
}

std::size_t TFileStream::Write(const void* data, std::size_t count) {
    File.Write(std::string_view(static_cast<const char*>(data), count));
    return count;
}

std::size_t TMemoryStream::Write(const void* data, std::size_t count) {
    const auto* p = static_cast<const std::uint8_t*>(data);
    Data.insert(Data.end(), p, p + count);
    return count;
}

} // namespace sorvak
