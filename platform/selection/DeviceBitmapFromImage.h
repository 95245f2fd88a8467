#pragma once
// A decoded clipboard picture as the device bitmap the clipboard object
// hands on: black-and-white pictures as 1 bit a pixel, all others as 32-bit
// blue, green, red rows with transparent pixels laid over white.
#include "imaging/Bitmap.h"

#include <QImage>

namespace sorvak::platform {

// Throws std::bad_alloc when memory does not hold the copy.
DeviceBitmap DeviceBitmapFromImage(const QImage& image);

} // namespace sorvak::platform
