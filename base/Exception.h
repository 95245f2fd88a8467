#pragma once
// The program's failures: exceptions whose what() is the message text, in the
// ANSI code page, exactly as the error box shows it.
#include <stdexcept>
#include <string>

namespace sorvak {

class Exception : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Abort-class failure: ends an operation silently, shown by nobody.
class EAbort : public Exception {
public:
    EAbort() : Exception(std::string()) {}
};

} // namespace sorvak
