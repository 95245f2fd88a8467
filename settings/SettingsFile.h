#pragma once
// Reading the settings file and ordering the saves of copies of the program
// that run at once.
#include "base/FileDescriptor.h"

#include <string>

namespace sorvak {

enum class SettingsRead { Missing, Read, Failed };

// The file's bytes into `bytes` when Read. A file too large to be one we
// wrote, or holding a NUL byte, is Failed: it is not ours to rewrite.
SettingsRead ReadSettingsFile(const std::string& path, std::string& bytes);

// Serialises the read-merge-write at the end between copies of the program.
// The settings file itself is replaced by a rename, so the lock lives on a
// file of its own that is never removed. A copy that holds it for longer than
// a save takes is not waited for: the merge then runs unlocked.
class SettingsLock {
public:
    explicit SettingsLock(const std::string& iniPath);
    // Closing the descriptor releases the lock.

private:
    FileDescriptor fd_;
};

} // namespace sorvak
