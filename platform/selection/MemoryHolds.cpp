#include "platform/selection/MemoryHolds.h"

#include <QImage>

namespace sorvak::platform {

bool MemoryHolds(const QSize& size) {
    return !QImage(size, QImage::Format_ARGB32_Premultiplied).isNull();
}

} // namespace sorvak::platform
