#pragma once
// The settings store: an INI file held in memory, read whole at creation and
// written whole at chosen moments (by default once, when the store ends).
// It reports no failure: a missing or unreadable file gives defaults, a
// failed write is ignored.
#include "base/LineList.h"
#include "base/Paths.h"
#include "settings/IniInt.h"
#include "settings/SettingsFolder.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace sorvak {

class TExtIniFile {
public:
    using Index = LineList::Index;
    using TNotifyEvent = std::function<void(TExtIniFile& sender)>;

    // programPath names the program file whose folder and name place the
    // file (tests pass a path inside a temporary folder), or the configuration
    // folder where that folder cannot be written. Loads at once.
    explicit TExtIniFile(std::string programPath = ProgramPath());
    // Writes the file when AutoUpdate and not UpdateAtOnce.
    ~TExtIniFile();
    TExtIniFile(const TExtIniFile&) = delete;
    TExtIniFile& operator=(const TExtIniFile&) = delete;

    // Properties; the setters have the effects of property writes.
    bool AutoUpdate() const { return autoUpdate_; }
    void SetAutoUpdate(bool value) { autoUpdate_ = value; }
    bool CaseSensitive() const { return caseSensitive_; }
    void SetCaseSensitive(bool value);
    TDefaultFolder DefaultFolder() const { return defaultFolder_; }
    void SetDefaultFolder(TDefaultFolder value);
    const std::string& FileName() const { return fileName_; }
    void SetFileName(const std::string& value);
    bool UpdateAtOnce() const { return updateAtOnce_; }
    void SetUpdateAtOnce(bool value);
    // After a successful read of the file.
    TNotifyEvent OnLoad;
    // After every Update.
    TNotifyEvent OnUpdate;

    // The key's value; the default when the key is absent (a present empty
    // value gives empty text).
    std::string ReadStr(std::string_view section, std::string_view key,
                        std::string_view defaultValue);
    // The key's value as ParseIniInt reads it; the default when absent or
    // not a number.
    std::int32_t ReadInt(std::string_view section, std::string_view key, std::int32_t defaultValue);
    void WriteStr(std::string_view section, std::string_view key, std::string_view value);
    void WriteInt(std::string_view section, std::string_view key, std::int32_t value);

    // Index of the section's header line in Sections(), the last of equal
    // ones; -1 if none. The name gets its brackets when it lacks them.
    Index IndexOfSection(std::string_view section);
    // Index of the key's line in the section's body and its value; -1 (and
    // empty value) when absent.
    Index FindValue(std::string_view section, std::string_view key, std::string& value);
    // Changes memory only.
    void StoreValue(std::string_view section, std::string_view key, std::string_view value);

    // Reads the file into memory (a missing file leaves the store empty),
    // past a leading UTF-8 byte-order mark. A file holding a NUL byte counts
    // as unreadable.
    void Load();
    // Writes the file whole: under a lock, what the file holds now with this
    // store's writes since Load applied in order (memory then holds that
    // too). With onlyIfNotEmpty an empty result writes nothing. A file that
    // cannot be read (or failed to load) is never overwritten.
    void Save(bool onlyIfNotEmpty);
    // Save(false), then OnUpdate.
    void Update();
    void Clear();

    std::string GetFolderPath(TDefaultFolder kind) const;
    std::string GetIniPath() const { return folderPath_ + iniFileName_; }

    // The header lines in file order; each line's object is its body.
    const LineList& Sections() const { return sections_; }
    static const LineList* Body(const LineList& sections, Index index);
    const std::string& BaseName() const { return baseName_; }
    const std::string& FolderPath() const { return folderPath_; }
    const std::string& IniFileName() const { return iniFileName_; }
    // True when the file exists but could not be read: Save leaves it alone.
    bool LoadFailed() const { return loadFailed_; }

private:
    struct PendingWrite {
        std::string section, key, value;
        bool caseSensitive;
    };

    // SettingsFolderPath for this store's program and file name.
    std::string SettingsFolder(TDefaultFolder kind) const;
    // StoreValue without remembering the write.
    void ApplyValue(std::string_view section, std::string_view key, std::string_view value);
    // Fills the empty store from the file's bytes.
    void Parse(std::string bytes);
    LineList* NewBody(Index section);
    void SectionsChanged() { indexValid_ = false; }
    std::string IndexKey(std::string_view header) const;
    void RebuildIndex();

    std::string programPath_;
    std::string baseName_;
    bool autoUpdate_ = true;
    bool caseSensitive_ = false;
    TDefaultFolder defaultFolder_ = dfApplication;
    std::string fileName_;
    bool updateAtOnce_ = false;
    std::string folderPath_;
    std::string iniFileName_;
    bool loadFailed_ = false;

    LineList sections_;
    std::vector<std::unique_ptr<LineList>> bodies_; // owned; attached to sections_
    std::unordered_map<std::string, Index> index_;
    bool indexValid_ = false;
    std::vector<PendingWrite> writes_; // since Load, replayed by Save
};

} // namespace sorvak
