#pragma once
// Decodes GIF bytes with giflib, the independent reference for our writer.
#include <gif_lib.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <stdexcept>
#include <string>
#include <vector>

namespace sorvak::test {

struct DecodedGif {
    int screenWidth = 0;
    int screenHeight = 0;
    int width = 0;
    int height = 0;
    bool interlaced = false;
    std::vector<std::uint8_t> palette; // r, g, b per entry of the local map
    std::vector<std::uint8_t> pixels;  // indices, top row first
};

inline DecodedGif DecodeGif(const std::vector<std::uint8_t>& bytes) {
    struct Source {
        const std::vector<std::uint8_t>* data;
        std::size_t pos;
    } source{&bytes, 0};
    auto read = [](GifFileType* gif, GifByteType* out, int n) -> int {
        auto* s = static_cast<Source*>(gif->UserData);
        const std::size_t take =
            std::min<std::size_t>(static_cast<std::size_t>(n), s->data->size() - s->pos);
        std::memcpy(out, s->data->data() + s->pos, take);
        s->pos += take;
        return static_cast<int>(take);
    };
    int error = 0;
    GifFileType* gif = DGifOpen(&source, read, &error);
    if (gif == nullptr)
        throw std::runtime_error("DGifOpen: " + std::string(GifErrorString(error)));
    DecodedGif out;
    if (DGifSlurp(gif) != GIF_OK) {
        const std::string message = GifErrorString(gif->Error);
        DGifCloseFile(gif, &error);
        throw std::runtime_error("DGifSlurp: " + message);
    }
    out.screenWidth = gif->SWidth;
    out.screenHeight = gif->SHeight;
    if (gif->ImageCount > 0) {
        const SavedImage& image = gif->SavedImages[0];
        out.width = image.ImageDesc.Width;
        out.height = image.ImageDesc.Height;
        out.interlaced = image.ImageDesc.Interlace;
        if (const ColorMapObject* map = image.ImageDesc.ColorMap) {
            for (int i = 0; i < map->ColorCount; ++i) {
                out.palette.push_back(map->Colors[i].Red);
                out.palette.push_back(map->Colors[i].Green);
                out.palette.push_back(map->Colors[i].Blue);
            }
        }
        out.pixels.assign(image.RasterBits,
                          image.RasterBits + static_cast<std::size_t>(out.width) * out.height);
    }
    DGifCloseFile(gif, &error);
    return out;
}

} // namespace sorvak::test
