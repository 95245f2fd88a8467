// Any bytes as a dialog's filter string: the "|" split under both code pages,
// the name filters the file dialog gets, and the extension a typed name takes.
#include "dialogs/OpenDialog.h"
#include "platform/filedialog/FileDialogFilters.h"

#include <QString>

#include <cstdint>
#include <cstdlib>
#include <string>

namespace {

void Check(bool condition) {
    if (!condition)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string filter(reinterpret_cast<const char*>(data), size);
    for (int codePage : {sorvak::codepage::Utf8, sorvak::codepage::ShiftJis}) {
        const std::string list = sorvak::FilterList(filter, codePage);
        Check(filter.empty() ? list.empty() : list.size() == filter.size() + 2);
        for (const auto& f : sorvak::platform::NameFiltersOf(list)) {
            Check(f.Text.endsWith(u')'));
            const QString extension = sorvak::platform::PlainExtension(f.FirstPattern);
            // What a typed name gets appended must be a plain extension.
            Check(!sorvak::platform::HasWildcard(extension) && !extension.contains(u'/'));
        }
    }
    return 0;
}
