#include "tests/support/Locales.h"

#include <clocale>
#include <string>

namespace sorvak::test {

bool LocaleLoads(const char* name) {
    const std::string previous = std::setlocale(LC_ALL, nullptr);
    const bool loads = std::setlocale(LC_ALL, name) != nullptr;
    std::setlocale(LC_ALL, previous.c_str());
    return loads;
}

ScopedLocale::ScopedLocale(const char* name) : old_(std::setlocale(LC_ALL, nullptr)) {
    usable_ = std::setlocale(LC_ALL, name) != nullptr;
}

ScopedLocale::~ScopedLocale() {
    std::setlocale(LC_ALL, old_.c_str());
}

} // namespace sorvak::test
