#include "settings/ExtIniFile.h"

#include "base/CodePage.h"
#include "base/FileDescriptor.h"
#include "base/FileHead.h"
#include "base/FileNames.h"

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <pwd.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace sorvak {

namespace {

// A settings file is a few hundred bytes; anything beyond this is not one we
// wrote, and is neither read into memory nor overwritten.
constexpr std::size_t MaxFileSize = std::size_t(256) << 20;

enum class ReadResult { Missing, Read, Failed };

ReadResult ReadSettingsFile(const std::string& path, std::string& bytes) {
    struct stat info {};
    if (::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) &&
        static_cast<std::uint64_t>(info.st_size) > MaxFileSize)
        return ReadResult::Failed;
    int error = 0;
    // One byte past the limit tells a file that grew meanwhile.
    std::optional<std::string> read =
        ReadFileHead(FileNameFromSystem(path), MaxFileSize + 1, &error);
    if (!read)
        return (error == ENOENT || error == ENOTDIR) ? ReadResult::Missing : ReadResult::Failed;
    // Text after a NUL would be dropped by the line rules and lost at the
    // next write: such a file is not ours to rewrite.
    if (read->size() > MaxFileSize || read->find('\0') != std::string::npos)
        return ReadResult::Failed;
    bytes = std::move(*read);
    return ReadResult::Read;
}

// Serialises the read-merge-write at the end between copies of the program.
// The settings file itself is replaced by a rename, so the lock lives on a
// file of its own that is never removed. A copy that holds it for longer than
// a save takes is not waited for: the merge then runs unlocked.
class SettingsLock {
public:
    explicit SettingsLock(const std::string& iniPath)
        : fd_(::open((iniPath + ".lock").c_str(),
                     O_RDWR | O_CREAT | O_NONBLOCK | O_NOFOLLOW | O_CLOEXEC, 0666)) {
        using namespace std::chrono;
        if (fd_.get() < 0)
            return;
        const auto end = steady_clock::now() + seconds(2);
        while (::flock(fd_.get(), LOCK_EX | LOCK_NB) != 0) {
            if ((errno != EWOULDBLOCK && errno != EINTR) || steady_clock::now() >= end)
                return;
            std::this_thread::sleep_for(milliseconds(10));
        }
    }
    // Closing the descriptor releases the lock.

private:
    FileDescriptor fd_;
};

std::string NormalisedSection(std::string_view section) {
    std::string name(section);
    if (!name.empty()) {
        if (name.front() != '[')
            name.insert(name.begin(), '[');
        if (name.back() != ']')
            name.push_back(']');
    }
    return name;
}

std::string ConfigHome() {
    const char* config = std::getenv("XDG_CONFIG_HOME");
    // Relative values are invalid and ignored, as the desktop rules say.
    if (config != nullptr && config[0] == '/')
        return config;
    std::string home;
    if (const char* env = std::getenv("HOME"); env != nullptr && env[0] != '\0') {
        home = env;
    } else if (const passwd* user = ::getpwuid(::getuid()); user != nullptr && user->pw_dir) {
        home = user->pw_dir;
    }
    if (home.empty())
        return std::string();
    if (home.back() != '/')
        home.push_back('/');
    return home + ".config";
}

} // namespace

std::optional<std::int32_t> ParseIniInt(std::string_view text) {
    std::string replaced;
    if (text.size() >= 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        replaced = "$";
        replaced.append(text.substr(2));
        text = replaced;
    }
    const std::size_t n = text.size();
    std::size_t i = 0;
    while (i < n && text[i] == ' ')
        ++i;
    bool negative = false;
    if (i < n && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    bool hex = false;
    if (i < n && (text[i] == '$' || text[i] == 'x' || text[i] == 'X')) {
        hex = true;
        ++i;
    } else if (i + 1 < n && text[i] == '0' && (text[i + 1] == 'x' || text[i + 1] == 'X')) {
        hex = true;
        i += 2;
    }
    if (i == n)
        return std::nullopt;
    const std::uint64_t limit = hex ? 0xFFFFFFFFu : (negative ? 0x80000000u : 0x7FFFFFFFu);
    std::uint64_t value = 0;
    for (; i < n; ++i) {
        const char c = text[i];
        unsigned digit;
        if (c >= '0' && c <= '9')
            digit = unsigned(c - '0');
        else if (hex && c >= 'a' && c <= 'f')
            digit = unsigned(c - 'a' + 10);
        else if (hex && c >= 'A' && c <= 'F')
            digit = unsigned(c - 'A' + 10);
        else
            return std::nullopt;
        value = value * (hex ? 16 : 10) + digit;
        if (value > limit)
            return std::nullopt;
    }
    auto bits = static_cast<std::uint32_t>(value);
    if (negative)
        bits = 0u - bits;
    return static_cast<std::int32_t>(bits);
}

TExtIniFile::TExtIniFile(std::string programPath) : programPath_(std::move(programPath)) {
    baseName_ = BaseNameOf(programPath_);
    iniFileName_ = baseName_ + ".ini";
    folderPath_ = SettingsFolder(dfApplication);
    Load();
}

TExtIniFile::~TExtIniFile() {
    if (autoUpdate_ && !updateAtOnce_) {
        try {
            Update();
        } catch (...) {
            // An OnUpdate handler's failure cannot leave a destructor.
        }
    }
    Clear();
}

void TExtIniFile::SetCaseSensitive(bool value) {
    caseSensitive_ = value;
    sections_.SetCaseSensitive(value);
    SectionsChanged();
}

void TExtIniFile::SetDefaultFolder(TDefaultFolder value) {
    if (autoUpdate_)
        Save(true);
    folderPath_ = SettingsFolder(value);
    Load();
    defaultFolder_ = value;
}

void TExtIniFile::SetFileName(const std::string& value) {
    fileName_ = value;
    if (autoUpdate_)
        Save(true);
    iniFileName_ = fileName_.empty() ? baseName_ + ".ini" : fileName_;
    Load();
}

void TExtIniFile::SetUpdateAtOnce(bool value) {
    updateAtOnce_ = value;
    if (value)
        Update();
}

std::string TExtIniFile::ReadStr(std::string_view section, std::string_view key,
                                 std::string_view defaultValue) {
    std::string value;
    if (FindValue(section, key, value) < 0)
        return std::string(defaultValue);
    return value;
}

std::int32_t TExtIniFile::ReadInt(std::string_view section, std::string_view key,
                                  std::int32_t defaultValue) {
    std::string value;
    if (FindValue(section, key, value) < 0)
        return defaultValue;
    return ParseIniInt(value).value_or(defaultValue);
}

void TExtIniFile::WriteStr(std::string_view section, std::string_view key, std::string_view value) {
    StoreValue(section, key, value);
    if (updateAtOnce_)
        Update();
}

void TExtIniFile::WriteInt(std::string_view section, std::string_view key, std::int32_t value) {
    WriteStr(section, key, std::to_string(value));
}

std::string TExtIniFile::IndexKey(std::string_view header) const {
    return caseSensitive_ ? std::string(header) : codepage::UpperCase(header, sections_.CodePage());
}

void TExtIniFile::RebuildIndex() {
    index_.clear();
    index_.reserve(static_cast<std::size_t>(sections_.Count()));
    // Later equal headers overwrite earlier ones: the last one wins.
    for (Index i = 0; i < sections_.Count(); ++i)
        index_[IndexKey(sections_[i])] = i;
    indexValid_ = true;
}

TExtIniFile::Index TExtIniFile::IndexOfSection(std::string_view section) {
    if (!indexValid_)
        RebuildIndex();
    const auto found = index_.find(IndexKey(NormalisedSection(section)));
    return found == index_.end() ? -1 : found->second;
}

const LineList* TExtIniFile::Body(const LineList& sections, Index index) {
    return static_cast<const LineList*>(sections.Object(index));
}

LineList* TExtIniFile::NewBody(Index section) {
    bodies_.push_back(std::make_unique<LineList>());
    LineList* body = bodies_.back().get();
    body->SetCodePage(sections_.CodePage());
    body->SetCaseSensitive(caseSensitive_);
    sections_.SetObject(section, body);
    return body;
}

TExtIniFile::Index TExtIniFile::FindValue(std::string_view section, std::string_view key,
                                          std::string& value) {
    value.clear();
    const Index index = IndexOfSection(section);
    if (index < 0)
        return -1;
    auto* body = static_cast<LineList*>(sections_.Object(index));
    if (body == nullptr)
        return -1;
    body->SetCaseSensitive(caseSensitive_);
    const Index line = body->FindName(key);
    if (line >= 0) {
        const std::string& text = (*body)[line];
        value = text.substr(text.find('=') + 1);
    }
    return line;
}

void TExtIniFile::StoreValue(std::string_view section, std::string_view key,
                             std::string_view value) {
    ApplyValue(section, key, value);
    writes_.push_back({std::string(section), std::string(key), std::string(value), caseSensitive_});
}

void TExtIniFile::ApplyValue(std::string_view section, std::string_view key,
                             std::string_view value) {
    Index index = IndexOfSection(section);
    if (index < 0) {
        index = sections_.Append(NormalisedSection(section));
        SectionsChanged();
        NewBody(index);
    }
    auto* body = static_cast<LineList*>(sections_.Object(index));
    if (body == nullptr)
        body = NewBody(index);
    // Writes compare keys as reads do, so that with CaseSensitive set a
    // write never replaces a line that a read would not find.
    body->SetCaseSensitive(caseSensitive_);
    if (!value.empty()) {
        body->SetValue(key, value);
        return;
    }
    // An empty value keeps the key present, so that it reads as empty text
    // instead of the default.
    const Index line = body->FindName(key);
    if (line >= 0)
        body->Remove(line);
    body->Append(std::string(key) + "=");
}

void TExtIniFile::Load() {
    Clear();
    writes_.clear();
    loadFailed_ = false;
    std::string bytes;
    switch (ReadSettingsFile(GetIniPath(), bytes)) {
    case ReadResult::Missing:
        return;
    case ReadResult::Failed:
        // Remembered so that the file, which may hold settings we could not
        // read, is not replaced by the empty store.
        loadFailed_ = true;
        return;
    case ReadResult::Read:
        break;
    }
    Parse(std::move(bytes));
    if (OnLoad) {
        try {
            OnLoad(*this);
        } catch (...) {
            // A handler's failure ends the load silently; what was read stays.
        }
    }
}

void TExtIniFile::Parse(std::string bytes) {
    std::string_view text(bytes);
    // Some editors save a byte-order mark, which would hide the first header.
    if (text.starts_with("\xEF\xBB\xBF"))
        text.remove_prefix(3);
    LineList lines;
    lines.SplitText(text);
    std::string().swap(bytes);

    LineList* current = nullptr;
    for (Index i = 0; i < lines.Count(); ++i) {
        const std::string& line = lines[i];
        if (line.size() < 2)
            continue;
        if (line.front() == '[' && line.back() == ']') {
            current = NewBody(sections_.Append(line));
            SectionsChanged();
        } else if (current != nullptr) {
            current->Append(line);
        }
    }
}

void TExtIniFile::Save(bool onlyIfNotEmpty) {
    if (loadFailed_)
        return;
    try {
        const std::string path = GetIniPath();
        if (!folderPath_.empty()) {
            std::error_code ignored;
            std::filesystem::create_directories(folderPath_, ignored);
        }
        // Another copy of the program may have saved since this one loaded:
        // this run's writes go onto what the file holds now, so the keys it
        // did not write keep the other copy's values.
        const SettingsLock lock(path);
        std::string bytes;
        const ReadResult read = ReadSettingsFile(path, bytes);
        if (read == ReadResult::Failed)
            return;
        Clear();
        if (read == ReadResult::Read)
            Parse(std::move(bytes));
        std::string().swap(bytes);
        // Each write matches names as it did when it was made.
        const bool caseSensitive = caseSensitive_;
        for (const PendingWrite& write : writes_) {
            if (write.caseSensitive != caseSensitive_)
                SetCaseSensitive(write.caseSensitive);
            ApplyValue(write.section, write.key, write.value);
        }
        if (caseSensitive != caseSensitive_)
            SetCaseSensitive(caseSensitive);

        LineList out;
        for (Index i = 0; i < sections_.Count(); ++i) {
            out.Append(sections_[i]);
            if (const LineList* body = Body(sections_, i))
                out.AppendAll(*body);
            out.Append(std::string());
        }
        if (!onlyIfNotEmpty || out.Count() > 0)
            out.WriteFile(FileNameFromSystem(path)); // the settings path is file-system bytes
        writes_.clear();
    } catch (...) {
        // The store reports nothing; the settings stay in memory.
    }
}

void TExtIniFile::Update() {
    Save(false);
    if (OnUpdate)
        OnUpdate(*this);
}

void TExtIniFile::Clear() {
    sections_.Clear();
    bodies_.clear();
    SectionsChanged();
}

std::string TExtIniFile::SettingsFolder(TDefaultFolder kind) const {
    const std::string folder = GetFolderPath(kind);
    if (kind != dfApplication)
        return folder;
    // An installed copy in a folder the user cannot write would remember
    // nothing; a file beside the program still wins where there is one.
    struct stat info {};
    if (::lstat((folder + iniFileName_).c_str(), &info) == 0 ||
        ::access(folder.empty() ? "." : folder.c_str(), W_OK) == 0)
        return folder;
    std::string config = ConfigHome();
    if (config.empty())
        return folder;
    if (config.back() != '/')
        config.push_back('/');
    return config + baseName_ + "/";
}

std::string TExtIniFile::GetFolderPath(TDefaultFolder kind) const {
    std::string folder;
    switch (kind) {
    case dfAppData:
        folder = ConfigHome();
        if (!folder.empty()) {
            if (folder.back() != '/')
                folder.push_back('/');
            folder += baseName_;
        }
        break;
    case dfApplication:
        folder = FolderWithSeparator(programPath_);
        break;
    case dfWindows:
        folder = "/etc/";
        break;
    case dfUser:
    default:
        break;
    }
    if (!folder.empty()) {
        if (folder.back() != '/')
            folder.push_back('/');
        std::error_code ignored;
        std::filesystem::create_directories(folder, ignored);
    }
    return folder;
}

} // namespace sorvak
