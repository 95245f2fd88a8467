#pragma once
// Whether a locale can be used, asked of the C library itself: the locale
// may be compiled into the archive or stand in a folder of its own.
namespace sorvak::test {

// True when setlocale loads the named locale; the previous locale is set
// back before returning.
bool LocaleLoads(const char* name);

} // namespace sorvak::test
