#include "platform/selection/OfferedTypes.h"

namespace sorvak::platform {

std::vector<std::string> OfferedTypes(SelectionSource& source) {
    if (!source.HasOwner())
        return {};
    std::vector<std::string> types;
    for (std::string& type : source.Targets())
        if (type.find('/') != std::string::npos)
            types.push_back(std::move(type));
    return types;
}

} // namespace sorvak::platform
