#include "dialogs/TextDlgHelpers.h"

#include "base/FileNames.h"

#include <sys/stat.h>

namespace sorvak {

bool PlacesBarWanted = true;

bool PlainFileExists(const std::string& name) {
    if (name.find_first_of("*?") != std::string::npos)
        return false;
    struct stat info {};
    return ::stat(SystemFileName(name).c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

int NthCharPos(char ch, std::string_view text, int n) {
    if (n < 1)
        return 0;
    int count = 0;
    for (std::size_t i = 0; i < text.size(); ++i)
        if (text[i] == ch && ++count == n)
            return static_cast<int>(i + 1);
    return 0;
}

namespace {

// Index of the byte where the last component's extension starts, or npos.
std::size_t ExtensionDot(std::string_view name, int codePage) {
    for (std::size_t i = name.size(); i-- > 0;) {
        if (codepage::IsTrailByte(name, i, codePage))
            continue;
        if (name[i] == '/')
            return std::string_view::npos;
        if (name[i] == '.')
            return (i == 0 || name[i - 1] == '/') ? std::string_view::npos : i;
    }
    return std::string_view::npos;
}

} // namespace

std::string ReplaceExtension(std::string_view name, std::string_view ext, int codePage) {
    if (name.empty() || name.back() == '/')
        return std::string(name) + "*" + std::string(ext);
    const std::size_t dot = ExtensionDot(name, codePage);
    const std::string_view stem = dot == std::string_view::npos ? name : name.substr(0, dot);
    return std::string(stem) + std::string(ext);
}

std::string LowerFileExtension(std::string_view name, int codePage) {
    const std::size_t dot = ExtensionDot(name, codePage);
    if (dot == std::string_view::npos)
        return {};
    std::string ext(name.substr(dot));
    // Only ASCII letters: second bytes of double-byte characters stay.
    for (std::size_t i = 0; i < ext.size(); ++i)
        if (ext[i] >= 'A' && ext[i] <= 'Z' && !codepage::IsTrailByte(ext, i, codePage))
            ext[i] = static_cast<char>(ext[i] - 'A' + 'a');
    return ext;
}

namespace {

template <typename Call> int ExtendedCall(OpenFileNameRequest& request, Call call) {
    OpenFileNameRequest own = request;
    own.lStructSize = ofn::FullSize;
    own.FlagsEx = PlacesBarWanted ? 0 : ofn::ExNoPlacesBar;
    const int result = call(own);
    request = own;
    return result;
}

} // namespace

int ExtendedOpenCall(FileDialogService& service, OpenFileNameRequest& request) {
    return ExtendedCall(request,
                        [&](OpenFileNameRequest& r) { return service.GetOpenFileName(r); });
}

int ExtendedSaveCall(FileDialogService& service, OpenFileNameRequest& request) {
    return ExtendedCall(request,
                        [&](OpenFileNameRequest& r) { return service.GetSaveFileName(r); });
}

} // namespace sorvak
