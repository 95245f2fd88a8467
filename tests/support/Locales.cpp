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

} // namespace sorvak::test
