#pragma once
// Working buffers of the GIF writer, which can be as large as the picture.
#include <cstddef>
#include <new>
#include <stdexcept>
#include <vector>

#include "base/Exception.h"

namespace sorvak {

// Resizes v to n zero elements; running out of memory raises "Failed to
// allocate memory for GIF DIB".
template <typename T> void AllocateGifBuffer(std::vector<T>& v, std::size_t n) {
    try {
        v.assign(n, T{});
    } catch (const std::bad_alloc&) {
        throw Exception(SORVAK_TEXT("sorvak", "Failed to allocate memory for GIF DIB"));
    } catch (const std::length_error&) {
        throw Exception(SORVAK_TEXT("sorvak", "Failed to allocate memory for GIF DIB"));
    }
}

} // namespace sorvak
