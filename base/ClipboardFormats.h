#pragma once
// The clipboard format numbers the program reads and writes.

namespace sorvak {

enum ClipboardFormat : unsigned {
    CF_TEXT = 1,
    CF_BITMAP = 2,
    CF_PALETTE = 9,
    CF_HDROP = 15,
};

} // namespace sorvak
