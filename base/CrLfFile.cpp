#include "base/CrLfFile.h"

#include <algorithm>
#include <cstring>

namespace sorvak {

namespace {

// Large enough that the system calls cost nothing beside the copying, small
// enough to stay in the cache.
constexpr std::size_t BufferSize = std::size_t(1) << 20;

} // namespace

CrLfFile::CrLfFile(const std::string& fileName, FileCalls& calls) : file_(fileName, calls) {
    buffer_.reserve(BufferSize + 2);
}

void CrLfFile::Flush() {
    file_.Write(buffer_);
    buffer_.clear();
}

void CrLfFile::Append(std::string_view text) {
    if (ended_)
        return;
    if (const void* nul = std::memchr(text.data(), '\0', text.size())) {
        text =
            text.substr(0, static_cast<std::size_t>(static_cast<const char*>(nul) - text.data()));
        ended_ = true;
    }
    // Runs without a break are copied whole; the breaks are found with
    // memchr, which reads many bytes a step.
    const bool anyCr = std::memchr(text.data(), '\r', text.size()) != nullptr;
    std::size_t pos = 0;
    while (pos < text.size()) {
        if (afterCr_) {
            afterCr_ = false;
            if (text[pos] == '\n') {
                ++pos;
                continue;
            }
        }
        const char* start = text.data() + pos;
        const std::size_t left = text.size() - pos;
        const void* lf = std::memchr(start, '\n', left);
        std::size_t run =
            lf ? static_cast<std::size_t>(static_cast<const char*>(lf) - start) : left;
        if (anyCr) {
            if (const void* cr = std::memchr(start, '\r', run))
                run = static_cast<std::size_t>(static_cast<const char*>(cr) - start);
        }
        while (run > 0) {
            const std::size_t part = std::min(run, BufferSize - buffer_.size());
            buffer_.append(start, part);
            start += part;
            run -= part;
            pos += part;
            lineOpen_ = true;
            if (buffer_.size() >= BufferSize)
                Flush();
        }
        if (pos == text.size())
            break;
        afterCr_ = text[pos] == '\r';
        ++pos;
        buffer_.append("\r\n");
        lineOpen_ = false;
        if (buffer_.size() >= BufferSize)
            Flush();
    }
}

void CrLfFile::Close() {
    if (lineOpen_)
        buffer_.append("\r\n");
    lineOpen_ = false;
    Flush();
    file_.Close();
}

} // namespace sorvak
