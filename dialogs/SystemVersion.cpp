#include "dialogs/SystemVersion.h"

namespace sorvak {

namespace {
OsVersionInfo& Current() {
    static OsVersionInfo version;
    return version;
}
} // namespace

OsVersionInfo SystemVersion() {
    return Current();
}

void SetSystemVersion(const OsVersionInfo& version) {
    Current() = version;
}

bool HasFullRequest(const OsVersionInfo& v) {
    if (!v.Valid)
        return false;
    return (v.PlatformId == 2 && v.MajorVersion >= 5) ||
           (v.PlatformId == 1 && v.MajorVersion >= 4 && v.MinorVersion >= 90);
}

bool HasExplorerDialogs(const OsVersionInfo& v) {
    return v.Valid && v.MajorVersion >= 4;
}

bool IsNt5OrLater(const OsVersionInfo& v) {
    return v.Valid && v.PlatformId == 2 && v.MajorVersion >= 5;
}

bool IsWindowsMe(const OsVersionInfo& v) {
    return v.Valid && v.PlatformId == 1 && v.MajorVersion == 4 && v.MinorVersion == 90;
}

bool IsExtendedSystem(const OsVersionInfo& v) {
    return IsNt5OrLater(v) || IsWindowsMe(v);
}

} // namespace sorvak
