#pragma once
// One end-to-end session: a private Xvfb server, a clipboard owned by another
// process, a copy of the program in a temporary folder (so that its settings
// file lands there), keystrokes through xdotool.
#include "tests/e2e/Process.h"
#include "tests/support/TestFiles.h"

#include <filesystem>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace sorvak::e2e {

inline constexpr const char* TextDialogTitle = "クリップボードテキストに名前を付けて保存";
inline constexpr const char* PictureDialogTitle = "クリップボード画像に名前を付けて保存";
inline constexpr const char* FileListTitle = "^ファイルのコピー$";
inline constexpr const char* FileListDialogTitle = "コピーされたファイルリストに名前を付けて保存";
// The file-list window's buttons: centres in its client area as it opens.
inline constexpr int FileListButtonY = 180 + 12;
inline constexpr int FileListCopyX = 265 + 37;
inline constexpr int FileListSaveX = 345 + 37;
inline constexpr int FileListCloseX = 425 + 37;

class Session {
public:
    Session();
    ~Session();
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    // Another process takes the clipboard with these (MIME, bytes) formats;
    // MIME "text" offers UTF-8 text through Qt's text road. Returns once it owns it.
    void OwnClipboard(const std::vector<std::pair<std::string, std::string>>& formats);
    // Ends the current owner: the clipboard is then empty.
    void DropClipboard();
    // Stops or resumes the current owner (SIGSTOP, SIGCONT): a hung program.
    void StopOwner();
    void ContinueOwner();
    // The clipboard's text as another program reads it now (empty when none).
    std::string ReadClipboardText();

    // Starts the program copy; extra environment for locale tests, and its
    // command-line arguments.
    void StartProgram(const std::map<std::string, std::string>& environment = {},
                      const std::vector<std::string>& arguments = {});
    // Hands over the running program, so that a second copy can start while
    // it runs; the handle ends it when it goes.
    std::unique_ptr<Process> TakeProgram() { return std::move(program_); }
    // Waits for a visible window whose name matches the regular expression and
    // gives it the keyboard focus; returns its id, or empty on time-out.
    std::string WaitForWindow(const std::string& titleRegex, int timeoutMs = 20000);
    // Waits until no visible window's name matches; false on time-out.
    bool WaitForWindowGone(const std::string& titleRegex, int timeoutMs = 20000);
    void Type(const std::string& text);
    // Clicks the left button at (x, y) of the window, then moves the pointer
    // away so that it cannot hover what opens next.
    void Click(const std::string& window, int x, int y);
    void Key(const std::string& keys);
    // The program's exit code, or -1 when it did not end in time.
    int WaitForExit(int timeoutMs = 20000);
    // Starts the program, types `typed` into the dialog titled `title` and
    // presses Return: the exit code, or -1 when no dialog came or it did not end.
    int SaveThroughDialog(const std::string& title, const std::string& typed,
                          const std::map<std::string, std::string>& environment = {},
                          int exitTimeoutMs = 20000);

    // Programs and keystrokes go to this display from now on (an XWayland
    // server on top of ours, say).
    void UseDisplay(const std::string& display) { display_ = display; }
    const std::string& Display() const { return display_; }

    const std::filesystem::path& ProgramDir() const { return programDir_; }
    const std::filesystem::path& WorkDir() const { return workDir_; }
    std::filesystem::path SettingsPath() const { return programDir_ / "sorvak.ini"; }
    std::map<std::string, std::string> Environment() const;

private:
    std::string FindWindow(const std::string& titleRegex) const;

    std::string display_;
    std::filesystem::path root_;
    std::filesystem::path programDir_;
    std::filesystem::path workDir_;
    std::unique_ptr<Process> server_;
    std::unique_ptr<Process> owner_;
    std::unique_ptr<Process> program_;
};

using test::ReadFileBytes;
using test::WriteFileBytes;

} // namespace sorvak::e2e
