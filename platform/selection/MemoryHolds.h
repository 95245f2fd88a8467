#pragma once
// Whether a picture of a given size can be decoded at all: a picture whose
// header is sound but whose pixels memory cannot hold is a resource failure,
// told as such before any dialog opens.
#include <QSize>

namespace sorvak::platform {

// Nothing is allocated for good: only the answer is kept.
bool MemoryHolds(const QSize& size);

} // namespace sorvak::platform
