#include "base/FileNames.h"

namespace sorvak {

std::string SystemFileName(std::string_view name, int codePage) {
    return codepage::ToUtf8(name, codePage);
}

std::string FileNameFromSystem(std::string_view bytes, int codePage) {
    return codepage::FromUtf8(bytes, codePage);
}

} // namespace sorvak
