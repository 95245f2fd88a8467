// Any bytes as text: line splitting and joining, name=value lookups, and the
// case rules of both code pages.
#include "base/CodePage.h"
#include "base/LineList.h"
#include "settings/ExtIniFile.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

namespace {

using sorvak::LineList;

void Check(bool condition) {
    if (!condition)
        std::abort();
}

// The first line of the input, short, as a name to look up.
std::string NameFrom(std::string_view bytes) {
    const std::size_t end = bytes.find_first_of(std::string_view("\r\n\0=", 4));
    return std::string(bytes.substr(0, std::min<std::size_t>(end, 32)));
}

void FuzzLineList(std::string_view bytes) {
    LineList list;
    list.SplitText(bytes);
    const std::string joined = list.JoinText();
    LineList again;
    again.SplitText(joined);
    Check(again.JoinText() == joined);
    for (LineList::Index i = 0; i < list.Count(); ++i)
        Check(list[i].find_first_of(std::string_view("\r\n\0", 3)) == std::string::npos);

    const std::string name = NameFrom(bytes);
    const LineList::Index found = list.FindName(name);
    Check(found >= -1 && found < list.Count());
    const std::string value = list.GetValue(name);
    list.SetValue(name, "v");
    Check(list.GetValue(name) == "v");
    list.SetValue(name, "");
    list.SetCaseSensitive(true);
    (void)list.FindName(name);
}

void FuzzCase(std::string_view bytes) {
    namespace cp = sorvak::codepage;
    Check(cp::UpperCase(bytes, cp::ShiftJis).size() == bytes.size());
    const std::string_view a = bytes.substr(0, bytes.size() / 2);
    const std::string_view b = bytes.substr(bytes.size() / 2);
    // The ASCII shortcut of SameText must agree with full upper-casing.
    Check(cp::SameText(a, b, cp::Utf8) ==
          (cp::UpperCase(a, cp::Utf8) == cp::UpperCase(b, cp::Utf8)));
    (void)sorvak::ParseIniInt(bytes.substr(0, 64));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    FuzzLineList(bytes);
    FuzzCase(bytes);
    return 0;
}
