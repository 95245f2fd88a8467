// Any bytes as a file the picture pane shows, in each format an extension
// can name: a picture within bounds or a null image, never a crash.
#include "widgets/PictureFile.h"

#include <QCoreApplication>
#include <QImageReader>

#include <cstdint>
#include <cstdlib>

namespace {

void Check(bool condition) {
    if (!condition)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // The image plugins (JPEG, GIF, ICO) are found through the application.
    static int argc = 1;
    static char name[] = "picturefile";
    static char* argv[] = {name, nullptr};
    static QCoreApplication* app = new QCoreApplication(argc, argv);
    (void)app;

    using sorvak::TPictureFormat;
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    for (TPictureFormat format : {TPictureFormat::Bitmap, TPictureFormat::Icon,
                                  TPictureFormat::Metafile, TPictureFormat::EnhancedMetafile,
                                  TPictureFormat::Jpeg, TPictureFormat::Png, TPictureFormat::Gif}) {
        const QImage image = sorvak::widgets::DecodePicture(bytes, format);
        if (format == TPictureFormat::Metafile || format == TPictureFormat::EnhancedMetafile)
            Check(image.isNull());
        else if (!image.isNull())
            Check(image.width() > 0 && image.height() > 0 &&
                  image.sizeInBytes() <= qsizetype(QImageReader::allocationLimit()) << 20);
    }
    return 0;
}
