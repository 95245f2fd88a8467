#pragma once
// The version figures the dialogs decide by. Linux has no version query of its
// own: the platform reports an extended system, and tests replace the figures.

namespace sorvak {

struct OsVersionInfo {
    bool Valid = true; // false: the query failed
    unsigned PlatformId = 2;
    unsigned MajorVersion = 10;
    unsigned MinorVersion = 0;
};

// The figures in use: an extended system (platform 2, major 10) unless set.
OsVersionInfo SystemVersion();
void SetSystemVersion(const OsVersionInfo& version);

// Size rule of the request: the full 88-byte form is understood.
bool HasFullRequest(const OsVersionInfo& version);
// Explorer-style dialogs exist on every system of version 4 or later.
bool HasExplorerDialogs(const OsVersionInfo& version);
// The extended system of the text dialogs, a narrower rule than HasFullRequest.
bool IsNt5OrLater(const OsVersionInfo& version = SystemVersion());
bool IsWindowsMe(const OsVersionInfo& version = SystemVersion());
bool IsExtendedSystem(const OsVersionInfo& version = SystemVersion());

} // namespace sorvak
