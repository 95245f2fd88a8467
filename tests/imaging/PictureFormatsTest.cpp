#include "imaging/PictureFormats.h"

#include "imaging/Bitmap.h"
#include "imaging/Gif.h"
#include "imaging/Jpeg.h"
#include "imaging/Png.h"

#include <gtest/gtest.h>

namespace sorvak {
namespace {

TEST(PictureFormats, FilterTextAsTheDialogShowsIt) {
    EXPECT_EQ(PictureFilterText(),
              "ビットマップ (*.bmp)|*.bmp|JPEG イメージファイル (*.jpg)|*.jpg;*.ipeg|"
              "PNG イメージファイル (*.png)|*.png|GIF イメージファイル (*.gif)|*.gif");
}

template <typename Writer> bool Makes(const PictureFormat& format) {
    const std::unique_ptr<TGraphic> writer = format.CreateWriter();
    return dynamic_cast<Writer*>(writer.get()) != nullptr;
}

TEST(PictureFormats, EachIndexHasItsExtensionAndWriter) {
    struct Case {
        int index;
        const char* ext;
        bool (*makes)(const PictureFormat&);
    };
    // Indexes outside the table (settings written by hand) fall back to BMP.
    const Case cases[] = {{1, "bmp", &Makes<TBitmap>},    {2, "jpg", &Makes<TJPEGImage>},
                          {3, "png", &Makes<TPNGObject>}, {4, "gif", &Makes<TGIFImage>},
                          {0, "bmp", &Makes<TBitmap>},    {5, "bmp", &Makes<TBitmap>},
                          {255, "bmp", &Makes<TBitmap>}};
    for (const Case& c : cases) {
        const PictureFormat& format = PictureFormatOf(static_cast<std::uint8_t>(c.index));
        EXPECT_EQ(format.DefaultExt, c.ext) << c.index;
        EXPECT_TRUE(c.makes(format)) << c.index;
    }
}

} // namespace
} // namespace sorvak
