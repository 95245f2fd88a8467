#include "base/OutputFile.h"
#include "tests/support/TestFiles.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

namespace sorvak {
namespace {

namespace fs = std::filesystem;
using test::Entries;
using test::ReadFileBytes;
using test::TempDir;
using test::WriteFileBytes;

std::string CreateMessage(const std::string& path, int errnum) {
    return "ファイル \"" + path + "\". " + std::strerror(errnum) + " を作成できません";
}

// The process's umask while it lives.
class ScopedUmask {
public:
    explicit ScopedUmask(mode_t mask) : old_(::umask(mask)) {}
    ~ScopedUmask() { ::umask(old_); }
    ScopedUmask(const ScopedUmask&) = delete;
    ScopedUmask& operator=(const ScopedUmask&) = delete;

private:
    mode_t old_;
};

// The system's calls, except that one of them fails with a chosen error.
class FailingCalls : public FileCalls {
public:
    FailingCalls(std::string step, int error) : step_(std::move(step)), error_(error) {}
    int Open(const char* path, int flags, mode_t mode) override {
        return Fails("open") ? -1 : FileCalls::Open(path, flags, mode);
    }
    ssize_t Write(int fd, const void* data, std::size_t count) override {
        return Fails("write") ? -1 : FileCalls::Write(fd, data, count);
    }
    int Sync(int fd) override { return Fails("sync") ? -1 : FileCalls::Sync(fd); }
    int Close(int fd) override {
        // The descriptor is released even when close reports an error.
        const int result = FileCalls::Close(fd);
        return Fails("close") ? -1 : result;
    }
    int Rename(const char* from, const char* to) override {
        return Fails("rename") ? -1 : FileCalls::Rename(from, to);
    }

private:
    bool Fails(const char* step) {
        if (step_ != step)
            return false;
        errno = error_;
        return true;
    }
    std::string step_;
    int error_;
};

TEST(OutputFile, FailureAtAnyStepLeavesTheOldFileAndNoNewOne) {
    struct Case {
        const char* step;
        int error;
        std::string message; // empty: the write error
    } cases[] = {
        {"open", EROFS, "create"}, {"write", ENOSPC, ""},       {"sync", EIO, ""},
        {"close", EDQUOT, ""},     {"rename", EBUSY, "create"},
    };
    for (const Case& c : cases) {
        for (const bool existed : {true, false}) {
            SCOPED_TRACE(std::string(c.step) + (existed ? " replacing" : " new"));
            TempDir dir("sorvak-outputfile");
            const std::string target = dir / "picture.png";
            if (existed)
                WriteFileBytes(target, "old bytes");
            FailingCalls calls(c.step, c.error);
            try {
                OutputFile file(target, calls);
                file.Write("new bytes that were never wanted half written");
                file.Close();
                ADD_FAILURE() << "no error";
            } catch (const Exception& e) {
                EXPECT_EQ(std::string(e.what()), c.message.empty()
                                                     ? "ストリームへの書き込みエラー"
                                                     : CreateMessage(target, c.error));
            }
            if (existed) {
                EXPECT_EQ(ReadFileBytes(target), "old bytes");
                EXPECT_EQ(Entries(dir.Path()), std::vector<std::string>{"picture.png"});
            } else {
                EXPECT_TRUE(Entries(dir.Path()).empty());
            }
        }
    }
}

TEST(OutputFile, ObjectEndedWithoutCloseLeavesTheOldFile) {
    TempDir dir("sorvak-outputfile");
    const std::string target = dir / "a.txt";
    WriteFileBytes(target, "old");
    {
        OutputFile file(target);
        file.Write("part of the new");
    }
    EXPECT_EQ(ReadFileBytes(target), "old");
    EXPECT_EQ(Entries(dir.Path()), std::vector<std::string>{"a.txt"});
}

TEST(OutputFile, ReplacingKeepsPermissionBitsAndWritesThroughLinks) {
    TempDir dir("sorvak-outputfile");
    const std::string target = dir / "private.txt";
    WriteFileBytes(target, "old");
    ASSERT_EQ(::chmod(target.c_str(), 0640), 0);
    ASSERT_EQ(::symlink("private.txt", (dir / "link.txt").c_str()), 0);
    ASSERT_EQ(::symlink((dir / "link.txt").c_str(), (dir / "link2.txt").c_str()), 0);

    WriteWholeFile(dir / "link2.txt", "new");
    EXPECT_EQ(ReadFileBytes(target), "new");
    EXPECT_TRUE(fs::is_symlink(dir / "link.txt"));
    EXPECT_TRUE(fs::is_symlink(dir / "link2.txt"));
    struct stat info {};
    ASSERT_EQ(::stat(target.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0640u);

    // A link to a file that is not there yet makes that file.
    ASSERT_EQ(::symlink("later.txt", (dir / "dangling.txt").c_str()), 0);
    WriteWholeFile(dir / "dangling.txt", "made");
    EXPECT_EQ(ReadFileBytes(dir / "later.txt"), "made");
    EXPECT_TRUE(fs::is_symlink(dir / "dangling.txt"));
}

TEST(OutputFile, NewFileGetsTheUsualModeAndEmptyBytesMakeAnEmptyFile) {
    TempDir dir("sorvak-outputfile");
    const struct {
        mode_t umask, mode;
    } cases[] = {{022, 0644}, {077, 0600}, {002, 0664}, {0, 0666}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.umask);
        const std::string target = dir / ("empty" + std::to_string(c.umask));
        {
            const ScopedUmask mask(c.umask);
            WriteWholeFile(target, "");
        }
        struct stat info {};
        ASSERT_EQ(::stat(target.c_str(), &info), 0);
        EXPECT_EQ(info.st_mode & 07777, c.mode);
        EXPECT_EQ(info.st_size, 0);
    }
}

// In a shared folder nobody else may open the new file while it is written;
// it gets its mode only just before it takes the target's place.
TEST(OutputFile, TheNewFileIsPrivateUntilItIsPutInPlace) {
    TempDir dir("sorvak-outputfile");
    WriteFileBytes(dir / "old.txt", "old");
    ASSERT_EQ(::chmod((dir / "old.txt").c_str(), 0664), 0);
    const ScopedUmask mask(0);
    for (const std::string name : {"old.txt", "new.txt"}) {
        SCOPED_TRACE(name);
        OutputFile file(dir / name);
        file.Write("bytes");
        std::string temp;
        for (const std::string& entry : Entries(dir.Path()))
            if (entry.front() == '.')
                temp = entry;
        ASSERT_FALSE(temp.empty());
        struct stat info {};
        ASSERT_EQ(::stat((dir / temp).c_str(), &info), 0);
        EXPECT_EQ(info.st_mode & 07777, 0600u);
        file.Close();
        ASSERT_EQ(::stat((dir / name).c_str(), &info), 0);
        EXPECT_EQ(info.st_mode & 07777, name == "old.txt" ? 0664u : 0666u);
    }
}

TEST(OutputFile, TargetsThatAreNoRegularFileAreRefusedWithoutBlocking) {
    TempDir dir("sorvak-outputfile");
    const std::string fifo = dir / "fifo";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const std::string folder = dir / "folder";
    fs::create_directory(folder);
    ASSERT_EQ(::symlink("fifo", (dir / "to-fifo").c_str()), 0);
    ASSERT_EQ(::symlink("loop", (dir / "loop").c_str()), 0);
    struct Case {
        std::string path;
        int error;
    } cases[] = {
        {fifo, ENOTSUP},  {dir / "to-fifo", ENOTSUP}, {"/dev/null", ENOTSUP},
        {folder, EISDIR}, {dir / "loop", ELOOP},      {dir / "missing/x.txt", ENOENT},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        try {
            WriteWholeFile(c.path, "x");
            ADD_FAILURE() << "no error";
        } catch (const EFCreateError& e) {
            EXPECT_EQ(std::string(e.what()), CreateMessage(c.path, c.error));
        }
    }
    EXPECT_TRUE(fs::is_fifo(fifo));
    EXPECT_TRUE(fs::is_empty(folder));
    EXPECT_EQ(Entries(dir.Path()), (std::vector<std::string>{"fifo", "folder", "loop", "to-fifo"}));
}

} // namespace
} // namespace sorvak
