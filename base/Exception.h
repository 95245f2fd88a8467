#pragma once
// The program's failures: exceptions whose what() is the message text in
// UTF-8, exactly as the error box shows it. The program's own texts are UTF-8
// already; a part from the system or a file name, which comes in the ANSI
// code page, is converted where it enters the message.
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
