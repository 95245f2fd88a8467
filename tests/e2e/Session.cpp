#include "tests/e2e/Session.h"

#include <chrono>
#include <csignal>
#include <fstream>
#include <iterator>
#include <regex>
#include <sstream>
#include <stdexcept>
#include <thread>

namespace sorvak::e2e {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

namespace {

std::string Env(const char* name, const char* fallback) {
    const char* value = std::getenv(name);
    return value != nullptr ? value : fallback;
}

} // namespace

Session::Session() {
    char pattern[] = "/tmp/sorvak-e2e-XXXXXX";
    if (mkdtemp(pattern) == nullptr)
        throw std::runtime_error("mkdtemp failed");
    root_ = pattern;
    programDir_ = root_ / "program";
    workDir_ = root_ / "work";
    fs::create_directories(programDir_);
    fs::create_directories(workDir_);
    fs::create_directories(root_ / "runtime");
    fs::permissions(root_ / "runtime", fs::perms::owner_all);
    fs::copy_file(fs::path(SORVAK_BINARY_DIR) / "app" / "sorvak", programDir_ / "sorvak");

    // The server picks a free display itself and names it once it accepts
    // clients: tests running side by side cannot race for one display.
    Process::Options options;
    options.CaptureStdout = true;
    server_ = std::make_unique<Process>(std::vector<std::string>{"Xvfb", "-displayfd", "1",
                                                                 "-screen", "0", "1600x1200x24",
                                                                 "-nolisten", "tcp", "-noreset"},
                                        options);
    const std::optional<std::string> number = server_->ReadLine(10s);
    if (!number || number->empty())
        throw std::runtime_error("Xvfb did not start");
    display_ = ":" + *number;
}

Session::~Session() {
    program_.reset();
    owner_.reset();
    server_.reset();
    std::error_code ignored;
    fs::remove_all(root_, ignored);
}

std::map<std::string, std::string> Session::Environment() const {
    return {{"DISPLAY", display_},
            {"XDG_RUNTIME_DIR", (root_ / "runtime").string()},
            {"XDG_CONFIG_HOME", (root_ / "config").string()},
            {"HOME", root_.string()},
            {"QT_QPA_PLATFORM", "xcb"},
            {"LANG", Env("SORVAK_E2E_LANG", "C.UTF-8")},
            {"LC_ALL", Env("SORVAK_E2E_LANG", "C.UTF-8")}};
}

void Session::OwnClipboard(const std::vector<std::pair<std::string, std::string>>& formats) {
    std::vector<std::string> argv{
        (fs::path(SORVAK_BINARY_DIR) / "tests" / "e2e" / "sorvak-clipowner").string()};
    int index = 0;
    for (const auto& [mime, bytes] : formats) {
        const fs::path file = root_ / ("offer" + std::to_string(index++));
        WriteFileBytes(file, bytes);
        argv.push_back(mime);
        argv.push_back(file.string());
    }
    Process::Options options;
    options.Environment = Environment();
    options.CaptureStdout = true;
    owner_ = std::make_unique<Process>(argv, options);
    if (!owner_->WaitForLine("ready", 20s))
        throw std::runtime_error("the clipboard owner did not get ready");
}

void Session::DropClipboard() {
    owner_.reset();
}

void Session::StopOwner() {
    if (owner_)
        kill(owner_->Pid(), SIGSTOP);
}

void Session::ContinueOwner() {
    if (owner_)
        kill(owner_->Pid(), SIGCONT);
}

std::string Session::ReadClipboardText() {
    return RunCommand({"xclip", "-selection", "clipboard", "-o"}, Environment(), 10s).Output;
}

void Session::StartProgram(const std::map<std::string, std::string>& environment,
                           const std::vector<std::string>& arguments) {
    Process::Options options;
    options.Environment = Environment();
    for (const auto& [key, value] : environment)
        options.Environment[key] = value;
    options.WorkingDirectory = workDir_.string();
    std::vector<std::string> argv{(programDir_ / "sorvak").string()};
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    program_ = std::make_unique<Process>(argv, options);
}

std::string Session::FindWindow(const std::string& titleRegex) const {
    RunResult found =
        RunCommand({"xdotool", "search", "--onlyvisible", "--name", titleRegex}, Environment(), 5s);
    if (found.ExitCode == 0 && !found.Output.empty())
        return found.Output.substr(0, found.Output.find('\n'));
    // xdotool matches WM_NAME, which Qt writes as Latin-1 in a non-UTF-8
    // locale; window managers show _NET_WM_NAME, so match that.
    const std::regex title(titleRegex);
    RunResult all =
        RunCommand({"xdotool", "search", "--onlyvisible", "--class", "."}, Environment(), 5s);
    std::istringstream windows(all.Output);
    for (std::string window; std::getline(windows, window);) {
        RunResult name = RunCommand({"xprop", "-id", window, "_NET_WM_NAME"}, Environment(), 5s);
        const std::size_t open = name.Output.find('"');
        const std::size_t close = name.Output.rfind('"');
        if (open != std::string::npos && close > open &&
            std::regex_search(name.Output.substr(open + 1, close - open - 1), title))
            return window;
    }
    return std::string();
}

std::string Session::WaitForWindow(const std::string& titleRegex, int timeoutMs) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (std::chrono::steady_clock::now() < end) {
        const std::string window = FindWindow(titleRegex);
        if (!window.empty()) {
            // Keys sent before the window has the focus are lost.
            RunCommand({"xdotool", "mousemove", "0", "0", "windowfocus", "--sync", window},
                       Environment(), 10s);
            std::this_thread::sleep_for(150ms);
            return window;
        }
        std::this_thread::sleep_for(50ms);
    }
    return std::string();
}

void Session::Type(const std::string& text) {
    RunCommand({"xdotool", "type", "--delay", "5", "--", text}, Environment(), 30s);
}

bool Session::WaitForWindowGone(const std::string& titleRegex, int timeoutMs) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (std::chrono::steady_clock::now() < end) {
        if (FindWindow(titleRegex).empty())
            return true;
        std::this_thread::sleep_for(50ms);
    }
    return false;
}

void Session::Click(const std::string& window, int x, int y) {
    RunCommand({"xdotool", "mousemove", "--sync", "--window", window, std::to_string(x),
                std::to_string(y), "click", "1", "mousemove", "0", "0"},
               Environment(), 10s);
}

void Session::Key(const std::string& keys) {
    RunCommand({"xdotool", "key", "--delay", "30", keys}, Environment(), 10s);
    RunCommand({"xdotool", "keyup", keys}, Environment(), 10s);
}

int Session::WaitForExit(int timeoutMs) {
    if (!program_)
        return -1;
    return program_->Wait(std::chrono::milliseconds(timeoutMs)).value_or(-1);
}

int Session::SaveThroughDialog(const std::string& title, const std::string& typed,
                               const std::map<std::string, std::string>& environment,
                               int exitTimeoutMs) {
    StartProgram(environment);
    if (WaitForWindow(title).empty())
        return -1;
    Type(typed);
    Key("Return");
    return WaitForExit(exitTimeoutMs);
}

} // namespace sorvak::e2e
