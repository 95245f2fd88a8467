// JPEG: the writer against libjpeg called directly with the same settings
// (quality 90, baseline, floating-point DCT), fed the device rows as they are.
#include <cstdio>
#include <cstdlib>
#include <jpeglib.h>
#include <stdexcept>

#include "bench/BenchRegistry.h"
#include "imaging/Jpeg.h"

namespace sorvak::bench {
namespace {

TimedRun Direct(const BenchPicture& picture) {
    const std::string path = picture.ScratchDir + "/direct.jpg";
    return [&picture, path] {
        jpeg_compress_struct info{};
        jpeg_error_mgr err{};
        info.err = jpeg_std_error(&err);
        jpeg_create_compress(&info);
        unsigned char* out = nullptr;
        unsigned long size = 0;
        jpeg_mem_dest(&info, &out, &size);
        info.image_width = static_cast<JDIMENSION>(picture.Width());
        info.image_height = static_cast<JDIMENSION>(picture.Height());
        info.input_components = 4;
        info.in_color_space = JCS_EXT_BGRX;
        jpeg_set_defaults(&info);
        jpeg_set_quality(&info, 90, TRUE);
        info.dct_method = JDCT_FLOAT;
        jpeg_start_compress(&info, TRUE);
        while (info.next_scanline < info.image_height) {
            JSAMPROW row = const_cast<JSAMPROW>(picture.Row(static_cast<int>(info.next_scanline)));
            jpeg_write_scanlines(&info, &row, 1);
        }
        jpeg_finish_compress(&info);
        jpeg_destroy_compress(&info);
        FILE* file = std::fopen(path.c_str(), "wb");
        if (file == nullptr || std::fwrite(out, 1, size, file) != size)
            throw std::runtime_error("cannot write " + path);
        std::fclose(file);
        std::free(out);
        FlushDurably(path);
    };
}

const WriterRegistration registration(
    {"jpeg", "jpg", [] { return std::make_unique<TJPEGImage>(); }, {{"libjpeg", Direct}}});

} // namespace
} // namespace sorvak::bench
