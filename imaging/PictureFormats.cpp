#include "imaging/PictureFormats.h"

#include "base/ShownText.h"
#include "imaging/Bitmap.h"
#include "imaging/Gif.h"
#include "imaging/Jpeg.h"
#include "imaging/Png.h"

namespace sorvak {

namespace {

template <typename Writer> std::unique_ptr<TGraphic> Create() {
    return std::make_unique<Writer>();
}

// "*.ipeg" is deliberate: the filter has always offered this pattern, and
// saved settings and users' habits know the list as it is.
constexpr std::array<PictureFormat, 4> Formats{{
    {1, SORVAK_TEXT("sorvak", "ビットマップ (*.bmp)"), "*.bmp", "bmp", "image/bmp",
     &Create<TBitmap>},
    {2, SORVAK_TEXT("sorvak", "JPEG イメージファイル (*.jpg)"), "*.jpg;*.ipeg", "jpg", "image/jpeg",
     &Create<TJPEGImage>},
    {3, SORVAK_TEXT("sorvak", "PNG イメージファイル (*.png)"), "*.png", "png", "image/png",
     &Create<TPNGObject>},
    {4, SORVAK_TEXT("sorvak", "GIF イメージファイル (*.gif)"), "*.gif", "gif", "image/gif",
     &Create<TGIFImage>},
}};

} // namespace

const std::array<PictureFormat, 4>& PictureFormats() {
    return Formats;
}

const PictureFormat& PictureFormatOf(std::uint8_t filterIndex) {
    for (const PictureFormat& format : Formats)
        if (format.FilterIndex == filterIndex)
            return format;
    return Formats.front();
}

std::string PictureFilterText() {
    std::string text;
    for (const PictureFormat& format : Formats) {
        if (!text.empty())
            text += '|';
        text.append(TranslatedText(format.Description)).append("|").append(format.Patterns);
    }
    return text;
}

} // namespace sorvak
