#pragma once
// Text this program copied (the file list window's copy, its keeper after
// the program ends) carries one more offered type, so that a watch of the
// clipboard can tell it from what the user copied elsewhere.
#include "platform/selection/SelectionSource.h"

#include <algorithm>
#include <string>
#include <vector>

namespace sorvak::platform {

inline constexpr const char* OwnCopyType = "application/x-sorvak-own-copy";

// Whether the current owner is this program's copy. Throws SelectionTimeout
// when the owner does not say what it offers.
inline bool IsOwnCopy(SelectionSource& source) {
    if (!source.HasOwner())
        return false;
    const std::vector<std::string> types = source.Targets();
    return std::find(types.begin(), types.end(), OwnCopyType) != types.end();
}

} // namespace sorvak::platform
