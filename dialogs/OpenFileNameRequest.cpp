#include "dialogs/OpenFileNameRequest.h"

#include <algorithm>
#include <cstring>

namespace sorvak {

std::string OpenFileNameRequest::FileText() const {
    const char* begin = lpstrFile.data();
    const char* end = begin + lpstrFile.size();
    return std::string(begin, std::find(begin, end, '\0'));
}

void OpenFileNameRequest::SetFileText(const std::string& name) {
    std::fill(lpstrFile.begin(), lpstrFile.end(), '\0');
    const std::size_t n = std::min<std::size_t>(name.size(), nMaxFile);
    std::memcpy(lpstrFile.data(), name.data(), std::min(n, lpstrFile.size()));
}

} // namespace sorvak
