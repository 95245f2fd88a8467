#include "base/CrLfFile.h"

#include <algorithm>
#include <cstring>

namespace sorvak {

namespace {

// Large enough that the system calls cost nothing beside the copying, small
// enough to stay in the cache.
constexpr std::size_t BufferSize = std::size_t(1) << 20;
// Room for the text that may follow a buffer not yet full: n bytes of text
// make at most 2n bytes of file.
constexpr std::size_t Capacity = 2 * BufferSize + 2;

} // namespace

CrLfFile::CrLfFile(const std::string& fileName, FileCalls& calls)
    : file_(fileName, calls), buffer_(new char[Capacity]) {}

void CrLfFile::Flush() {
    file_.Write(std::string_view(buffer_.get(), used_));
    used_ = 0;
}

void CrLfFile::Append(std::string_view text) {
    if (ended_)
        return;
    if (const void* nul = std::memchr(text.data(), '\0', text.size())) {
        text =
            text.substr(0, static_cast<std::size_t>(static_cast<const char*>(nul) - text.data()));
        ended_ = true;
    }
    const char* in = text.data();
    const char* const end = in + text.size();
    if (in != end && afterCr_) {
        afterCr_ = false;
        if (*in == '\n')
            ++in;
    }
    // Runs without a break are copied whole; the breaks are found with
    // memchr, which reads many bytes a step. Most text has no CR to look for.
    const bool anyCr = std::memchr(in, '\r', static_cast<std::size_t>(end - in)) != nullptr;
    while (in < end) {
        if (used_ >= BufferSize)
            Flush();
        const char* const sliceEnd =
            in + std::min(static_cast<std::size_t>(end - in), (Capacity - used_) / 2);
        char* out = buffer_.get() + used_;
        while (in < sliceEnd) {
            const auto left = static_cast<std::size_t>(sliceEnd - in);
            const void* lf = std::memchr(in, '\n', left);
            const char* stop = lf ? static_cast<const char*>(lf) : sliceEnd;
            if (anyCr) {
                if (const void* cr = std::memchr(in, '\r', static_cast<std::size_t>(stop - in)))
                    stop = static_cast<const char*>(cr);
            }
            if (stop != in) {
                std::memcpy(out, in, static_cast<std::size_t>(stop - in));
                out += stop - in;
                in = stop;
                lineOpen_ = true;
            }
            if (in == sliceEnd)
                break;
            const bool cr = *in++ == '\r';
            *out++ = '\r';
            *out++ = '\n';
            lineOpen_ = false;
            if (cr) {
                if (in == end)
                    afterCr_ = true;
                else if (*in == '\n')
                    ++in;
            }
        }
        used_ = static_cast<std::size_t>(out - buffer_.get());
    }
}

void CrLfFile::Close() {
    if (used_ + 2 > Capacity)
        Flush();
    if (lineOpen_) {
        buffer_[used_++] = '\r';
        buffer_[used_++] = '\n';
    }
    lineOpen_ = false;
    Flush();
    file_.Close();
}

} // namespace sorvak
