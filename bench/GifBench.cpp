// GIF writer against giflib writing the same web-cube indices. The indices
// are made before timing, so the reference is timed on its LZW coding and
// file writing alone, while our run also reduces the colours.
#include <gif_lib.h>

#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "bench/BenchRegistry.h"
#include "imaging/Gif.h"

namespace {

using sorvak::bench::BenchPicture;

std::vector<GifByteType> CubeIndices(const BenchPicture& picture) {
    const int width = picture.Width(), height = picture.Height();
    std::vector<GifByteType> indices(static_cast<std::size_t>(width) * height);
    for (int y = 0; y < height; ++y) {
        const std::uint8_t* row = picture.Row(y);
        for (int x = 0; x < width; ++x, row += 4)
            indices[static_cast<std::size_t>(y) * width + x] = static_cast<GifByteType>(
                (row[2] + 3) / 51 * 36 + (row[1] + 3) / 51 * 6 + (row[0] + 3) / 51);
    }
    return indices;
}

void WriteWithGiflib(const std::string& path, int width, int height,
                     const std::vector<GifByteType>& indices) {
    GifColorType colors[256] = {};
    for (int i = 0; i < 216; ++i)
        colors[i] = {static_cast<GifByteType>(i / 36 * 51),
                     static_cast<GifByteType>(i / 6 % 6 * 51),
                     static_cast<GifByteType>(i % 6 * 51)};
    ColorMapObject* map = GifMakeMapObject(256, colors);
    int error = 0;
    GifFileType* gif = EGifOpenFileName(path.c_str(), false, &error);
    if (gif == nullptr) {
        GifFreeMapObject(map);
        throw std::runtime_error("EGifOpenFileName failed");
    }
    bool ok = EGifPutScreenDesc(gif, width, height, 8, 0, nullptr) == GIF_OK &&
              EGifPutImageDesc(gif, 0, 0, width, height, false, map) == GIF_OK;
    for (int y = 0; ok && y < height; ++y)
        ok = EGifPutLine(gif,
                         const_cast<GifByteType*>(indices.data()) +
                             static_cast<std::size_t>(y) * width,
                         width) == GIF_OK;
    EGifCloseFile(gif, &error);
    GifFreeMapObject(map);
    if (!ok)
        throw std::runtime_error("giflib could not write the picture");
    sorvak::bench::FlushDurably(path);
}

const sorvak::bench::WriterRegistration registration({
    "gif",
    "gif",
    [] { return std::make_unique<sorvak::TGIFImage>(); },
    {{"giflib",
      [](const BenchPicture& picture) -> sorvak::bench::TimedRun {
          auto indices = std::make_shared<std::vector<GifByteType>>(CubeIndices(picture));
          const std::string path = picture.ScratchDir + "/giflib.gif";
          const int width = picture.Width(), height = picture.Height();
          return [=] { WriteWithGiflib(path, width, height, *indices); };
      }}},
});

} // namespace
