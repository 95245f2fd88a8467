// The benchmark's picture readers (PNG, BMP, PPM) on arbitrary bytes: a
// picture or a std::runtime_error, never a crash or an unbounded allocation.
#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <vector>

#include "bench/ImageReaders.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::vector<std::uint8_t> file(data, data + size);
    for (auto* read : {&sorvak::bench::ReadPng, &sorvak::bench::ReadBmp, &sorvak::bench::ReadPpm}) {
        try {
            const sorvak::DeviceBitmap d = read(file);
            if (d.Bits.size() != static_cast<std::size_t>(d.Width) * d.Height * 4)
                __builtin_trap();
        } catch (const std::runtime_error&) {
        }
    }
    return 0;
}
