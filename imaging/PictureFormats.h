#pragma once
// The picture formats the program saves, in the order of the picture
// dialog's filters: one table for the filter text, the default extension and
// the writer of each filter index.
#include "imaging/Graphic.h"

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace sorvak {

struct PictureFormat {
    std::uint8_t FilterIndex;     // 1-based, as the dialog reports it
    std::string_view Description; // UTF-8, catalogued (SORVAK_TEXT)
    std::string_view Patterns;    // ";"-separated
    std::string_view DefaultExt;  // without the dot
    std::string_view MimeType;    // as a clipboard's owner offers the format
    std::unique_ptr<TGraphic> (*CreateWriter)();
};

const std::array<PictureFormat, 4>& PictureFormats();

// The format of a filter index; an index outside the table is BMP's.
const PictureFormat& PictureFormatOf(std::uint8_t filterIndex);

// "description|patterns|..." for every format, in UTF-8, the descriptions in
// the session's language.
std::string PictureFilterText();

} // namespace sorvak
