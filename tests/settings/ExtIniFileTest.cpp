#include "settings/ExtIniFile.h"
#include "tests/support/Locales.h"
#include "tests/support/TestFiles.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <stdexcept>
#include <sys/file.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace sorvak {
namespace {

using namespace std::string_literals;
namespace fs = std::filesystem;

using test::ReadFileBytes;
using test::WriteFileBytes;

// Each test gets a folder holding a pretend program file "sorvak", so the
// store's file is <folder>/sorvak.ini.
class ExtIniFileTest : public ::testing::Test {
protected:
    ExtIniFileTest() {
        dir_ = temp_.Path().string();
        program_ = dir_ + "/sorvak";
        ini_ = dir_ + "/sorvak.ini";
    }

    // Loads the text as the settings file and returns what the store writes
    // back at its end without any change.
    std::string RoundTrip(const std::string& file) {
        WriteFileBytes(ini_, file);
        { TExtIniFile store(program_); }
        return ReadFileBytes(ini_);
    }

    test::TempDir temp_{"sorvak-ini"};
    std::string dir_, program_, ini_;
};

TEST_F(ExtIniFileTest, PlacesTheFileBesideTheProgram) {
    TExtIniFile store(program_);
    EXPECT_EQ(store.BaseName(), "sorvak");
    EXPECT_EQ(store.FolderPath(), dir_ + "/");
    EXPECT_EQ(store.GetIniPath(), ini_);
    EXPECT_EQ(store.DefaultFolder(), dfApplication);
    EXPECT_TRUE(store.AutoUpdate());
    EXPECT_FALSE(store.UpdateAtOnce());
    EXPECT_FALSE(store.CaseSensitive());
    EXPECT_EQ(store.FileName(), "");
    EXPECT_EQ(store.GetFolderPath(dfUser), "");
    EXPECT_EQ(store.GetFolderPath(dfWindows), "/etc/");
    EXPECT_EQ(TExtIniFile(dir_ + "/tool.bin").IniFileName(), "tool.ini");
}

TEST_F(ExtIniFileTest, NoFileGivesDefaultsAndAnEmptyFileAtTheEnd) {
    {
        TExtIniFile store(program_);
        EXPECT_EQ(store.ReadInt("PictureDialog", "SavePicMode", 1), 1);
        EXPECT_EQ(store.ReadStr("TextSaveDialog", "InitialDir", "/opt"), "/opt");
        EXPECT_FALSE(fs::exists(ini_)); // reads never write
    }
    ASSERT_TRUE(fs::exists(ini_));
    EXPECT_EQ(fs::file_size(ini_), 0u);
}

TEST_F(ExtIniFileTest, FirstPictureExportWritesExactlyThisFile) {
    {
        TExtIniFile store(program_);
        store.WriteInt("PictureDialog", "SavePicMode", 3);
        store.WriteStr("PictureDialog", "InitialDir", "/home/u/Pictures");
        EXPECT_FALSE(fs::exists(ini_)); // memory only until the end
    }
    EXPECT_EQ(ReadFileBytes(ini_),
              "[PictureDialog]\r\nSavePicMode=3\r\nInitialDir=/home/u/Pictures\r\n\r\n");

    TExtIniFile again(program_);
    EXPECT_EQ(again.ReadInt("PictureDialog", "SavePicMode", 1), 3);
    EXPECT_EQ(again.ReadStr("PictureDialog", "InitialDir", ""), "/home/u/Pictures");
}

TEST_F(ExtIniFileTest, RoundTripKeepsCommentsAndDropsWhatTheRulesDrop) {
    const std::string file = "before any header\n"
                             "[A]\n"
                             "; comment\n"
                             "\n"
                             "x\n"
                             "no equals sign\n"
                             "  indented=1\r\n"
                             " [NotAHeader]\r\n"
                             "[B]\r"
                             "k=v\r\n"
                             "[Last]";
    EXPECT_EQ(RoundTrip(file), "[A]\r\n; comment\r\nno equals sign\r\n  indented=1\r\n"
                               " [NotAHeader]\r\n\r\n[B]\r\nk=v\r\n\r\n[Last]\r\n\r\n");
}

TEST_F(ExtIniFileTest, NamesIgnoreCaseAndKeepTheFilesSpelling) {
    WriteFileBytes(ini_, "[picturedialog]\r\nsavepicmode=2\r\n");
    {
        TExtIniFile store(program_);
        EXPECT_EQ(store.ReadInt("PictureDialog", "SavePicMode", 1), 2);
        EXPECT_EQ(store.ReadInt("[PICTUREDIALOG]", "SAVEPICMODE", 1), 2);
        store.WriteInt("PictureDialog", "SavePicMode", 4);
    }
    EXPECT_EQ(ReadFileBytes(ini_), "[picturedialog]\r\nSavePicMode=4\r\n\r\n");
}

TEST_F(ExtIniFileTest, CaseSensitiveComparesExactly) {
    WriteFileBytes(ini_, "[picturedialog]\r\nsavepicmode=2\r\n");
    {
        TExtIniFile store(program_);
        store.SetCaseSensitive(true);
        EXPECT_EQ(store.ReadInt("PictureDialog", "SavePicMode", 1), 1);
        EXPECT_EQ(store.ReadInt("picturedialog", "SavePicMode", 1), 1);
        EXPECT_EQ(store.ReadInt("picturedialog", "savepicmode", 1), 2);
        // A write compares as the read did: a new line, the old one kept.
        store.WriteInt("picturedialog", "SavePicMode", 5);
        store.WriteInt("PictureDialog", "SavePicMode", 6);
        store.SetCaseSensitive(false);
        EXPECT_EQ(store.ReadInt("PICTUREDIALOG", "SAVEPICMODE", 1), 6); // last section wins
    }
    EXPECT_EQ(ReadFileBytes(ini_), "[picturedialog]\r\nsavepicmode=2\r\nSavePicMode=5\r\n\r\n"
                                   "[PictureDialog]\r\nSavePicMode=6\r\n\r\n");
}

TEST_F(ExtIniFileTest, DuplicateSectionsTheLastOneIsUsedAndBothAreKept) {
    WriteFileBytes(
        ini_,
        "[TextSaveDialog]\nInitialDir=/one\n[Other]\na=1\n[TextSaveDialog]\nInitialDir=/two\n");
    {
        TExtIniFile store(program_);
        EXPECT_EQ(store.IndexOfSection("TextSaveDialog"), 2);
        EXPECT_EQ(store.ReadStr("TextSaveDialog", "InitialDir", ""), "/two");
        store.WriteStr("TextSaveDialog", "InitialDir", "/three");
    }
    EXPECT_EQ(ReadFileBytes(ini_),
              "[TextSaveDialog]\r\nInitialDir=/one\r\n\r\n[Other]\r\na=1\r\n\r\n"
              "[TextSaveDialog]\r\nInitialDir=/three\r\n\r\n");
}

TEST_F(ExtIniFileTest, KeyLookupRules) {
    WriteFileBytes(ini_, "[S]\nEmpty=\n Blank=x\nDup=first\nDup=second\nEq=a=b\n");
    TExtIniFile store(program_);
    store.SetAutoUpdate(false);
    std::string value = "stale";
    EXPECT_EQ(store.FindValue("S", "Empty", value), 0);
    EXPECT_EQ(value, "");
    EXPECT_EQ(store.ReadStr("S", "Empty", "default"), ""); // present, not the default
    EXPECT_EQ(store.ReadStr("S", "Blank", "default"), "default");
    EXPECT_EQ(store.ReadStr("S", " Blank", "default"), "x");
    EXPECT_EQ(store.ReadStr("S", "Dup", ""), "first"); // first key line wins
    EXPECT_EQ(store.ReadStr("S", "Eq", ""), "a=b");
    EXPECT_EQ(store.FindValue("Missing", "Empty", value), -1);
    EXPECT_EQ(store.FindValue("S", "Missing", value), -1);
    EXPECT_EQ(store.IndexOfSection(""), -1);
}

TEST_F(ExtIniFileTest, WritingAnEmptyValueKeepsTheKeyAtTheEnd) {
    WriteFileBytes(ini_, "[S]\nKey=old\nOther=1\n");
    {
        TExtIniFile store(program_);
        store.WriteStr("S", "key", "");
        EXPECT_EQ(store.ReadStr("S", "Key", "default"), "");
        store.WriteInt("S", "Neg", -5);
        EXPECT_EQ(store.ReadInt("S", "Neg", 0), -5);
        store.WriteStr("[New]", "K", "v");
    }
    EXPECT_EQ(ReadFileBytes(ini_), "[S]\r\nOther=1\r\nkey=\r\nNeg=-5\r\n\r\n[New]\r\nK=v\r\n\r\n");
}

TEST_F(ExtIniFileTest, ReadIntConversion) {
    struct Case {
        const char* text;
        std::int32_t expected; // 99 is the default
    };
    const Case cases[] = {
        {"0", 0},
        {"42", 42},
        {"0x10", 16},
        {"0X1f", 31},
        {"$10", 16},
        {"$ff", 255},
        {"x1f", 31},
        {"X1F", 31},
        {" 7", 7},
        {"   -7", -7},
        {"+5", 5},
        {"-0x10", -16},
        {" 0x10", 16},
        {"007", 7},
        {"2147483647", 2147483647},
        {"-2147483648", INT32_MIN},
        {"$FFFFFFFF", -1},
        {"0xFFFFFFFF", -1},
        {"$80000000", INT32_MIN},
        {"$7FFFFFFF", INT32_MAX},
        {"$000000010", 16}, // leading zeros add no value
        {"7 ", 99},
        {"\t7", 99},
        {"", 99},
        {"$", 99},
        {"0x", 99},
        {"x", 99},
        {"-", 99},
        {" ", 99},
        {"+-5", 99},
        {"- 5", 99},
        {"2147483648", 99},
        {"-2147483649", 99},
        {"99999999999999999999", 99},
        {"$100000000", 99},
        {"$-1", 99},
        {"1e3", 99},
        {"12abc", 99},
        {"0x1g", 99},
        {"１２", 99}, // full-width digits are no digits
    };
    TExtIniFile store(program_);
    store.SetAutoUpdate(false);
    for (const Case& c : cases) {
        store.WriteStr("S", "Value", c.text);
        EXPECT_EQ(store.ReadInt("S", "Value", 99), c.expected) << '"' << c.text << '"';
    }
    EXPECT_EQ(store.ReadInt("S", "Absent", 99), 99);
}

TEST_F(ExtIniFileTest, ByteOrderMarkIsSkipped) {
    const std::string file = "\xEF\xBB\xBF[PictureDialog]\r\nSavePicMode=3\r\n[TextSaveDialog]\r\n"
                             "InitialDir=/t\r\n";
    WriteFileBytes(ini_, file);
    {
        TExtIniFile store(program_);
        EXPECT_EQ(store.ReadInt("PictureDialog", "SavePicMode", 1), 3);
        EXPECT_EQ(store.ReadStr("TextSaveDialog", "InitialDir", ""), "/t");
    }
    EXPECT_EQ(ReadFileBytes(ini_),
              "[PictureDialog]\r\nSavePicMode=3\r\n\r\n[TextSaveDialog]\r\nInitialDir=/t\r\n\r\n");
}

TEST_F(ExtIniFileTest, FileHoldingANulByteIsLeftUntouched) {
    const std::string file = "[S]\r\nA=1\r\nB=2\0[T]\r\nC=3\r\n"s;
    WriteFileBytes(ini_, file);
    {
        TExtIniFile store(program_);
        EXPECT_TRUE(store.LoadFailed());
        EXPECT_EQ(store.ReadInt("S", "A", 9), 9);
        store.WriteInt("S", "A", 5);
        store.Update();
    }
    EXPECT_EQ(ReadFileBytes(ini_), file);
}

TEST_F(ExtIniFileTest, OddBytesSurviveTheRoundTrip) {
    struct Case {
        const char* name;
        std::string file;
        std::string written;
    };
    const Case cases[] = {
        {"invalid bytes", "[S\xFF]\r\nk\xFE=\x80\x81\xC0\r\n",
         "[S\xFF]\r\nk\xFE=\x80\x81\xC0\r\n\r\n"},
        {"only brackets", "[]\r\n[\r\n]\r\n[[]]\r\n][\r\n", "[]\r\n\r\n[[]]\r\n][\r\n\r\n"},
        {"control characters", "[S]\r\na=\t\f\x1b\r\n", "[S]\r\na=\t\f\x1b\r\n\r\n"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(RoundTrip(c.file), c.written) << c.name;

    WriteFileBytes(ini_, "[S\xFF]\r\nk\xFE=\x80\x81\r\n[]\r\nx=1\r\n");
    TExtIniFile store(program_);
    store.SetAutoUpdate(false);
    EXPECT_EQ(store.ReadStr("S\xFF", "K\xFE", ""), "\x80\x81");
    EXPECT_EQ(store.ReadStr("]", "x", ""), "1"); // "]" becomes "[]"
}

TEST_F(ExtIniFileTest, FiftyMegabyteLine) {
    std::string big(50u << 20, 'v');
    const std::string file = "[S]\r\nBig=" + big + "\r\nK=1\r\n\r\n";
    WriteFileBytes(ini_, file);
    {
        TExtIniFile store(program_);
        EXPECT_EQ(store.ReadInt("S", "K", 0), 1);
        EXPECT_EQ(store.ReadStr("S", "Big", "").size(), big.size());
    }
    EXPECT_TRUE(ReadFileBytes(ini_) == file) << "the long line did not come back unchanged";
}

TEST_F(ExtIniFileTest, UnreadableFileIsNotOverwritten) {
    // A file far beyond any settings file is not read; what it holds stays.
    const std::string head = "[PictureDialog]\r\nSavePicMode=3\r\n";
    WriteFileBytes(ini_, head);
    ASSERT_EQ(::truncate(ini_.c_str(), off_t(300) << 20), 0); // sparse
    {
        TExtIniFile store(program_);
        EXPECT_TRUE(store.LoadFailed());
        EXPECT_EQ(store.ReadInt("PictureDialog", "SavePicMode", 1), 1);
        store.WriteInt("PictureDialog", "SavePicMode", 4);
        store.Update();
    }
    EXPECT_EQ(fs::file_size(ini_), std::uintmax_t(300) << 20);
    std::ifstream in(ini_, std::ios::binary);
    std::string start(head.size(), '\0');
    in.read(start.data(), static_cast<std::streamsize>(start.size()));
    EXPECT_EQ(start, head);
}

TEST_F(ExtIniFileTest, NoRegularFileAtThePath) {
    // A folder or a FIFO where the file should be: no hang, no crash, and
    // nothing is put in its place.
    ASSERT_EQ(::mkfifo(ini_.c_str(), 0600), 0);
    {
        TExtIniFile store(program_);
        EXPECT_TRUE(store.LoadFailed());
        EXPECT_EQ(store.ReadInt("PictureDialog", "SavePicMode", 1), 1);
    }
    EXPECT_TRUE(fs::is_fifo(ini_));
    fs::remove(ini_);
    fs::create_directory(ini_);
    {
        TExtIniFile store(program_);
        EXPECT_TRUE(store.LoadFailed());
        store.WriteStr("S", "K", "v");
    }
    EXPECT_TRUE(fs::is_directory(ini_));
}

TEST_F(ExtIniFileTest, SaveAppliesThisRunsWritesToWhatTheFileHoldsNow) {
    WriteFileBytes(ini_, "[PictureDialog]\r\nSavePicMode=1\r\nInitialDir=/a\r\n\r\n"
                         "[TextSaveDialog]\r\nInitialDir=/t\r\nGone=1\r\n\r\n");
    {
        TExtIniFile store(program_);
        store.WriteInt("PictureDialog", "SavePicMode", 4);
        store.WriteInt("PictureDialog", "SavePicMode", 3); // in order: the last write wins
        store.WriteStr("PictureDialog", "InitialDir", "/mine");
        store.WriteStr("TextSaveDialog", "Gone", ""); // kept as present and empty
        // Another copy saves meanwhile: changed values, a key and a section
        // of its own, and our header spelt in other case.
        WriteFileBytes(ini_,
                       "[picturedialog]\r\nsavepicmode=2\r\nInitialDir=/other\r\nExtra=x\r\n\r\n"
                       "[TextSaveDialog]\r\nInitialDir=/other-t\r\nGone=1\r\n\r\n"
                       "[FilePathSaveDialog]\r\nInitialDir=/f\r\n\r\n");
        store.Update();
        // Memory now holds the merged settings too.
        EXPECT_EQ(store.ReadStr("FilePathSaveDialog", "InitialDir", ""), "/f");
        EXPECT_EQ(store.ReadStr("TextSaveDialog", "InitialDir", ""), "/other-t");
    }
    const std::string merged =
        "[picturedialog]\r\nSavePicMode=3\r\nInitialDir=/mine\r\nExtra=x\r\n\r\n"
        "[TextSaveDialog]\r\nInitialDir=/other-t\r\nGone=\r\n\r\n"
        "[FilePathSaveDialog]\r\nInitialDir=/f\r\n\r\n";
    EXPECT_EQ(ReadFileBytes(ini_), merged);

    // Writes already saved are not replayed over a later change by another copy.
    {
        TExtIniFile store(program_);
        store.SetUpdateAtOnce(true);
        store.WriteStr("S", "K", "mine");
        WriteFileBytes(ini_, "[S]\r\nK=theirs\r\n");
    }
    EXPECT_EQ(ReadFileBytes(ini_), "[S]\r\nK=theirs\r\n"); // nothing written at the end
}

TEST_F(ExtIniFileTest, TwoStoresEndingInEitherOrderKeepBothWrites) {
    for (const bool textEndsFirst : {true, false}) {
        SCOPED_TRACE(textEndsFirst ? "text first" : "picture first");
        WriteFileBytes(ini_, "[TextSaveDialog]\r\nInitialDir=/old\r\n\r\n");
        auto text = std::make_unique<TExtIniFile>(program_);
        auto picture = std::make_unique<TExtIniFile>(program_);
        text->WriteStr("TextSaveDialog", "InitialDir", "/texts");
        picture->WriteInt("PictureDialog", "SavePicMode", 2);
        picture->WriteStr("PictureDialog", "InitialDir", "/pictures");
        if (textEndsFirst) {
            text.reset();
            picture.reset();
        } else {
            picture.reset();
            text.reset();
        }
        TExtIniFile after(program_);
        after.SetAutoUpdate(false);
        EXPECT_EQ(after.ReadStr("TextSaveDialog", "InitialDir", ""), "/texts");
        EXPECT_EQ(after.ReadInt("PictureDialog", "SavePicMode", 1), 2);
        EXPECT_EQ(after.ReadStr("PictureDialog", "InitialDir", ""), "/pictures");
    }
}

TEST_F(ExtIniFileTest, SaveWaitsForAnotherCopysSave) {
    // A child takes the lock, writes its own key a moment later and ends;
    // a save that read the file without waiting would lose that key.
    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    TExtIniFile store(program_);
    store.WriteStr("Mine", "K", "1");
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        const int lock = ::open((ini_ + ".lock").c_str(), O_RDWR | O_CREAT, 0666);
        if (lock < 0 || ::flock(lock, LOCK_EX) != 0)
            ::_exit(1);
        if (::write(ready[1], "x", 1) != 1)
            ::_exit(1);
        ::usleep(300000);
        WriteFileBytes(ini_, "[Theirs]\r\nK=2\r\n");
        ::_exit(0);
    }
    char byte;
    ASSERT_EQ(::read(ready[0], &byte, 1), 1);
    store.Update();
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_EQ(status, 0);
    EXPECT_EQ(ReadFileBytes(ini_), "[Theirs]\r\nK=2\r\n\r\n[Mine]\r\nK=1\r\n\r\n");
    ::close(ready[0]);
    ::close(ready[1]);
}

// A folder this process cannot write: mode 0555 for an ordinary user, a
// read-only tmpfs for root, who may write any folder of a writable one.
class ReadOnlyFolder {
public:
    explicit ReadOnlyFolder(const std::string& path) : path_(path) {
        fs::create_directory(path_);
        if (::geteuid() == 0)
            mounted_ = ::mount("tmpfs", path_.c_str(), "tmpfs", 0, "size=1m") == 0;
        SetWritable(false);
    }
    ~ReadOnlyFolder() {
        SetWritable(true);
        if (mounted_)
            ::umount(path_.c_str());
    }
    bool Works() const { return ::access(path_.c_str(), W_OK) != 0; }
    void SetWritable(bool writable) {
        if (mounted_)
            ::mount(nullptr, path_.c_str(), nullptr, MS_REMOUNT | (writable ? 0 : MS_RDONLY),
                    "size=1m");
        else
            ::chmod(path_.c_str(), writable ? 0755 : 0555);
    }

private:
    std::string path_;
    bool mounted_ = false;
};

TEST_F(ExtIniFileTest, ProgramFolderThatCannotBeWrittenKeepsTheFileInTheConfigFolder) {
    const std::string programDir = dir_ + "/bin";
    ReadOnlyFolder folder(programDir);
    if (!folder.Works())
        GTEST_SKIP() << "no folder this process cannot write (root without mount rights)";
    const std::string config = dir_ + "/config";
    const char* old = std::getenv("XDG_CONFIG_HOME");
    const std::string saved = old ? old : "";
    ::setenv("XDG_CONFIG_HOME", config.c_str(), 1);
    {
        TExtIniFile store(programDir + "/sorvak");
        EXPECT_EQ(store.GetIniPath(), config + "/sorvak/sorvak.ini");
        EXPECT_EQ(store.DefaultFolder(), dfApplication);
        EXPECT_FALSE(fs::exists(config)); // made only when saving
        store.WriteStr("S", "K", "v");
    }
    EXPECT_EQ(ReadFileBytes(config + "/sorvak/sorvak.ini"), "[S]\r\nK=v\r\n\r\n");
    {
        TExtIniFile store(programDir + "/sorvak");
        store.SetAutoUpdate(false);
        EXPECT_EQ(store.ReadStr("S", "K", ""), "v");
    }
    // A file beside the program wins, even where it cannot be rewritten.
    folder.SetWritable(true);
    WriteFileBytes(programDir + "/sorvak.ini", "[S]\r\nK=beside\r\n");
    folder.SetWritable(false);
    {
        TExtIniFile store(programDir + "/sorvak");
        EXPECT_EQ(store.GetIniPath(), programDir + "/sorvak.ini");
        EXPECT_EQ(store.ReadStr("S", "K", ""), "beside");
        store.WriteStr("S", "K", "lost"); // the write fails silently
    }
    EXPECT_EQ(ReadFileBytes(programDir + "/sorvak.ini"), "[S]\r\nK=beside\r\n");
    if (old != nullptr)
        ::setenv("XDG_CONFIG_HOME", saved.c_str(), 1);
    else
        ::unsetenv("XDG_CONFIG_HOME");
}

TEST_F(ExtIniFileTest, UpdateAtOnceAndAutoUpdate) {
    int updates = 0;
    {
        TExtIniFile store(program_);
        store.OnUpdate = [&](TExtIniFile& sender) {
            EXPECT_EQ(&sender, &store);
            ++updates;
        };
        store.SetUpdateAtOnce(true); // writes at once
        EXPECT_EQ(updates, 1);
        EXPECT_TRUE(fs::exists(ini_));
        store.WriteStr("S", "K", "v");
        EXPECT_EQ(updates, 2);
        EXPECT_EQ(ReadFileBytes(ini_), "[S]\r\nK=v\r\n\r\n");
    }
    EXPECT_EQ(updates, 2); // not again at the end

    {
        TExtIniFile store(program_);
        store.SetAutoUpdate(false);
        store.WriteStr("S", "K", "changed");
    }
    EXPECT_EQ(ReadFileBytes(ini_), "[S]\r\nK=v\r\n\r\n");
}

TEST_F(ExtIniFileTest, SwitchingFileSavesTheOldAndLoadsTheNew) {
    WriteFileBytes(dir_ + "/other.ini", "[O]\r\nk=other\r\n");
    int loads = 0;
    {
        TExtIniFile store(program_);
        store.OnLoad = [&](TExtIniFile&) { ++loads; };
        store.WriteStr("S", "K", "v");
        store.SetFileName("other.ini");
        EXPECT_EQ(loads, 1);
        EXPECT_EQ(ReadFileBytes(ini_), "[S]\r\nK=v\r\n\r\n");
        EXPECT_EQ(store.ReadStr("O", "k", ""), "other");
        EXPECT_EQ(store.ReadStr("S", "K", ""), "");
        store.SetFileName("missing.ini"); // an empty-if-loaded store saves only when not empty
        EXPECT_EQ(loads, 1);              // nothing read, no OnLoad
        store.SetFileName("");
        EXPECT_EQ(store.IniFileName(), "sorvak.ini");
        EXPECT_EQ(loads, 2);
        EXPECT_EQ(store.ReadStr("S", "K", ""), "v");
    }
    EXPECT_FALSE(fs::exists(dir_ + "/missing.ini"));
}

TEST_F(ExtIniFileTest, DefaultFolders) {
    const std::string config = dir_ + "/config";
    const char* old = std::getenv("XDG_CONFIG_HOME");
    const std::string saved = old ? old : "";
    ::setenv("XDG_CONFIG_HOME", config.c_str(), 1);
    {
        TExtIniFile store(program_);
        store.SetDefaultFolder(dfAppData);
        EXPECT_EQ(store.DefaultFolder(), dfAppData);
        EXPECT_EQ(store.FolderPath(), config + "/sorvak/");
        EXPECT_TRUE(fs::is_directory(config + "/sorvak")); // made with its parents
        store.WriteStr("S", "K", "v");
    }
    EXPECT_EQ(ReadFileBytes(config + "/sorvak/sorvak.ini"), "[S]\r\nK=v\r\n\r\n");
    ::setenv("XDG_CONFIG_HOME", "relative/path", 1); // invalid: the home folder's .config
    const char* home = std::getenv("HOME");
    if (home != nullptr && home[0] == '/') {
        TExtIniFile store(program_);
        store.SetAutoUpdate(false);
        EXPECT_EQ(store.GetFolderPath(dfAppData), std::string(home) +
                                                      (std::string(home).back() == '/' ? "" : "/") +
                                                      ".config/sorvak/");
    }
    if (old != nullptr)
        ::setenv("XDG_CONFIG_HOME", saved.c_str(), 1);
    else
        ::unsetenv("XDG_CONFIG_HOME");

    const std::string before = fs::current_path().string();
    ASSERT_EQ(::chdir(dir_.c_str()), 0);
    {
        TExtIniFile store(program_);
        store.SetAutoUpdate(false);
        store.SetDefaultFolder(dfUser);
        store.SetFileName("here.ini");
        EXPECT_EQ(store.GetIniPath(), "here.ini");
        store.WriteStr("S", "K", "v");
        store.Update();
    }
    ASSERT_EQ(::chdir(before.c_str()), 0);
    EXPECT_EQ(ReadFileBytes(dir_ + "/here.ini"), "[S]\r\nK=v\r\n\r\n");
}

TEST_F(ExtIniFileTest, HandlerFailuresStaySilent) {
    WriteFileBytes(ini_, "[S]\r\nK=v\r\n");
    {
        TExtIniFile store(program_);
        store.OnLoad = [](TExtIniFile&) { throw std::runtime_error("load handler"); };
        store.OnUpdate = [](TExtIniFile&) { throw std::runtime_error("update handler"); };
        EXPECT_NO_THROW(store.Load());
        EXPECT_EQ(store.ReadStr("S", "K", ""), "v"); // what was read stays
        EXPECT_THROW(store.Update(), std::runtime_error);
        store.WriteStr("S", "K", "w");
    } // the destructor's Update must not let the handler's failure out
    EXPECT_EQ(ReadFileBytes(ini_), "[S]\r\nK=w\r\n\r\n");
}

TEST_F(ExtIniFileTest, FolderNameTheLocaleCannotHoldIsKept) {
    // The program's folder is file-system bytes (UTF-8); a single-byte
    // locale cannot hold its name, so converting it would lose it.
    test::ScopedLocale latin("en_US.ISO-8859-1");
    if (!latin.Usable())
        GTEST_SKIP() << "the locale en_US.ISO-8859-1 is not installed";
    const std::string folder = dir_ + "/\xE5\x86\x99"; // 写
    fs::create_directory(folder);
    {
        TExtIniFile store(folder + "/sorvak");
        store.WriteStr("S", "K", "v");
    }
    EXPECT_EQ(ReadFileBytes(folder + "/sorvak.ini"), "[S]\r\nK=v\r\n\r\n");
    EXPECT_EQ(TExtIniFile(folder + "/sorvak").ReadStr("S", "K", ""), "v");
}

TEST_F(ExtIniFileTest, FailedWritesAreSilent) {
    TExtIniFile store(program_);
    store.SetFileName("no-such-folder/x.ini");
    store.WriteStr("S", "K", "v");
    EXPECT_NO_THROW(store.Update());
    EXPECT_NO_THROW(store.SetUpdateAtOnce(true));
    EXPECT_FALSE(fs::exists(dir_ + "/no-such-folder"));
}

} // namespace
} // namespace sorvak
