#include "base/Exception.h"

#include <new>

namespace sorvak {

std::string TranslatedMessage(const std::exception& failure,
                              const std::function<std::string(std::string_view)>& translate) {
    // The library's own text ("std::bad_alloc") means nothing to a user.
    if (dynamic_cast<const std::bad_alloc*>(&failure) != nullptr)
        return translate(SORVAK_TEXT("sorvak", "システム リソースが足りません"));
    if (const auto* own = dynamic_cast<const Exception*>(&failure))
        if (own->Format() != nullptr)
            return FillFormat(translate(own->Format()), own->Arguments());
    return translate(failure.what());
}

} // namespace sorvak
