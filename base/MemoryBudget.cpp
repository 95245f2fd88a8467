#include "base/MemoryBudget.h"

#include <algorithm>
#include <fstream>
#include <limits>
#include <string>
#include <string_view>
#include <vector>

namespace sorvak {

namespace {

namespace fs = std::filesystem;

constexpr std::uint64_t Most = std::numeric_limits<std::uint64_t>::max();

// Every file read here is small; only its start counts.
constexpr std::size_t MaxFileBytes = 1 << 16;

std::string ReadStart(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::string bytes(MaxFileBytes, '\0');
    in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    bytes.resize(static_cast<std::size_t>(std::max<std::streamsize>(in.gcount(), 0)));
    return bytes;
}

std::string_view Trimmed(std::string_view text) {
    constexpr std::string_view Blank = " \t\r\n";
    const std::size_t first = text.find_first_not_of(Blank);
    if (first == std::string_view::npos)
        return {};
    return text.substr(first, text.find_last_not_of(Blank) - first + 1);
}

// A decimal count and nothing else but blanks around it; nothing for any
// other bytes ("max" among them) and for a count beyond 64 bits.
std::optional<std::uint64_t> Count(std::string_view text) {
    text = Trimmed(text);
    if (text.empty())
        return std::nullopt;
    std::uint64_t value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9')
            return std::nullopt;
        const auto digit = static_cast<std::uint64_t>(c - '0');
        if (value > (Most - digit) / 10)
            return std::nullopt;
        value = value * 10 + digit;
    }
    return value;
}

std::vector<std::string_view> Lines(std::string_view text) {
    std::vector<std::string_view> lines;
    while (!text.empty()) {
        const std::size_t end = std::min(text.find('\n'), text.size());
        lines.push_back(text.substr(0, end));
        text.remove_prefix(std::min(end + 1, text.size()));
    }
    return lines;
}

// The value of "key value" in a file of such lines (memory.stat).
std::optional<std::uint64_t> KeyedCount(std::string_view text, std::string_view key) {
    for (const std::string_view line : Lines(text)) {
        const std::size_t space = line.find(' ');
        if (space != std::string_view::npos && line.substr(0, space) == key)
            return Count(line.substr(space + 1));
    }
    return std::nullopt;
}

std::optional<std::uint64_t> MemAvailable(const fs::path& root) {
    constexpr std::string_view Label = "MemAvailable:";
    const std::string meminfo = ReadStart(root / "proc/meminfo");
    for (const std::string_view line : Lines(meminfo)) {
        if (line.substr(0, Label.size()) != Label)
            continue;
        std::string_view value = Trimmed(line.substr(Label.size()));
        if (value.size() < 2 || value.substr(value.size() - 2) != "kB")
            return std::nullopt;
        const std::optional<std::uint64_t> kib = Count(value.substr(0, value.size() - 2));
        if (!kib || *kib > Most / 1024)
            return std::nullopt;
        return *kib * 1024;
    }
    return std::nullopt;
}

// The names of one hierarchy's file set.
struct Hierarchy {
    const char* mount; // under the root
    const char* limit;
    const char* usage;
    const char* reclaimable; // key in memory.stat
};

constexpr Hierarchy V1{"sys/fs/cgroup/memory", "memory.limit_in_bytes", "memory.usage_in_bytes",
                       "total_inactive_file"};
constexpr Hierarchy V2{"sys/fs/cgroup", "memory.max", "memory.current", "inactive_file"};
// Hybrid systems mount the v2 tree here.
constexpr Hierarchy V2Hybrid{"sys/fs/cgroup/unified", "memory.max", "memory.current",
                             "inactive_file"};

// What one cgroup folder leaves: its limit less its use, where it has a
// limit. Page cache that is not in active use is reclaimed before the
// out-of-memory killer runs, so it does not count as used.
std::optional<std::uint64_t> FolderBudget(const fs::path& folder, const Hierarchy& files) {
    const std::optional<std::uint64_t> limit = Count(ReadStart(folder / files.limit));
    const std::optional<std::uint64_t> usage = Count(ReadStart(folder / files.usage));
    if (!limit || !usage)
        return std::nullopt;
    const std::uint64_t reclaimable =
        KeyedCount(ReadStart(folder / "memory.stat"), files.reclaimable).value_or(0);
    const std::uint64_t used = *usage - std::min(reclaimable, *usage);
    return *limit > used ? *limit - used : 0;
}

// The folders of a cgroup path (from /proc/self/cgroup) and of every cgroup
// above it up to the mount itself, each of which may limit the process. A
// path the mount does not show (a container's view) leaves the mount alone.
std::vector<fs::path> FoldersUpward(const fs::path& mount, std::string_view path) {
    std::vector<std::string_view> names;
    for (std::size_t start = 0; start <= path.size();) {
        const std::size_t end = std::min(path.find('/', start), path.size());
        const std::string_view name = path.substr(start, end - start);
        if (name == "." || name == "..")
            return {mount};
        if (!name.empty())
            names.push_back(name);
        start = end + 1;
    }
    std::vector<fs::path> folders;
    fs::path folder = mount;
    folders.push_back(folder);
    for (const std::string_view name : names)
        folders.push_back(folder /= fs::path(std::string(name)));
    std::reverse(folders.begin(), folders.end());
    return folders;
}

std::optional<std::uint64_t> CgroupBudget(const fs::path& root) {
    std::optional<std::uint64_t> budget;
    const auto take = [&](const Hierarchy& files, std::string_view path) {
        for (const fs::path& folder : FoldersUpward(root / files.mount, path))
            if (const std::optional<std::uint64_t> left = FolderBudget(folder, files))
                budget = std::min(budget.value_or(Most), *left);
    };
    // Lines "hierarchy-ID:controller-list:cgroup-path"; v2's list is empty.
    const std::string cgroups = ReadStart(root / "proc/self/cgroup");
    for (const std::string_view line : Lines(cgroups)) {
        const std::size_t first = line.find(':');
        const std::size_t second =
            first == std::string_view::npos ? first : line.find(':', first + 1);
        if (second == std::string_view::npos || line.substr(second + 1, 1) != "/")
            continue;
        const std::string_view controllers = line.substr(first + 1, second - first - 1);
        const std::string_view path = line.substr(second + 1);
        if (controllers.empty()) {
            take(V2, path);
            take(V2Hybrid, path);
            continue;
        }
        for (std::size_t start = 0; start <= controllers.size();) {
            const std::size_t end = std::min(controllers.find(',', start), controllers.size());
            if (controllers.substr(start, end - start) == "memory")
                take(V1, path);
            start = end + 1;
        }
    }
    return budget;
}

} // namespace

std::optional<std::uint64_t> MemoryBudget(const fs::path& root) {
    const std::optional<std::uint64_t> available = MemAvailable(root);
    const std::optional<std::uint64_t> cgroup = CgroupBudget(root);
    if (available && cgroup)
        return std::min(*available, *cgroup);
    return available ? available : cgroup;
}

} // namespace sorvak
