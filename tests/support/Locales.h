#pragma once
// Whether a locale can be used, asked of the C library itself: the locale
// may be compiled into the archive or stand in a folder of its own; and a
// locale set for a scope.
#include <string>

namespace sorvak::test {

// True when setlocale loads the named locale; the previous locale is set
// back before returning.
bool LocaleLoads(const char* name);

// Sets the locale for the program (LC_ALL) while it lives; the previous one
// comes back after.
class ScopedLocale {
public:
    explicit ScopedLocale(const char* name);
    ~ScopedLocale();
    ScopedLocale(const ScopedLocale&) = delete;
    ScopedLocale& operator=(const ScopedLocale&) = delete;
    // False when the locale could not be set.
    bool Usable() const { return usable_; }

private:
    std::string old_;
    bool usable_ = false;
};

} // namespace sorvak::test
