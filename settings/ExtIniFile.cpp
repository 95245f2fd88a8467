#include "settings/ExtIniFile.h"

#include "base/CodePage.h"
#include "base/FilePath.h"
#include "settings/SettingsFile.h"

#include <filesystem>

namespace sorvak {

namespace {

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

} // namespace

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
    case SettingsRead::Missing:
        return;
    case SettingsRead::Failed:
        // Remembered so that the file, which may hold settings we could not
        // read, is not replaced by the empty store.
        loadFailed_ = true;
        return;
    case SettingsRead::Read:
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
        const SettingsRead read = ReadSettingsFile(path, bytes);
        if (read == SettingsRead::Failed)
            return;
        Clear();
        if (read == SettingsRead::Read)
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
            out.WriteFile(FilePath::FromSystem(path));
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
    return SettingsFolderPath(kind, programPath_, baseName_, iniFileName_);
}

std::string TExtIniFile::GetFolderPath(TDefaultFolder kind) const {
    return DefaultFolderPath(kind, programPath_, baseName_);
}

} // namespace sorvak
