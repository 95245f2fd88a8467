// Clipboard managers from the distribution beside the program: one watching
// the clipboard while the program reads it, and one taking the clipboard over
// when the copying program quits. Either way the save holds the content the
// user copied.
#include "tests/e2e/Session.h"

#include <gtest/gtest.h>

#include <functional>
#include <thread>

using namespace sorvak::e2e;
namespace fs = std::filesystem;
using namespace std::chrono_literals;

namespace {

using Clock = std::chrono::steady_clock;

bool Installed(const std::string& program) {
    return RunCommand({"sh", "-c", "command -v \"$0\"", program}, {}, 5s).ExitCode == 0;
}

std::string Lower(std::string text) {
    for (char& c : text)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

bool WaitUntil(const std::function<bool()>& done, std::chrono::milliseconds most) {
    for (const auto end = Clock::now() + most; Clock::now() < end;) {
        if (done())
            return true;
        std::this_thread::sleep_for(100ms);
    }
    return false;
}

std::string CopyQ(Session& session, const std::string& script) {
    return RunCommand({"copyq", "eval", script}, session.Environment(), 10s).Output;
}

// A manager running in a session bus of its own, with its configuration in
// the session's private folders.
struct Manager {
    const char* Name;
    bool KeepsPictures;
    // Nothing, with `why` said, when it cannot run here.
    std::function<std::unique_ptr<Process>(Session&, std::string& why)> Start;
    // Whether its newest item holds these bytes (a picture: any) as this
    // mime type.
    std::function<bool(Session&, const std::string& mimeType, const std::string& bytes)> HasTaken;
};

std::unique_ptr<Process> InBus(Session& session, const std::vector<std::string>& argv) {
    // What the managers print is no part of the test's output.
    std::vector<std::string> command{"sh", "-c", "exec dbus-run-session -- \"$@\" >/dev/null 2>&1",
                                     "sh"};
    command.insert(command.end(), argv.begin(), argv.end());
    Process::Options options;
    options.Environment = session.Environment();
    return std::make_unique<Process>(command, options);
}

std::vector<Manager> Managers() {
    return {
        {"CopyQ", true,
         [](Session& session, std::string& why) -> std::unique_ptr<Process> {
             auto copyq = InBus(session, {"copyq", "--start-server"});
             if (!WaitUntil([&] { return CopyQ(session, "print(monitoring())") == "true"; }, 20s)) {
                 why = "the CopyQ server did not start";
                 return nullptr;
             }
             // Its monitor misses what is copied in its first moments: it is
             // ready once it has taken a copy into its history.
             bool ready = false;
             for (int attempt = 0; attempt < 5 && !ready; ++attempt) {
                 const std::string probe = "ready " + std::to_string(attempt);
                 session.OwnClipboard({{"text", probe}});
                 ready =
                     WaitUntil([&] { return CopyQ(session, "print(str(read(0)))") == probe; }, 5s);
             }
             session.DropClipboard();
             if (!ready) {
                 why = "CopyQ did not take a copy into its history";
                 return nullptr;
             }
             // CopyQ 6.4 has no option to take an orphaned clipboard over;
             // a command of its own does, with the formats of the last item
             // it stored (without its own marks, which would make it take
             // the next owner's content for its own).
             CopyQ(session, "setCommands([{name: 'Keep the clipboard', isScript: true, cmd: '"
                            "var changed = global.onClipboardChanged;"
                            "global.onClipboardChanged = function() {"
                            "  if (isClipboard() && !hasData()) {"
                            "    var item = getItem(0), data = {};"
                            "    for (var f in item)"
                            "      if (f.indexOf(\"application/x-copyq\") != 0) data[f] = item[f];"
                            "    copy(data); return;"
                            "  }"
                            "  changed();"
                            "}'}])");
             return copyq;
         },
         [](Session& session, const std::string& mimeType, const std::string& bytes) {
             // Text as it came; a picture may be stored in another encoding.
             const std::string item = "getItem(0)['" + mimeType + "']";
             if (mimeType.starts_with("image/"))
                 return CopyQ(session, "print(" + item + " !== undefined)") == "true";
             return CopyQ(session, "print(" + item + ")") == bytes;
         }},
        {"Parcellite", false,
         [](Session& session, std::string&) {
             const fs::path config = session.Environment().at("XDG_CONFIG_HOME");
             fs::create_directories(config / "parcellite");
             WriteFileBytes(config / "parcellite" / "parcelliterc",
                            "[rc]\nrestore_empty=true\nuse_copy=true\n");
             return InBus(session, {"parcellite", "-n"});
         },
         [](Session&, const std::string&, const std::string&) {
             // No way to ask it: it looks at the clipboard twice a second.
             std::this_thread::sleep_for(1500ms);
             return true;
         }},
    };
}

std::string DecodeRgb(Session& session, const fs::path& file) {
    return RunCommand({"convert", file.string(), "-depth", "8", "rgb:-"}, session.Environment(),
                      20s)
        .Output;
}

// What a save of the clipboard holds, read back as pixels for a picture.
struct Content {
    const char* Name;
    std::string OwnerType; // as the test owner offers it
    std::string ManagerType;
    std::string Bytes;
    std::string SavedName;
    std::function<std::string(Session&, const fs::path&)> Read;
    std::string Expected;
};

} // namespace

// Not yet dependable: every row passes on its own runs, but one run in two
// fails one row (CopyQ missing a copy made just after it put an item back,
// or `sorvak -o` failing while Parcellite runs); run it with
// --gtest_also_run_disabled_tests until that is understood.
TEST(ClipboardManagers, DISABLED_TheSaveHoldsWhatWasCopiedWhetherTheOwnerStaysOrQuits) {
    Session session;
    const fs::path source = session.WorkDir().parent_path() / "source.png";
    RunCommand({"convert", "-size", "31x17", "gradient:red-blue", "-depth", "8", source.string()},
               session.Environment(), 20s);
    const std::string png = ReadFileBytes(source);
    const std::string sourceRgb = DecodeRgb(session, source);
    ASSERT_EQ(sourceRgb.size(), 31u * 17 * 3);
    const auto bytesOf = [](Session&, const fs::path& file) { return ReadFileBytes(file); };
    const Content contents[] = {
        {"text", "text", "text/plain", "日本語\tand ASCII\nsecond line", "saved.txt", bytesOf,
         "日本語\tand ASCII\r\nsecond line\r\n"},
        {"picture", "image/png", "image/png", png, "saved.png", DecodeRgb, sourceRgb},
    };
    int run = 0;
    for (const Manager& manager : Managers()) {
        SCOPED_TRACE(manager.Name);
        if (!Installed(Lower(manager.Name))) {
            std::printf("%s is not installed: skipped\n", manager.Name);
            continue;
        }
        std::string why;
        const std::unique_ptr<Process> running = manager.Start(session, why);
        if (!running) {
            std::printf("%s cannot run here (%s): skipped\n", manager.Name, why.c_str());
            continue;
        }
        for (const Content& content : contents) {
            if (content.OwnerType == "image/png" && !manager.KeepsPictures)
                continue;
            for (const bool ownerQuits : {false, true}) {
                SCOPED_TRACE(std::string(content.Name) +
                             (ownerQuits ? ", the owner quits" : ", the owner stays"));
                // A manager misses an owner that comes at once after it put
                // an item back itself: the copy is made again, as a user would.
                bool taken = false;
                for (int attempt = 0; attempt < 3 && !taken; ++attempt) {
                    session.OwnClipboard({{content.OwnerType, content.Bytes}});
                    taken = WaitUntil(
                        [&] {
                            return manager.HasTaken(session, content.ManagerType, content.Bytes);
                        },
                        5s);
                }
                ASSERT_TRUE(taken) << "the manager did not take the content into its history";
                if (ownerQuits) {
                    session.DropClipboard();
                    ASSERT_TRUE(WaitUntil(
                        [&] {
                            return !RunCommand(
                                        {"sh", "-c",
                                         "xclip -selection clipboard -o -t TARGETS 2>/dev/null"},
                                        session.Environment(), 5s)
                                        .Output.empty();
                        },
                        20s))
                        << "the manager did not take the clipboard over";
                }
                const fs::path saved =
                    session.WorkDir() / (std::to_string(++run) + content.SavedName);
                const RunResult result =
                    RunCommand({(session.ProgramDir() / "sorvak").string(), "-o", saved.string()},
                               session.Environment(), 60s);
                ASSERT_EQ(result.ExitCode, 0);
                EXPECT_TRUE(content.Read(session, saved) == content.Expected)
                    << "the saved content differs";
                std::printf("%s, %s, the owner %s: saved\n", manager.Name, content.Name,
                            ownerQuits ? "quits" : "stays");
                session.DropClipboard();
            }
        }
    }
}

TEST(ClipboardManagers, TheFileListWindowsCopyOutlivesTheProgramBesideAManager) {
    Session session;
    const std::string paths = "/tmp/a b.txt\n/tmp/写.png";
    for (const Manager& manager : Managers()) {
        SCOPED_TRACE(manager.Name);
        std::string why;
        const std::unique_ptr<Process> running =
            Installed(Lower(manager.Name)) ? manager.Start(session, why) : nullptr;
        if (!running) {
            std::printf("%s cannot run here (%s): skipped\n", manager.Name,
                        why.empty() ? "not installed" : why.c_str());
            continue;
        }
        session.OwnClipboard(
            {{"text/uri-list", "file:///tmp/a%20b.txt\r\nfile:///tmp/%E5%86%99.png\r\n"},
             {"text", paths}});
        session.StartProgram();
        const std::string window = session.WaitForWindow(FileListTitle);
        ASSERT_FALSE(window.empty());
        session.Click(window, FileListCopyX, FileListButtonY);
        session.Click(window, FileListCloseX, FileListButtonY);
        ASSERT_EQ(session.WaitForExit(), 0);
        // The manager has seen the copy and had its chance to put another
        // item back; the next program still pastes the list.
        EXPECT_TRUE(
            WaitUntil([&] { return manager.HasTaken(session, "text/plain", paths + "\n"); }, 10s));
        std::this_thread::sleep_for(1s);
        // CopyQ, once it serves its own copy of the item, may drop the last
        // line break; the paths themselves must be there whole.
        const std::string pasted = session.ReadClipboardText();
        EXPECT_TRUE(pasted == paths + "\n" || pasted == paths) << pasted;
        session.DropClipboard();
    }
}
