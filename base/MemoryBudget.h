#pragma once
// How many bytes this process can really have. Allocation alone cannot tell:
// overcommit grants far more than can ever be touched, and in a memory cgroup
// the out-of-memory killer ends the program when the pages are first used.
#include <cstdint>
#include <filesystem>
#include <optional>

namespace sorvak {

// The smaller of the physical memory available (MemAvailable of
// /proc/meminfo) and, for each memory cgroup above the process that sets a
// limit (v2 memory.max, v1 memory.limit_in_bytes), that limit less what is
// used there and cannot be reclaimed at once. Nothing when neither is known.
// Every file is read under `root`, so that tests can give fixtures.
std::optional<std::uint64_t> MemoryBudget(const std::filesystem::path& root = "/");

} // namespace sorvak
