#include "base/FileHead.h"

#include "tests/support/TestFiles.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <future>
#include <memory>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <thread>
#include <unistd.h>

namespace sorvak {
namespace {

using test::TempDir;
using test::WriteFileBytes;

TEST(FileHead, RegularFileUpToTheLimit) {
    TempDir dir;
    const std::string path = dir / "a.txt";
    WriteFileBytes(path, std::string("abc\0def", 7));
    struct Case {
        std::size_t limit;
        std::string expected;
    };
    for (const Case& c : {Case{0, ""}, Case{3, "abc"}, Case{7, std::string("abc\0def", 7)},
                          Case{1024, std::string("abc\0def", 7)}}) {
        int errnum = -1;
        const std::optional<std::string> head = ReadFileHead(path, c.limit, &errnum);
        ASSERT_TRUE(head.has_value()) << c.limit;
        EXPECT_EQ(*head, c.expected) << c.limit;
        EXPECT_EQ(errnum, -1) << "success leaves errnum alone";
    }
    WriteFileBytes(path, "");
    EXPECT_EQ(ReadFileHead(path, 1024), std::optional<std::string>(""));
}

TEST(FileHead, LargerThanOneReadStopsAtTheLimit) {
    TempDir dir;
    const std::string path = dir / "big";
    std::string bytes(200000, 'x');
    bytes[150000] = 'y';
    WriteFileBytes(path, bytes);
    const std::optional<std::string> head = ReadFileHead(path, 150001);
    ASSERT_TRUE(head.has_value());
    EXPECT_EQ(head->size(), 150001u);
    EXPECT_EQ(head->back(), 'y');
}

TEST(FileHead, ProcFileOfSizeZeroIsRead) {
    struct stat info {};
    ASSERT_EQ(::stat("/proc/self/status", &info), 0);
    ASSERT_EQ(info.st_size, 0) << "the case needs a file that reports size 0";
    const std::optional<std::string> head = ReadFileHead("/proc/self/status", 5);
    ASSERT_TRUE(head.has_value());
    EXPECT_EQ(*head, "Name:");
    const std::optional<std::string> whole = ReadFileHead("/proc/self/status", 1 << 20);
    ASSERT_TRUE(whole.has_value());
    EXPECT_NE(whole->find("\nPid:"), std::string::npos);
}

TEST(FileHead, RefusesWhatIsNotARegularFile) {
    TempDir dir;
    const std::string fifo = dir / "fifo";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const std::string socketPath = dir / "socket";
    const int sock = ::socket(AF_UNIX, SOCK_STREAM, 0);
    ASSERT_GE(sock, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    socketPath.copy(address.sun_path, sizeof address.sun_path - 1);
    ASSERT_EQ(::bind(sock, reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);

    struct Case {
        std::string path;
        int errnum;
    };
    for (const Case& c : {Case{fifo, EINVAL}, Case{socketPath, EINVAL}, Case{"/dev/zero", EINVAL},
                          Case{dir.Path().string(), EISDIR}, Case{dir / "missing", ENOENT},
                          Case{dir / "missing/deeper", ENOENT}}) {
        // A FIFO without a writer blocks a plain open; the read must end on
        // its own, so it runs apart and is given a deadline.
        auto done = std::make_shared<std::promise<std::pair<bool, int>>>();
        auto reading = done->get_future();
        std::thread([done, path = c.path] {
            int errnum = 0;
            const bool read = ReadFileHead(path, 16, &errnum).has_value();
            done->set_value({read, errnum});
        }).detach();
        ASSERT_EQ(reading.wait_for(std::chrono::seconds(5)), std::future_status::ready) << c.path;
        const auto [read, errnum] = reading.get();
        EXPECT_FALSE(read) << c.path;
        EXPECT_EQ(errnum, c.errnum) << c.path;
    }
    ::close(sock);
}

TEST(FileHead, ThrowingFormCarriesTheOpenMessage) {
    TempDir dir;
    const std::string missing = dir / "none.txt";
    try {
        ReadFileHeadOrThrow(missing, 16);
        FAIL() << "no exception";
    } catch (const EFOpenError& e) {
        EXPECT_EQ(std::string(e.what()),
                  "ファイル \"" + missing + "\". No such file or directory は開けません");
    }
    WriteFileBytes(dir / "some.txt", "text");
    EXPECT_EQ(ReadFileHeadOrThrow(dir / "some.txt", 16), "text");
}

} // namespace
} // namespace sorvak
