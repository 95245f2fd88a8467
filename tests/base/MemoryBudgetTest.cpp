// The memory the process can have, from fixture copies of /proc and
// /sys/fs/cgroup: the smaller of MemAvailable and every cgroup limit above
// the process less its use, whatever bytes the files hold.
#include "base/MemoryBudget.h"
#include "tests/support/TestFiles.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <map>

namespace sorvak {
namespace {

using test::TempDir;
using test::WriteFileBytes;
namespace fs = std::filesystem;

constexpr std::uint64_t MiB = 1 << 20;
const std::string Meminfo4G = "MemTotal:       8388608 kB\nMemFree:         1000 kB\n"
                              "MemAvailable:    4194304 kB\nBuffers:  12 kB\n";

struct Case {
    const char* name;
    std::map<std::string, std::string> files; // path under the root: bytes
    std::optional<std::uint64_t> budget;
};

TEST(MemoryBudget, TheSmallestOfMemAvailableAndEveryLimitAboveTheProcess) {
    const std::string v1 = "sys/fs/cgroup/memory/";
    const std::string v2 = "sys/fs/cgroup/";
    const Case cases[] = {
        {"physical memory only", {{"proc/meminfo", Meminfo4G}}, 4096 * MiB},
        {"v2 limit less the use that cannot be reclaimed",
         {{"proc/meminfo", Meminfo4G},
          {"proc/self/cgroup", "0::/user.slice/app.scope\n"},
          {v2 + "user.slice/app.scope/memory.max", "1073741824\n"},
          {v2 + "user.slice/app.scope/memory.current", "536870912\n"},
          {v2 + "user.slice/app.scope/memory.stat", "anon 1\ninactive_file 268435456\n"}},
         768 * MiB},
        {"a tighter limit further up",
         {{"proc/meminfo", Meminfo4G},
          {"proc/self/cgroup", "0::/user.slice/app.scope\n"},
          {v2 + "user.slice/app.scope/memory.max", "1073741824\n"},
          {v2 + "user.slice/app.scope/memory.current", "0\n"},
          {v2 + "user.slice/memory.max", "629145600\n"},
          {v2 + "user.slice/memory.current", "524288000\n"}},
         100 * MiB},
        {"v2 without a limit",
         {{"proc/meminfo", Meminfo4G},
          {"proc/self/cgroup", "0::/a\n"},
          {v2 + "a/memory.max", "max\n"},
          {v2 + "a/memory.current", "5\n"}},
         4096 * MiB},
        {"v2 mounted beside v1 (hybrid)",
         {{"proc/meminfo", Meminfo4G},
          {"proc/self/cgroup", "1:cpu:/\n0::/a\n"},
          {v2 + "unified/a/memory.max", "3000\n"},
          {v2 + "unified/a/memory.current", "1000\n"}},
         2000},
        {"v1 with the machine's root beside it",
         {{"proc/meminfo", Meminfo4G},
          {"proc/self/cgroup", "9:pids:/\n4:memory:/sorvak-test\n0::/\n"},
          {v1 + "memory.limit_in_bytes", "9223372036854771712\n"},
          {v1 + "memory.usage_in_bytes", "4931579904\n"},
          {v1 + "sorvak-test/memory.limit_in_bytes", "2147483648\n"},
          {v1 + "sorvak-test/memory.usage_in_bytes", "1073741824\n"},
          {v1 + "sorvak-test/memory.stat", "cache 7\ntotal_inactive_file 0\n"}},
         1024 * MiB},
        {"v1 memory in a list of controllers",
         {{"proc/meminfo", Meminfo4G},
          {"proc/self/cgroup", "5:cpu,memory,pids:/x\n"},
          {v1 + "x/memory.limit_in_bytes", "1048576"},
          {v1 + "x/memory.usage_in_bytes", "0"}},
         MiB},
        {"a container sees its own cgroup at the mount",
         {{"proc/meminfo", Meminfo4G},
          {"proc/self/cgroup", "4:memory:/docker/0123abcd\n"},
          {v1 + "memory.limit_in_bytes", "1073741824\n"},
          {v1 + "memory.usage_in_bytes", "0\n"}},
         1024 * MiB},
        {"use beyond the limit leaves nothing",
         {{"proc/meminfo", Meminfo4G},
          {"proc/self/cgroup", "0::/a\n"},
          {v2 + "a/memory.max", "100\n"},
          {v2 + "a/memory.current", "200\n"}},
         0},
        {"no file at all", {}, std::nullopt},
        {"a cgroup without meminfo",
         {{"proc/self/cgroup", "0::/a\n"},
          {v2 + "a/memory.max", "4096\n"},
          {v2 + "a/memory.current", "96\n"}},
         4000},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir root("sorvak-memory");
        for (const auto& [path, bytes] : c.files) {
            fs::create_directories(fs::path(root / path).parent_path());
            WriteFileBytes(root / path, bytes);
        }
        EXPECT_EQ(MemoryBudget(root.Path()), c.budget);
    }
}

TEST(MemoryBudget, BytesThatAreNoCountAreNoLimit) {
    const std::string v2 = "sys/fs/cgroup/a/";
    const std::string binary("\0\xff\x01MemAvailable: 1 kB", 19);
    const std::string notCounts[] = {
        "", "-1\n", "1e9\n", "12 34\n", "0x100\n", "99999999999999999999999\n", binary, "max",
    };
    for (const std::string& bytes : notCounts) {
        SCOPED_TRACE(testing::PrintToString(bytes));
        TempDir root("sorvak-memory");
        fs::create_directories(root / v2);
        fs::create_directories(root / "proc/self");
        WriteFileBytes(root / "proc/self/cgroup", "0::/a\n");
        WriteFileBytes(root / (v2 + "memory.max"), bytes);
        WriteFileBytes(root / (v2 + "memory.current"), "0\n");
        // As MemAvailable's value too; a well-formed one stands beside.
        EXPECT_EQ(MemoryBudget(root.Path()), std::nullopt);
        WriteFileBytes(root / "proc/meminfo", "MemAvailable: " + bytes + " kB\n");
        EXPECT_EQ(MemoryBudget(root.Path()), std::nullopt);
        WriteFileBytes(root / (v2 + "memory.max"), "4096\n");
        WriteFileBytes(root / (v2 + "memory.current"), bytes);
        EXPECT_EQ(MemoryBudget(root.Path()), std::nullopt);
    }
    // Lines that are no cgroup lines, paths that climb out, a unit that is
    // not kB, a count whose kB overflow: each ignored.
    TempDir root("sorvak-memory");
    fs::create_directories(root / "proc/self");
    fs::create_directories(root / "sys/fs/cgroup/memory");
    WriteFileBytes(root / "proc/self/cgroup", "garbage\n4:memory\n4:memory:relative\n"
                                              "4:memory:/../../etc\n");
    WriteFileBytes(root / "sys/fs/cgroup/memory/memory.limit_in_bytes", "8192\n");
    WriteFileBytes(root / "sys/fs/cgroup/memory/memory.usage_in_bytes", "0\n");
    for (const char* meminfo :
         {"MemAvailable: 12 MB\n", "MemAvailable: 18014398509481984 kB\n", "MemAvailable:\n"}) {
        SCOPED_TRACE(meminfo);
        WriteFileBytes(root / "proc/meminfo", meminfo);
        // Only the mount itself, for the line that climbs out.
        EXPECT_EQ(MemoryBudget(root.Path()), 8192u);
    }
}

TEST(MemoryBudget, ThisMachineGivesAFigureWithinItsMemory) {
    const std::optional<std::uint64_t> budget = MemoryBudget();
    ASSERT_TRUE(budget);
    unsigned long long totalKib = 0;
    ASSERT_EQ(
        std::sscanf(test::ReadFileBytes("/proc/meminfo").c_str(), "MemTotal: %llu kB", &totalKib),
        1);
    EXPECT_GT(*budget, 0u);
    EXPECT_LE(*budget, totalKib * 1024);
}

} // namespace
} // namespace sorvak
