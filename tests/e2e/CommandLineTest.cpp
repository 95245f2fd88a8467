// The command line as scripts use it: the real program on a private X
// server, its exit status, its one line on standard error, and what it wrote
// read back by ImageMagick.
#include "base/CodePage.h"
#include "tests/e2e/Session.h"
#include "tests/support/Locales.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <thread>

using namespace sorvak::e2e;
namespace fs = std::filesystem;
using namespace std::chrono_literals;

namespace {

struct Outcome {
    int status;
    std::string out, err;
};

// The program copy with these arguments; stderr through a file, as RunCommand
// reads standard output only. redirect: more of the shell's redirections
// (">/dev/full"); a program that hangs is killed after a few seconds.
Outcome RunProgram(Session& session, const std::vector<std::string>& arguments,
                   std::map<std::string, std::string> environment = {},
                   const std::string& redirect = {}) {
    const fs::path err = session.WorkDir().parent_path() / "stderr";
    std::vector<std::string> argv{
        "sh", "-c", "exec timeout -s KILL 5 \"$0\" \"$@\" 2>\"$SORVAK_STDERR\" " + redirect,
        (session.ProgramDir() / "sorvak").string()};
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    std::map<std::string, std::string> env = session.Environment();
    env["SORVAK_STDERR"] = err.string();
    for (const auto& [key, value] : environment)
        env[key] = value;
    RunResult result = RunCommand(argv, env, 30s);
    Outcome run{result.ExitCode, result.Output, ReadFileBytes(err)};
    fs::remove(err);
    return run;
}

std::string Identify(Session& session, const fs::path& file) {
    return RunCommand({"identify", "-format", "%m %wx%h", file.string()}, session.Environment(),
                      20s)
        .Output;
}

std::string DecodeRgb(Session& session, const fs::path& file) {
    return RunCommand({"convert", file.string(), "-depth", "8", "rgb:-"}, session.Environment(),
                      20s)
        .Output;
}

// A width x height picture with a gradient, as PNG, made by ImageMagick.
std::string Png(Session& session, int width, int height) {
    const fs::path file = session.WorkDir().parent_path() / "source.png";
    const std::string size = std::to_string(width) + "x" + std::to_string(height);
    RunCommand({"convert", "-size", size, "gradient:red-blue", "-depth", "8", file.string()},
               session.Environment(), 20s);
    std::string bytes = ReadFileBytes(file);
    fs::remove(file);
    return bytes;
}

const std::string ProposedName = "Image\xEF\xBC\x88"
                                 "7\xC3\x97"
                                 "5\xEF\xBC\x89";

} // namespace

TEST(CommandLineRun, AnswersWithoutADisplay) {
    Session session;
    const std::map<std::string, std::string> noDisplay{{"DISPLAY", ""}};
    struct Case {
        std::vector<std::string> arguments;
        int status;
        std::string outStart, err;
    } cases[] = {
        {{"--help"}, 0, "使い方: sorvak [オプション]\n", ""},
        {{"--version"}, 0, "sorvak 0.1\n", ""},
        {{"--bogus", "--help"}, 0, "使い方: sorvak [オプション]\n", ""},
        {{"--bogus", "--quiet"}, 2, "", ""},
        {{"--bogus"}, 2, "", "sorvak: 不明なオプションです: --bogus（--help を参照）\n"},
        {{"-o"}, 2, "", "sorvak: -o には値が必要です\n"},
        {{"-o", "x", "--format", "tiff"},
         2,
         "",
         "sorvak: 不明な画像形式です: tiff（bmp, png, jpg, jpeg, gif のいずれか）\n"},
        {{"--folder", "/nonexistent/folder"},
         2,
         "",
         "sorvak: フォルダーではありません: /nonexistent/folder\n"},
        {{"--folder", "/etc/hostname"}, 2, "", "sorvak: フォルダーではありません: /etc/hostname\n"},
        {{"-o", "x.png"}, 1, "", "sorvak: X11 ディスプレイを開けません (DISPLAY=)\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.arguments.front());
        const Outcome run = RunProgram(session, c.arguments, noDisplay);
        EXPECT_EQ(run.status, c.status);
        EXPECT_EQ(run.out.substr(0, c.outStart.size()), c.outStart);
        if (c.outStart.empty()) {
            EXPECT_EQ(run.out, "");
        }
        EXPECT_EQ(run.err, c.err);
    }
    EXPECT_TRUE(fs::is_empty(session.WorkDir()));
    EXPECT_FALSE(fs::exists(session.SettingsPath()));
}

TEST(CommandLineRun, SpeaksTheSessionLanguage) {
    if (!sorvak::test::LocaleLoads("en_US.UTF-8"))
        GTEST_SKIP() << "the locale en_US.UTF-8 is not installed";
    Session session;
    const std::map<std::string, std::string> english{
        {"DISPLAY", ""}, {"LC_ALL", "en_US.UTF-8"}, {"LANG", "en_US.UTF-8"}, {"LANGUAGE", ""}};
    const Outcome help = RunProgram(session, {"--help"}, english);
    EXPECT_EQ(help.status, 0);
    EXPECT_EQ(help.out.substr(0, 26), "Usage: sorvak [OPTION]...\n");
    const Outcome bogus = RunProgram(session, {"--bogus"}, english);
    EXPECT_EQ(bogus.status, 2);
    EXPECT_EQ(bogus.err, "sorvak: unknown option: --bogus (see --help)\n");
    const Outcome noDisplay = RunProgram(session, {"-o", "x.png"}, english);
    EXPECT_EQ(noDisplay.status, 1);
    EXPECT_EQ(noDisplay.err, "sorvak: cannot open the X11 display (DISPLAY=)\n");

    // A Shift_JIS terminal reads the texts in Shift_JIS; the folder name
    // typed there comes back as it was given.
    if (!sorvak::test::LocaleLoads("ja_JP.SJIS"))
        GTEST_SKIP() << "the locale ja_JP.SJIS is not installed";
    const std::map<std::string, std::string> shiftJis{
        {"DISPLAY", ""}, {"LC_ALL", "ja_JP.SJIS"}, {"LANG", "ja_JP.SJIS"}, {"LANGUAGE", ""}};
    using sorvak::codepage::FromUtf8;
    using sorvak::codepage::ShiftJis;
    const std::string folder = "/nonexistent/" + FromUtf8("\xE5\x86\x99\xE7\x9C\x9F", ShiftJis);
    const Outcome notAFolder = RunProgram(session, {"--folder", folder}, shiftJis);
    EXPECT_EQ(notAFolder.status, 2);
    EXPECT_EQ(notAFolder.err,
              FromUtf8("sorvak: \xE3\x83\x95\xE3\x82\xA9\xE3\x83\xAB\xE3\x83\x80\xE3\x83\xBC"
                       "\xE3\x81\xA7\xE3\x81\xAF\xE3\x81\x82\xE3\x82\x8A\xE3\x81\xBE\xE3\x81\x9B"
                       "\xE3\x82\x93: ",
                       ShiftJis) +
                  folder + "\n");
}

TEST(CommandLineRun, OutputWritesEachPictureFormat) {
    Session session;
    const std::string png = Png(session, 7, 5);
    ASSERT_FALSE(png.empty());
    session.OwnClipboard({{"image/png", png}});
    const fs::path original = session.WorkDir().parent_path() / "original.png";
    WriteFileBytes(original, png);
    const std::string source = DecodeRgb(session, original);
    ASSERT_EQ(source.size(), 7u * 5 * 3);
    struct Case {
        std::string name;
        std::vector<std::string> extra;
        std::string magick;
        bool exact;
    } cases[] = {
        {"a.png", {}, "PNG", true},       {"b.BMP", {}, "BMP3", true},
        {"c.jpg", {}, "JPEG", false},     {"d.jpeg", {}, "JPEG", false},
        {"e.gif", {}, "GIF", false},      {"f.png", {"--format", "bmp"}, "BMP3", true},
        {"noextension", {}, "PNG", true}, // the remembered format
    };
    WriteFileBytes(session.SettingsPath(), "[PictureDialog]\r\nSavePicMode=3\r\n");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const fs::path target = session.WorkDir() / c.name;
        std::vector<std::string> arguments{"-o", target.string()};
        arguments.insert(arguments.end(), c.extra.begin(), c.extra.end());
        const Outcome run = RunProgram(session, arguments);
        ASSERT_EQ(run.status, 0) << run.err;
        EXPECT_EQ(run.err, "");
        EXPECT_EQ(Identify(session, target), c.magick + " 7x5");
        if (c.exact) {
            EXPECT_EQ(DecodeRgb(session, target), source);
        }
    }
    // Nothing remembered.
    EXPECT_EQ(ReadFileBytes(session.SettingsPath()), "[PictureDialog]\r\nSavePicMode=3\r\n");

    // Into a folder: the proposed name, then a free one beside it.
    const fs::path folder = session.WorkDir() / "shots";
    fs::create_directories(folder);
    for (int i = 0; i < 2; ++i)
        ASSERT_EQ(RunProgram(session, {"--output", folder.string()}).status, 0);
    EXPECT_EQ(Identify(session, folder / (ProposedName + ".png")), "PNG 7x5");
    EXPECT_EQ(Identify(session, folder / (ProposedName + " (2).png")), "PNG 7x5");

    // Standard output into a pipe.
    const Outcome piped = RunProgram(session, {"-o", "-", "--format", "gif"});
    ASSERT_EQ(piped.status, 0);
    const fs::path fromPipe = session.WorkDir().parent_path() / "piped.gif";
    WriteFileBytes(fromPipe, piped.out);
    EXPECT_EQ(Identify(session, fromPipe), "GIF 7x5");
}

TEST(CommandLineRun, OutputWritesTextAndFileListsAndReportsWhatIsMissing) {
    Session session;
    session.OwnClipboard({{"text", "日本語\nb"}});
    const fs::path text = session.WorkDir() / "t.txt";
    Outcome run = RunProgram(session, {"-o", text.string()});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(ReadFileBytes(text), "日本語\r\nb\r\n");
    run = RunProgram(session, {"-o", "-"});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, "日本語\r\nb\r\n");
    // Text on the clipboard, a picture asked for.
    run = RunProgram(session, {"-o", (session.WorkDir() / "shot.png").string()});
    EXPECT_EQ(run.status, 3);
    EXPECT_EQ(run.err, "sorvak: クリップボードに画像がありません\n");
    EXPECT_FALSE(fs::exists(session.WorkDir() / "shot.png"));

    session.OwnClipboard({{"x-special/gnome-copied-files", "copy\nfile:///home/u/a%20b.txt\n"
                                                           "file:///tmp/%E5%86%99.png"},
                          {"text", "/home/u/a b.txt\n/tmp/写.png"}});
    run = RunProgram(session, {"-o", "-"});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, "/home/u/a b.txt\r\n/tmp/写.png\r\n");

    session.DropClipboard();
    run = RunProgram(session, {"-o", (session.WorkDir() / "none.txt").string()});
    EXPECT_EQ(run.status, 3);
    EXPECT_EQ(run.err, "sorvak: クリップボードが空か未サポートのフォーマットです。\n");

    // A write that fails: the folder does not exist.
    session.OwnClipboard({{"text", "x"}});
    run = RunProgram(session, {"-o", (session.WorkDir() / "no/such.txt").string()});
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(run.err.starts_with("sorvak: ")) << run.err;
    EXPECT_EQ(run.err.find('\n'), run.err.size() - 1) << run.err;
}

TEST(CommandLineRun, OwnerThatRefusesToListItsOffersIsAClipboardFailure) {
    Session session;
    const fs::path offer = session.WorkDir().parent_path() / "offer.txt";
    WriteFileBytes(offer, "never listed");
    Process::Options options;
    options.Environment = session.Environment();
    options.CaptureStdout = true;
    Process owner({(fs::path(SORVAK_BINARY_DIR) / "tests" / "e2e" / "sorvak-slowowner").string(),
                   "--refuse-targets", "UTF8_STRING", offer.string()},
                  options);
    ASSERT_TRUE(owner.WaitForLine("ready", 20s));
    const fs::path text = session.WorkDir() / "t.txt";
    const Outcome run = RunProgram(session, {"-o", text.string()});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, "sorvak: クリップボードを開くことができません\n");
    EXPECT_FALSE(fs::exists(text));
}

TEST(CommandLineRun, ReaderThatGoesAwayEndsTheProgramAsItEndsCat) {
    Session session;
    // Larger than a pipe's buffer, so the write meets the closed pipe.
    session.OwnClipboard({{"image/png", Png(session, 300, 300)}});
    std::map<std::string, std::string> env = session.Environment();
    const RunResult result = RunCommand({"bash", "-c",
                                         "\"$0\" -o - --format bmp 2>\"$1\" | head -c 100 | wc -c; "
                                         "echo ${PIPESTATUS[0]}",
                                         (session.ProgramDir() / "sorvak").string(),
                                         (session.WorkDir().parent_path() / "stderr").string()},
                                        env, 30s);
    EXPECT_EQ(result.Output, "100\n" + std::to_string(128 + SIGPIPE) + "\n");
    EXPECT_EQ(ReadFileBytes(session.WorkDir().parent_path() / "stderr"), "");
}

// Each failure in each language: the session's language and character set,
// the system's text for errno and what failed. The program is killed after
// a few seconds, so a hang shows as status 137.
TEST(CommandLineRun, FailuresNameTheirCauseInTheSessionsLanguageAndCharacterSet) {
    using sorvak::codepage::FromUtf8;
    Session session;
    const std::string png = Png(session, 7, 5);
    const struct Language {
        const char* locale;
        bool japanese;
        int codePage;
    } languages[] = {{"en_US.UTF-8", false, sorvak::codepage::Utf8},
                     {"fr_FR.UTF-8", false, sorvak::codepage::Utf8},
                     {"ja_JP.UTF-8", true, sorvak::codepage::Utf8},
                     {"ja_JP.SJIS", true, sorvak::codepage::ShiftJis}};
    for (const Language& language : languages) {
        SCOPED_TRACE(language.locale);
        std::string enoent, enospc, ebadf; // in the locale's character set
        {
            sorvak::test::ScopedLocale scoped(language.locale);
            if (!scoped.Usable()) {
                ADD_FAILURE() << "locale not installed (scripts/deps.sh test)";
                continue;
            }
            enoent = std::strerror(ENOENT);
            enospc = std::strerror(ENOSPC);
            ebadf = std::strerror(EBADF);
        }
        const std::map<std::string, std::string> env{
            {"LC_ALL", language.locale}, {"LANG", language.locale}, {"LANGUAGE", ""}};
        const auto local = [&](const std::string& utf8) {
            return FromUtf8(utf8, language.codePage);
        };
        const std::string standardOutput = language.japanese
                                               ? local("sorvak: 標準出力 に書き込めません: ")
                                               : "sorvak: cannot write to standard output: ";
        const struct Case {
            std::vector<std::string> arguments;
            std::string redirect, err;
        } cases[] = {
            {{"-o", "/nonexistent/x.png"},
             "",
             language.japanese ? local("sorvak: ファイル \"/nonexistent/x.png\". ") + enoent +
                                     local(" を作成できません")
                               : "sorvak: Cannot create file \"/nonexistent/x.png\". " + enoent},
            {{"-o", "-", "--format", "png"}, ">/dev/full", standardOutput + enospc},
            {{"-o", "-", "--format", "png"}, ">&-", standardOutput + ebadf},
        };
        session.OwnClipboard({{"image/png", png}});
        for (const Case& c : cases) {
            SCOPED_TRACE(c.arguments.front() + " " + c.arguments[1] + c.redirect);
            const Outcome run = RunProgram(session, c.arguments, env, c.redirect);
            EXPECT_EQ(run.status, 1);
            EXPECT_EQ(run.err, c.err + "\n");
        }
        // A clipboard whose owner does not answer.
        session.StopOwner();
        const Outcome hung = RunProgram(session, {"-o", "-"}, env);
        session.ContinueOwner();
        EXPECT_EQ(hung.status, 1);
        EXPECT_EQ(hung.err, language.japanese
                                ? local("sorvak: クリップボードを開くことができません\n")
                                : "sorvak: Cannot open the clipboard\n");
    }
    EXPECT_TRUE(fs::is_empty(session.WorkDir()));
}

TEST(CommandLineRun, FolderUnderShiftJisTakesTheUtf8NameAndSaysIt) {
    if (!sorvak::test::LocaleLoads("ja_JP.SJIS"))
        GTEST_SKIP() << "the locale ja_JP.SJIS is not installed";
    Session session;
    session.OwnClipboard({{"image/png", Png(session, 7, 5)}});
    const fs::path folder = session.WorkDir() / "shots";
    fs::create_directories(folder);
    const Outcome run =
        RunProgram(session, {"-o", folder.string(), "--format", "png"},
                   {{"LC_ALL", "ja_JP.SJIS"}, {"LANG", "ja_JP.SJIS"}, {"LANGUAGE", ""}});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, (folder / (ProposedName + ".png")).string() + "\n");
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    EXPECT_EQ(names, std::vector<std::string>{ProposedName + ".png"});
    EXPECT_EQ(Identify(session, folder / (ProposedName + ".png")), "PNG 7x5");
}

TEST(CommandLineRun, NoClobberKeepsTheFileAndQuietDropsTheLine) {
    Session session;
    session.OwnClipboard({{"text", "new"}});
    const fs::path kept = session.WorkDir() / "kept.txt";
    WriteFileBytes(kept, "old\n");
    const Outcome refused = RunProgram(session, {"-n", "-o", kept.string()});
    EXPECT_EQ(refused.status, 1);
    EXPECT_NE(refused.err.find(kept.string()), std::string::npos) << refused.err;
    const Outcome quiet = RunProgram(session, {"--no-clobber", "--quiet", "-o", kept.string()});
    EXPECT_EQ(quiet.status, 1);
    EXPECT_EQ(quiet.err, "");
    EXPECT_EQ(ReadFileBytes(kept), "old\n");
    std::vector<fs::path> entries(fs::directory_iterator(session.WorkDir()), {});
    EXPECT_EQ(entries, std::vector<fs::path>{kept});
}

TEST(CommandLineRun, SignalDuringAFolderSaveLeavesTheFolderAsItWas) {
    Session session;
    // Large enough that the GIF's colour reduction takes a while.
    session.OwnClipboard({{"image/png", Png(session, 3000, 2000)}});
    const fs::path folder = session.WorkDir() / "shots";
    fs::create_directories(folder);
    WriteFileBytes(folder / "other.txt", "x");
    for (const int signal : {SIGTERM, SIGINT, SIGHUP}) {
        SCOPED_TRACE(signal);
        Process::Options options;
        options.Environment = session.Environment();
        Process program(
            {(session.ProgramDir() / "sorvak").string(), "-o", folder.string(), "--format", "gif"},
            options);
        // The reserved name shows first; the picture is then made in memory
        // (the GIF's colour reduction takes a while) before it is written
        // beside it. The signal comes while the name is only reserved.
        const auto deadline = std::chrono::steady_clock::now() + 20s;
        bool reserved = false;
        while (!reserved && std::chrono::steady_clock::now() < deadline && program.Running()) {
            for (const auto& entry : fs::directory_iterator(folder))
                reserved = reserved || entry.path().filename().string().starts_with("Image");
            if (!reserved)
                std::this_thread::sleep_for(1ms);
        }
        ASSERT_TRUE(reserved) << "the program ended before it reserved a name";
        ::kill(program.Pid(), signal);
        EXPECT_EQ(program.Wait(10s), 128 + signal);
        std::vector<fs::path> entries(fs::directory_iterator(folder), {});
        EXPECT_EQ(entries, std::vector<fs::path>{folder / "other.txt"});
    }
}

TEST(CommandLineRun, OwnersPictureGoesOutUnchangedInItsOwnFormat) {
    Session session;
    // A PNG with alpha and a text chunk: a conversion would lose both.
    const fs::path made = session.WorkDir().parent_path() / "alpha.png";
    RunCommand({"convert", "-size", "9x6", "gradient:#ff000080-#0000ffff", "-set", "comment",
                "kept", made.string()},
               session.Environment(), 20s);
    const std::string png = ReadFileBytes(made);
    ASSERT_FALSE(png.empty());
    session.OwnClipboard({{"image/png", png}});
    const Outcome listed = RunProgram(session, {"--list-types"});
    EXPECT_EQ(listed.status, 0) << listed.err;
    EXPECT_EQ(listed.out, "image/png\n");

    const fs::path same = session.WorkDir() / "same.png";
    ASSERT_EQ(RunProgram(session, {"-o", same.string()}).status, 0);
    EXPECT_EQ(
        RunCommand({"cmp", made.string(), same.string()}, session.Environment(), 20s).ExitCode, 0);
    // ImageMagick 6 says "True", 7 "Blend".
    const std::string alpha =
        RunCommand({"identify", "-format", "%A", same.string()}, session.Environment(), 20s).Output;
    EXPECT_TRUE(alpha == "True" || alpha == "Blend") << alpha;
    EXPECT_EQ(RunProgram(session, {"-o", "-", "--format", "png"}).out, png);
    // Another format is converted by the program's writers, alpha over white.
    const fs::path converted = session.WorkDir() / "converted.jpg";
    ASSERT_EQ(RunProgram(session, {"-o", converted.string()}).status, 0);
    EXPECT_EQ(Identify(session, converted), "JPEG 9x6");
    session.DropClipboard();
    const Outcome none = RunProgram(session, {"--list-types"});
    EXPECT_EQ(none.status, 3);
    EXPECT_EQ(none.out, "");
}

TEST(CommandLineRun, FolderOpensTheDialogsThere) {
    Session session;
    const fs::path folder = session.WorkDir() / "chosen folder";
    fs::create_directories(folder);
    session.OwnClipboard({{"text", "hello"}});
    session.StartProgram({}, {"--folder", folder.string()});
    ASSERT_FALSE(session.WaitForWindow(TextDialogTitle).empty());
    session.Type("bare.txt");
    session.Key("Return");
    ASSERT_EQ(session.WaitForExit(), 0);
    EXPECT_EQ(ReadFileBytes(folder / "bare.txt"), "hello\r\n");
    // What a save remembers is as without the option.
    EXPECT_EQ(ReadFileBytes(session.SettingsPath()),
              "[TextSaveDialog]\r\nInitialDir=" + folder.string() + "\r\n\r\n");

    session.OwnClipboard({{"image/png", Png(session, 7, 5)}});
    const fs::path pictures = session.WorkDir() / "pictures";
    fs::create_directories(pictures);
    session.StartProgram({}, {"--folder", pictures.string()});
    ASSERT_FALSE(session.WaitForWindow(PictureDialogTitle).empty());
    session.Type("bare");
    session.Key("Return");
    ASSERT_EQ(session.WaitForExit(), 0);
    EXPECT_EQ(Identify(session, pictures / "bare.bmp"), "BMP3 7x5");
}
