// The save dialog comes before the clipboard's content has arrived: an owner
// that hands its content over slowly, holds it back, dies or falls silent
// while the dialog is open.
#include "tests/e2e/Session.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <sstream>
#include <thread>
#include <zlib.h>

using namespace sorvak::e2e;
namespace fs = std::filesystem;
using namespace std::chrono_literals;

namespace {

using Clock = std::chrono::steady_clock;

long long MsSince(Clock::time_point start) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
}

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

std::string PngWith(int width, int height, const std::string& idat) {
    const std::string ihdr =
        BigEndian(width) + BigEndian(height) + std::string("\x08\x02\0\0\0", 5); // 8-bit RGB
    return std::string("\x89PNG\r\n\x1a\n", 8) + Chunk("IHDR", ihdr) + Chunk("IDAT", idat) +
           Chunk("IEND", "");
}

std::string Deflated(const std::string& bytes) {
    uLongf length = compressBound(static_cast<uLong>(bytes.size()));
    std::string packed(length, '\0');
    compress(reinterpret_cast<Bytef*>(packed.data()), &length,
             reinterpret_cast<const Bytef*>(bytes.data()), static_cast<uLong>(bytes.size()));
    packed.resize(length);
    return packed;
}

// An 8-bit RGB PNG; `row(y, rgb)` fills one row. Packed row by row, so that
// no raw copy of a large picture is held.
std::string RgbPng(int width, int height, const std::function<void(int, unsigned char*)>& row) {
    z_stream z{};
    deflateInit(&z, 1);
    std::string packed, line(1 + 3 * std::size_t(width), '\0');
    std::string out(1 << 16, '\0');
    for (int y = 0; y < height; ++y) {
        row(y, reinterpret_cast<unsigned char*>(line.data() + 1));
        z.next_in = reinterpret_cast<Bytef*>(line.data());
        z.avail_in = static_cast<uInt>(line.size());
        const int flush = y + 1 == height ? Z_FINISH : Z_NO_FLUSH;
        do {
            z.next_out = reinterpret_cast<Bytef*>(out.data());
            z.avail_out = static_cast<uInt>(out.size());
            deflate(&z, flush);
            packed.append(out.data(), out.size() - z.avail_out);
        } while (z.avail_out == 0);
    }
    deflateEnd(&z);
    return PngWith(width, height, packed);
}

// Noise: nothing to shorten, so the transfer has many pieces.
std::string NoisePng(int width, int height) {
    std::uint32_t seed = 21;
    return RgbPng(width, height, [&](int, unsigned char* rgb) {
        for (int i = 0; i < 3 * width; ++i) {
            seed = seed * 1664525u + 1013904223u;
            rgb[i] = static_cast<unsigned char>(seed >> 24);
        }
    });
}

// Screen-like: flat areas, window frames and lines of "text".
std::string ScreenPng(int width, int height) {
    return RgbPng(width, height, [&](int y, unsigned char* rgb) {
        for (int x = 0; x < width; ++x) {
            const bool frame = x % 960 < 4 || y % 720 < 30;
            const bool glyph = y % 18 < 12 && ((x * 7 + y * 3) / 5) % 11 < 4 && x % 960 < 700;
            rgb[3 * x] = frame ? 40 : glyph ? 20 : static_cast<unsigned char>(200 + x % 56);
            rgb[3 * x + 1] = frame ? 60 : glyph ? 20 : static_cast<unsigned char>(210 + y % 40);
            rgb[3 * x + 2] = frame ? 120 : glyph ? 30 : 230;
        }
    });
}

// What ImageMagick decodes: 8-bit RGB triples, row by row.
std::string DecodeRgb(Session& session, const fs::path& file) {
    return RunCommand({"convert", file.string(), "-depth", "8", "rgb:-"}, session.Environment(),
                      60s)
        .Output;
}

std::string CrLf(const std::string& text) {
    std::string out;
    for (char c : text) {
        if (c == '\n')
            out += '\r';
        out += c;
    }
    return out;
}

// Image（W×H）, the proposed picture name, in UTF-8.
std::string PictureName(int width, int height) {
    return "Image\xEF\xBC\x88" + std::to_string(width) + "\xC3\x97" + std::to_string(height) +
           "\xEF\xBC\x89";
}

// The slow owner holds `bytes` as `target`; returns once it owns the clipboard.
std::unique_ptr<Process> SlowOwner(Session& session, const std::string& target,
                                   const std::string& bytes, std::size_t piece, int stallAfter) {
    const fs::path file = session.ProgramDir().parent_path() / "slow-offer";
    WriteFileBytes(file, bytes);
    std::vector<std::string> argv{
        (fs::path(SORVAK_BINARY_DIR) / "tests" / "e2e" / "sorvak-slowowner").string(), "--piece",
        std::to_string(piece)};
    if (stallAfter >= 0) {
        argv.push_back("--stall-after");
        argv.push_back(std::to_string(stallAfter));
    }
    argv.push_back(target);
    argv.push_back(file.string());
    Process::Options options;
    options.Environment = session.Environment();
    options.CaptureStdout = true;
    auto owner = std::make_unique<Process>(argv, options);
    if (!owner->WaitForLine("ready", 20s))
        throw std::runtime_error("the slow owner did not get the clipboard");
    return owner;
}

// Where the dialogs open and save: a folder of its own, so that "no file"
// means an empty folder.
fs::path SaveFolder(Session& session) {
    const fs::path folder = session.WorkDir() / "saved";
    fs::remove_all(folder);
    fs::create_directories(folder);
    return folder;
}

// One offer as it reaches the program in pieces, and what Save writes from it.
struct Offer {
    const char* name;
    std::string target;
    std::string bytes;
    std::size_t piece;
    const char* title;
    std::string section; // the settings before InitialDir
    std::string savedName;
    // The saved file read back, decoded where it is a picture.
    std::function<std::string(Session&, const fs::path&)> read;
    std::string expected;
};

std::vector<Offer> Offers(Session& session) {
    std::string text;
    for (int i = 0; text.size() < 300000; ++i)
        text += "line " + std::to_string(i) + ": 日本語のテキスト and ASCII\tafter a tab\n";
    constexpr int W = 301, H = 203;
    const std::string png = NoisePng(W, H);
    const fs::path source = session.WorkDir() / "source.png";
    WriteFileBytes(source, png);
    const std::string sourceRgb = DecodeRgb(session, source);
    fs::remove(source);
    EXPECT_EQ(sourceRgb.size(), 3u * W * H) << "ImageMagick cannot read the source picture";
    auto readBytes = [](Session&, const fs::path& file) { return ReadFileBytes(file); };
    return {
        // Pieces of an odd size split the Japanese characters between them.
        {"text", "UTF8_STRING", text, 1001, TextDialogTitle, "[TextSaveDialog]\r\n",
         "ClipboardText.txt", readBytes, CrLf(text)},
        {"png picture", "image/png", png, 4096, PictureDialogTitle,
         "[PictureDialog]\r\nSavePicMode=3\r\n", PictureName(W, H) + ".png", DecodeRgb, sourceRgb},
    };
}

// A settings file as the program writes it, so that one written back
// unchanged keeps its bytes.
std::string Settings(const std::string& section, const fs::path& folder) {
    return section + "InitialDir=" + folder.string() + "\r\n\r\n";
}

// Starts the program with the owner stalled after its first pieces and waits
// for the dialog; false (the failure added) when an error box comes instead or
// nothing does.
bool OpenDialogWhileStalled(Session& session, Process& owner, const char* title) {
    session.StartProgram();
    if (!owner.WaitForLine("stalled", 20s)) {
        ADD_FAILURE() << "the program did not start the transfer";
        return false;
    }
    if (session.WaitForWindow(std::string("^Sorvak$|^情報$|^") + title + "$", 20000).empty()) {
        ADD_FAILURE() << "no window while the content was held back";
        return false;
    }
    if (session.WaitForWindow(title, 100).empty()) {
        ADD_FAILURE()
            << "a message box instead of the dialog: the program waited for the whole content";
        return false;
    }
    EXPECT_TRUE(owner.Running());
    return true;
}

std::vector<std::string> VisibleWindows(Session& session, const std::string& titleRegex) {
    std::istringstream found(
        RunCommand({"xdotool", "search", "--onlyvisible", "--name", titleRegex},
                   session.Environment(), 5s)
            .Output);
    std::vector<std::string> windows;
    for (std::string window; std::getline(found, window);)
        windows.push_back(window);
    return windows;
}

struct Ending {
    bool informationBox = false;
    long long ms = -1; // from `since` to the box that ended the program
    int code = -1;
};

// Answers the error box with Return. The window that shows the wait for the
// content may bear the same title, but Return does not close it: the box is
// the window whose Return ends the program.
Ending AnswerErrorBox(Session& session, Clock::time_point since) {
    const auto end = Clock::now() + 40s;
    while (Clock::now() < end) {
        if (!VisibleWindows(session, "^情報$").empty())
            return {true};
        for (const std::string& window : VisibleWindows(session, "^Sorvak$")) {
            const long long ms = MsSince(since);
            RunCommand({"xdotool", "mousemove", "0", "0", "windowfocus", "--sync", window},
                       session.Environment(), 10s);
            session.Key("Return");
            if (const int code = session.WaitForExit(500); code != -1)
                return {false, ms, code};
        }
        std::this_thread::sleep_for(50ms);
    }
    return {};
}

} // namespace

TEST(DialogBeforeData, DialogShowsBeforeTheContentAndSaveWritesItWhole) {
    Session session;
    for (const Offer& offer : Offers(session)) {
        SCOPED_TRACE(offer.name);
        const fs::path folder = SaveFolder(session);
        WriteFileBytes(session.SettingsPath(), Settings(offer.section, folder));
        const auto owner = SlowOwner(session, offer.target, offer.bytes, offer.piece, 1);
        if (!OpenDialogWhileStalled(session, *owner, offer.title))
            continue;
        kill(owner->Pid(), SIGUSR1);
        // The proposed name: for a picture, the size its header states.
        session.Key("Return");
        ASSERT_EQ(session.WaitForExit(60000), 0);
        const fs::path saved = folder / offer.savedName;
        ASSERT_TRUE(fs::exists(saved)) << "no " << offer.savedName;
        EXPECT_TRUE(offer.read(session, saved) == offer.expected) << "the file differs";
    }
}

TEST(DialogBeforeData, EscapeDuringAStalledTransferEndsTheProgramAtOnce) {
    Session session;
    for (const Offer& offer : Offers(session)) {
        SCOPED_TRACE(offer.name);
        const fs::path folder = SaveFolder(session);
        const std::string settings = Settings(offer.section, folder);
        WriteFileBytes(session.SettingsPath(), settings);
        // Never resumed: only stopping the transfer lets the program go.
        const auto owner = SlowOwner(session, offer.target, offer.bytes, offer.piece, 1);
        if (!OpenDialogWhileStalled(session, *owner, offer.title))
            continue;
        const auto pressed = Clock::now();
        session.Key("Escape");
        const int code = session.WaitForExit(20000);
        const long long ms = MsSince(pressed);
        std::printf("%s: Escape to the program's end %lld ms (the key sent by xdotool)\n",
                    offer.name, ms);
        ASSERT_EQ(code, 0);
        EXPECT_LT(ms, 2000) << "the program waited for the stalled owner";
        EXPECT_TRUE(fs::is_empty(folder));
        EXPECT_EQ(ReadFileBytes(session.SettingsPath()), settings);
    }
}

TEST(DialogBeforeData, OwnerThatDiesOrFallsSilentDuringALargeTransferGivesTheClipboardError) {
    constexpr int W = 7680, H = 8640;
    Session session;
    const std::string png = ScreenPng(W, H);
    std::printf("the %dx%d PNG is %zu bytes\n", W, H, png.size());
    struct Case {
        const char* name;
        bool kill;
    } cases[] = {{"owner killed", true}, {"owner silent", false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const fs::path folder = SaveFolder(session);
        const std::string settings = Settings("[PictureDialog]\r\nSavePicMode=3\r\n", folder);
        WriteFileBytes(session.SettingsPath(), settings);
        const auto owner = SlowOwner(session, "image/png", png, 128 << 10, 4);
        if (!OpenDialogWhileStalled(session, *owner, PictureDialogTitle))
            continue;
        if (c.kill) {
            kill(owner->Pid(), SIGKILL);
            owner->Wait(5s);
        }
        // Another folder than the remembered one, so that settings written
        // as after a save would differ.
        const fs::path typed = session.WorkDir() / "typed";
        fs::remove_all(typed);
        fs::create_directories(typed);
        session.Type((typed / "picture.png").string());
        const auto pressed = Clock::now();
        session.Key("Return");
        const Ending ending = AnswerErrorBox(session, pressed);
        ASSERT_FALSE(ending.informationBox) << "the information box instead of the clipboard error";
        ASSERT_GE(ending.ms, 0) << "no error box after Save, or it did not end the program";
        std::printf("%s: Return to the error box %lld ms\n", c.name, ending.ms);
        EXPECT_EQ(ending.code, 0);
        // A dead owner is noticed while the program waits, not at the end of
        // the silence limit (10 s).
        if (c.kill) {
            EXPECT_LT(ending.ms, 5000) << "the dead owner was not noticed";
        }
        EXPECT_TRUE(fs::is_empty(folder));
        EXPECT_TRUE(fs::is_empty(typed));
        EXPECT_EQ(ReadFileBytes(session.SettingsPath()), settings);
    }
}

TEST(DialogBeforeData, PictureWithASoundHeaderButUndecodableDataGivesTheInformationBox) {
    constexpr int W = 64, H = 48;
    std::string rows;
    for (int y = 0; y < H; ++y)
        rows += '\x09' + std::string(3 * W, '\x80'); // 9 is no PNG row filter
    struct Case {
        const char* name;
        std::string png;
    } cases[] = {
        {"data not compressed", PngWith(W, H, std::string(300, '\x55'))},
        {"rows with an unknown filter", PngWith(W, H, Deflated(rows))},
    };
    Session session;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const fs::path folder = SaveFolder(session);
        WriteFileBytes(session.SettingsPath(),
                       Settings("[PictureDialog]\r\nSavePicMode=3\r\n", folder));
        // The header comes whole in the first piece.
        const auto owner = SlowOwner(session, "image/png", c.png, 40, -1);
        session.StartProgram();
        const std::string window = session.WaitForWindow(
            std::string("^Sorvak$|^情報$|^") + PictureDialogTitle + "$", 20000);
        ASSERT_FALSE(window.empty()) << "no window";
        if (session.WaitForWindow(PictureDialogTitle, 100).empty()) {
            ADD_FAILURE() << "a message box instead of the dialog";
            continue;
        }
        session.Key("Return");
        ASSERT_FALSE(session.WaitForWindow("^情報$", 30000).empty()) << "no information box";
        session.Key("Return");
        EXPECT_EQ(session.WaitForExit(), 0);
        EXPECT_TRUE(fs::is_empty(folder));
    }
}

TEST(DialogBeforeData, OwnerChangeDuringALargePictureStartsAgainFromTheNewOwner) {
    constexpr int W = 1200, H = 900;
    Session session;
    const std::string png = NoisePng(W, H);
    const fs::path source = session.WorkDir().parent_path() / "source.png";
    WriteFileBytes(source, png);
    const std::string sourceRgb = DecodeRgb(session, source);
    ASSERT_EQ(sourceRgb.size(), 3u * W * H);
    const fs::path folder = SaveFolder(session);
    WriteFileBytes(session.SettingsPath(),
                   Settings("[PictureDialog]\r\nSavePicMode=3\r\n", folder));
    const auto first = SlowOwner(session, "image/png", png, 64 << 10, 4);
    ASSERT_TRUE(OpenDialogWhileStalled(session, *first, PictureDialogTitle));
    // A clipboard manager takes over, offering the same picture; the first
    // owner ends when it loses the clipboard.
    const auto second = SlowOwner(session, "image/png", png, 64 << 10, -1);
    EXPECT_TRUE(first->Wait(10s).has_value()) << "the first owner kept the clipboard";
    session.Key("Return");
    ASSERT_EQ(session.WaitForExit(60000), 0);
    const fs::path saved = folder / (PictureName(W, H) + ".png");
    ASSERT_TRUE(fs::exists(saved)) << "the picture was not saved";
    EXPECT_TRUE(DecodeRgb(session, saved) == sourceRgb) << "the saved picture differs";
}

TEST(DialogBeforeData, EscapeEndsTheProgramAtOnceWhileTheOwnerIsStoppedMidTransfer) {
    Session session;
    const std::string png = NoisePng(640, 480);
    const fs::path folder = SaveFolder(session);
    const std::string settings = Settings("[PictureDialog]\r\nSavePicMode=3\r\n", folder);
    WriteFileBytes(session.SettingsPath(), settings);
    const auto owner = SlowOwner(session, "image/png", png, 4096, 2);
    ASSERT_TRUE(OpenDialogWhileStalled(session, *owner, PictureDialogTitle));
    // A hung owner: not even its event loop runs.
    kill(owner->Pid(), SIGSTOP);
    kill(owner->Pid(), SIGUSR1);
    const auto pressed = Clock::now();
    session.Key("Escape");
    const int code = session.WaitForExit(20000);
    const long long ms = MsSince(pressed);
    kill(owner->Pid(), SIGCONT);
    std::printf("Escape to the program's end %lld ms (the key sent by xdotool)\n", ms);
    ASSERT_EQ(code, 0);
    EXPECT_LT(ms, 1000) << "the program waited for the stopped owner";
    EXPECT_TRUE(fs::is_empty(folder));
    EXPECT_EQ(ReadFileBytes(session.SettingsPath()), settings);
}

TEST(DialogBeforeData, CancelDuringAnXclipTransferLeavesTheContentToTheNextReader) {
    Session session;
    std::string text;
    for (int i = 0; text.size() < (std::size_t(96) << 20); ++i)
        text += "line " + std::to_string(i) + ": 日本語のテキスト\n";
    const fs::path file = session.WorkDir().parent_path() / "xclip-offer.txt";
    WriteFileBytes(file, text);
    // -quiet keeps xclip in the foreground, as a child this test ends.
    Process::Options options;
    options.Environment = session.Environment();
    const Process xclip({"xclip", "-quiet", "-selection", "clipboard", "-i", file.string()},
                        options);
    for (int i = 0; i < 100; ++i) {
        if (!RunCommand({"sh", "-c", "xclip -selection clipboard -o -t TARGETS 2>/dev/null"},
                        session.Environment(), 5s)
                 .Output.empty())
            break;
        std::this_thread::sleep_for(100ms);
    }
    const fs::path folder = SaveFolder(session);
    WriteFileBytes(session.SettingsPath(), Settings("[TextSaveDialog]\r\n", folder));
    session.StartProgram();
    ASSERT_FALSE(session.WaitForWindow(TextDialogTitle).empty()) << "no dialog";
    session.Key("Escape");
    ASSERT_EQ(session.WaitForExit(20000), 0);
    EXPECT_TRUE(fs::is_empty(folder));
    const RunResult next =
        RunCommand({"xclip", "-selection", "clipboard", "-o"}, session.Environment(), 60s);
    EXPECT_EQ(next.ExitCode, 0);
    EXPECT_TRUE(next.Output == text)
        << "another reader got " << next.Output.size() << " of " << text.size() << " bytes";
}
