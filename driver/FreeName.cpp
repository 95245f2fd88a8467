#include "driver/FreeName.h"

#include "base/FileErrors.h"
#include "base/FileNames.h"

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace sorvak {

Reservation::~Reservation() {
    if (!path_.empty() && !kept_)
        ::unlink(path_.c_str());
}

bool Reservation::Take(const std::string& path) {
    int error = 0;
    {
        // Made and armed as one step, as OutputFile does.
        const EndingSignalsHeld held;
        const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0) {
            ::close(fd);
            path_ = path;
            pending_.Arm(path_);
        } else {
            error = errno;
        }
    }
    errno = error;
    return error == 0;
}

void Reservation::Keep() {
    pending_.Cancel();
    kept_ = true;
}

std::string ReserveFreeName(const std::string& folder, const std::string& stem,
                            const std::string& extension, Reservation& reservation) {
    const std::string base = folder.ends_with('/') ? folder : folder + "/";
    for (int number = 1;; ++number) {
        const std::string path =
            base + stem + (number == 1 ? "" : " (" + std::to_string(number) + ")") + extension;
        if (reservation.Take(path))
            return path;
        if (errno != EEXIST || number == 100000)
            throw EFCreateError(FileNameFromSystem(path), errno);
    }
}

} // namespace sorvak
