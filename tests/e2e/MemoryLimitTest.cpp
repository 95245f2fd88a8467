// A picture whose header is small but whose pixels the process cannot hold:
// in a memory cgroup, allocation succeeds (overcommit) and the out-of-memory
// killer ends the program once the pages are used, so the program must
// refuse such a picture before it shows a dialog.
#include "tests/e2e/Session.h"

#include <gtest/gtest.h>

#include <array>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <sys/stat.h>
#include <unistd.h>
#include <zlib.h>

using namespace sorvak::e2e;
namespace fs = std::filesystem;
using namespace std::chrono_literals;

namespace {

std::string BigEndian(std::uint32_t v) {
    return {static_cast<char>(v >> 24), static_cast<char>(v >> 16), static_cast<char>(v >> 8),
            static_cast<char>(v)};
}

std::string Chunk(const std::string& type, const std::string& data) {
    const std::string body = type + data;
    const auto crc = static_cast<std::uint32_t>(
        crc32(0, reinterpret_cast<const Bytef*>(body.data()), static_cast<uInt>(body.size())));
    return BigEndian(static_cast<std::uint32_t>(data.size())) + body + BigEndian(crc);
}

// An all-black 8-bit RGB PNG: every raw byte (filter bytes included) is 0,
// so run-length deflate packs gigabytes into a few megabytes.
std::string BlackPng(std::uint32_t width, std::uint32_t height) {
    z_stream z{};
    deflateInit2(&z, 9, Z_DEFLATED, 15, 9, Z_RLE);
    const std::string zeros(1 << 20, '\0');
    std::uint64_t left = std::uint64_t(height) * (1 + 3 * std::uint64_t(width));
    std::string packed;
    std::array<char, 1 << 16> out;
    while (true) {
        const std::size_t piece =
            static_cast<std::size_t>(std::min<std::uint64_t>(left, zeros.size()));
        left -= piece;
        z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(zeros.data()));
        z.avail_in = static_cast<uInt>(piece);
        const int flush = left == 0 ? Z_FINISH : Z_NO_FLUSH;
        do {
            z.next_out = reinterpret_cast<Bytef*>(out.data());
            z.avail_out = out.size();
            deflate(&z, flush);
            packed.append(out.data(), out.size() - z.avail_out);
        } while (z.avail_out == 0);
        if (left == 0)
            break;
    }
    deflateEnd(&z);
    const std::string ihdr =
        BigEndian(width) + BigEndian(height) + std::string("\x08\x02\0\0\0", 5);
    return std::string("\x89PNG\r\n\x1a\n", 8) + Chunk("IHDR", ihdr) + Chunk("IDAT", packed) +
           Chunk("IEND", "");
}

// A cgroup v1 memory folder with a limit, removed when the object goes.
class MemoryCgroup {
public:
    MemoryCgroup(const std::string& name, std::uint64_t limit)
        : folder_(fs::path("/sys/fs/cgroup/memory") / name) {
        if (::mkdir(folder_.c_str(), 0755) != 0) {
            why_ = std::string("cannot make ") + folder_.string() + ": " + std::strerror(errno);
            return;
        }
        made_ = true;
        std::ofstream(folder_ / "memory.limit_in_bytes") << limit;
        if (Read("memory.limit_in_bytes") != std::to_string(limit) + "\n")
            why_ = "the memory limit did not take";
    }
    ~MemoryCgroup() {
        if (made_)
            ::rmdir(folder_.c_str());
    }
    MemoryCgroup(const MemoryCgroup&) = delete;
    MemoryCgroup& operator=(const MemoryCgroup&) = delete;

    // Empty once the folder is ready, else why it is not.
    const std::string& Unusable() const { return why_; }
    const fs::path& Folder() const { return folder_; }
    std::string Read(const std::string& file) const { return ReadFileBytes(folder_ / file); }
    // How often the cgroup's out-of-memory killer ended a process.
    int OomKills() const {
        const std::string control = Read("memory.oom_control");
        const std::size_t at = control.find("oom_kill ");
        return at == std::string::npos ? 0 : std::stoi(control.substr(at + 9));
    }

private:
    fs::path folder_;
    bool made_ = false;
    std::string why_;
};

} // namespace

TEST(MemoryLimit, PictureTheCgroupCannotHoldGivesTheResourceErrorBeforeAnyDialog) {
    MemoryCgroup cgroup("sorvak-e2e-" + std::to_string(::getpid()), std::uint64_t(2) << 30);
    if (!cgroup.Unusable().empty())
        GTEST_SKIP() << "no memory cgroup to run in: " << cgroup.Unusable();
    Session session;
    const std::string png = BlackPng(40000, 40000);
    std::printf("PNG of 40000 x 40000: %zu bytes\n", png.size());
    session.OwnClipboard({{"image/png", png}});

    // The shell joins the cgroup, then becomes the program.
    Process::Options options;
    options.Environment = session.Environment();
    options.WorkingDirectory = session.WorkDir().string();
    Process program({"sh", "-c", "echo $$ > \"$0/cgroup.procs\" && exec \"$1\"",
                     cgroup.Folder().string(), (session.ProgramDir() / "sorvak").string()},
                    options);
    const std::string window =
        session.WaitForWindow(std::string("^Sorvak$|^") + PictureDialogTitle + "$", 60000);
    ASSERT_FALSE(window.empty()) << "no window; status " << program.Wait(1s).value_or(-1);
    const bool dialog = !session.WaitForWindow(PictureDialogTitle, 100).empty();
    EXPECT_FALSE(dialog) << "the picture dialog came";
    session.Key(dialog ? "Escape" : "Return");
    const std::optional<int> status = program.Wait(30s);
    EXPECT_EQ(status, 0) << "137 is the out-of-memory killer";
    EXPECT_EQ(cgroup.OomKills(), 0);
    EXPECT_TRUE(fs::is_empty(session.WorkDir()));
}
