// PNG: the writer against the floor (Sub filter and zlib level 7 over the
// same rows, no chunks, the stream written and flushed) and against libpng
// set the same way.
#include <cstdio>
#include <png.h>
#include <stdexcept>
#include <vector>
#include <zlib.h>

#include "bench/BenchRegistry.h"
#include "imaging/Png.h"

namespace sorvak::bench {
namespace {

void ToRgb(const std::uint8_t* bgrx, std::uint8_t* rgb, int width) {
    for (int x = 0; x < width; ++x, bgrx += 4, rgb += 3) {
        rgb[0] = bgrx[2];
        rgb[1] = bgrx[1];
        rgb[2] = bgrx[0];
    }
}

TimedRun Floor(const BenchPicture& picture) {
    const std::string path = picture.ScratchDir + "/floor.zlib";
    return [&picture, path] {
        FILE* file = std::fopen(path.c_str(), "wb");
        if (file == nullptr)
            throw std::runtime_error("cannot create " + path);
        const int width = picture.Width();
        const std::size_t rowBytes = 3 * static_cast<std::size_t>(width);
        std::vector<std::uint8_t> raw(rowBytes), filtered(rowBytes + 1), out(65535);
        z_stream z{};
        if (deflateInit(&z, 7) != Z_OK)
            throw std::runtime_error("deflateInit failed");
        filtered[0] = 1;
        for (int y = 0; y < picture.Height(); ++y) {
            ToRgb(picture.Row(y), raw.data(), width);
            for (std::size_t j = 0; j < rowBytes; ++j)
                filtered[j + 1] = static_cast<std::uint8_t>(raw[j] - (j >= 3 ? raw[j - 3] : 0));
            z.next_in = filtered.data();
            z.avail_in = static_cast<uInt>(filtered.size());
            while (z.avail_in != 0) {
                z.next_out = out.data();
                z.avail_out = static_cast<uInt>(out.size());
                deflate(&z, Z_NO_FLUSH);
                std::fwrite(out.data(), 1, out.size() - z.avail_out, file);
            }
        }
        int rc;
        do {
            z.next_out = out.data();
            z.avail_out = static_cast<uInt>(out.size());
            rc = deflate(&z, Z_FINISH);
            std::fwrite(out.data(), 1, out.size() - z.avail_out, file);
        } while (rc == Z_OK);
        deflateEnd(&z);
        if (std::fclose(file) != 0)
            throw std::runtime_error("cannot write " + path);
        FlushDurably(path);
    };
}

TimedRun Libpng(const BenchPicture& picture) {
    const std::string path = picture.ScratchDir + "/libpng.png";
    return [&picture, path] {
        FILE* file = std::fopen(path.c_str(), "wb");
        if (file == nullptr)
            throw std::runtime_error("cannot create " + path);
        png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
        png_infop info = png_create_info_struct(png);
        if (setjmp(png_jmpbuf(png))) {
            png_destroy_write_struct(&png, &info);
            std::fclose(file);
            throw std::runtime_error("libpng failed");
        }
        png_init_io(png, file);
        png_set_IHDR(png, info, static_cast<png_uint_32>(picture.Width()),
                     static_cast<png_uint_32>(picture.Height()), 8, PNG_COLOR_TYPE_RGB,
                     PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
        png_set_filter(png, PNG_FILTER_TYPE_BASE, PNG_FILTER_SUB);
        png_set_compression_level(png, 7);
        png_set_compression_strategy(png, Z_DEFAULT_STRATEGY);
        png_set_compression_buffer_size(png, 65535);
        png_write_info(png, info);
        // The device rows as they are: blue, green, red and a filler byte.
        png_set_bgr(png);
        png_set_filler(png, 0, PNG_FILLER_AFTER);
        for (int y = 0; y < picture.Height(); ++y)
            png_write_row(png, picture.Row(y));
        png_write_end(png, info);
        png_destroy_write_struct(&png, &info);
        std::fclose(file);
        FlushDurably(path);
    };
}

const WriterRegistration registration({"png",
                                       "png",
                                       [] { return std::make_unique<TPNGObject>(); },
                                       {{"floor", Floor}, {"libpng", Libpng}}});

} // namespace
} // namespace sorvak::bench
