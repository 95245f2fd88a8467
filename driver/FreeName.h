#pragma once
// Saves into a folder never replace a file: the name is taken with O_EXCL
// before the content is written under it.
#include "base/InterruptCleanup.h"

#include <string>

namespace sorvak {

// A name taken with O_EXCL: an empty file that no other writer can take
// while ours is written, removed on every way out but Keep, an ending signal
// included (InterruptCleanup.h).
class Reservation {
public:
    Reservation() = default;
    ~Reservation();
    Reservation(const Reservation&) = delete;
    Reservation& operator=(const Reservation&) = delete;

    // Creates the entry (file-system bytes); false with errno set when it
    // could not, EEXIST for any existing entry, a dangling link included.
    bool Take(const std::string& path);
    // The write put the real file there.
    void Keep();

private:
    std::string path_;
    PendingRemoval pending_;
    bool kept_ = false;
};

// folder/stem + extension, or "stem (2)" and so on: the first name that no
// entry of the folder has, taken at once. All in file-system bytes.
std::string ReserveFreeName(const std::string& folder, const std::string& stem,
                            const std::string& extension, Reservation& reservation);

} // namespace sorvak
