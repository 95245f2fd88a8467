#include "base/LineList.h"

#include "base/Exception.h"
#include "base/OutputFile.h"

#include <istream>
#include <iterator>
#include <ostream>

namespace sorvak {

std::size_t LineList::Checked(Index index) const {
    if (index < 0 || index >= Count())
        throw Exception(SORVAK_TEXT("sorvak", "Line index out of range (%d)"),
                        {std::to_string(index)});
    return static_cast<std::size_t>(index);
}

LineList::Index LineList::Append(std::string line, void* object) {
    lines_.push_back(Entry{std::move(line), object});
    return Count() - 1;
}

void LineList::AppendAll(const LineList& other) {
    if (&other == this) {
        const std::vector<Entry> copy = lines_;
        lines_.insert(lines_.end(), copy.begin(), copy.end());
        return;
    }
    lines_.insert(lines_.end(), other.lines_.begin(), other.lines_.end());
}

void LineList::Remove(Index index) {
    lines_.erase(lines_.begin() + static_cast<std::ptrdiff_t>(Checked(index)));
}

void LineList::Clear() {
    lines_.clear();
}

const std::string& LineList::Line(Index index) const {
    return lines_[Checked(index)].text;
}

void* LineList::Object(Index index) const {
    return lines_[Checked(index)].object;
}

void LineList::SetLine(Index index, std::string line) {
    lines_[Checked(index)].text = std::move(line);
}

void LineList::SetObject(Index index, void* object) {
    lines_[Checked(index)].object = object;
}

void LineList::Set(Index index, std::string line, void* object) {
    Entry& entry = lines_[Checked(index)];
    entry.text = std::move(line);
    entry.object = object;
}

std::string LineList::JoinText() const {
    std::size_t total = 0;
    for (const Entry& entry : lines_)
        total += entry.text.size() + 2;
    std::string text;
    text.reserve(total);
    for (const Entry& entry : lines_) {
        text += entry.text;
        text += "\r\n";
    }
    return text;
}

void LineList::SplitText(std::string_view text) {
    lines_.clear();
    const std::size_t end = text.size();
    std::size_t pos = 0;
    while (pos < end && text[pos] != '\0') {
        const std::size_t start = pos;
        while (pos < end && text[pos] != '\r' && text[pos] != '\n' && text[pos] != '\0')
            ++pos;
        lines_.push_back(Entry{std::string(text.substr(start, pos - start)), nullptr});
        if (pos < end && text[pos] == '\r')
            ++pos;
        if (pos < end && text[pos] == '\n')
            ++pos;
    }
}

void LineList::WriteStream(std::ostream& out) const {
    const std::string text = JoinText();
    out.write(text.data(), static_cast<std::streamsize>(text.size()));
    if (!out)
        throw EWriteError();
}

void LineList::WriteFile(const std::string& fileName) const {
    WriteFile(FilePath::FromName(fileName));
}

void LineList::WriteFile(const FilePath& path) const {
    // The new file is created before the text is built, so a failure to
    // create costs no work.
    OutputFile file(path);
    file.Write(JoinText());
    file.Close();
}

void LineList::ReadStream(std::istream& in) {
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    SplitText(text);
}

LineList::Index LineList::FindName(std::string_view name) const {
    for (std::size_t i = 0; i < lines_.size(); ++i) {
        const std::string& line = lines_[i].text;
        const std::size_t equals = line.find('=');
        if (equals == std::string::npos)
            continue;
        const std::string_view part(line.data(), equals);
        if (caseSensitive_ ? part == name : codepage::SameText(part, name, codePage_))
            return static_cast<Index>(i);
    }
    return -1;
}

std::string LineList::GetValue(std::string_view name) const {
    const Index index = FindName(name);
    if (index < 0)
        return std::string();
    const std::string& line = lines_[static_cast<std::size_t>(index)].text;
    return line.substr(line.find('=') + 1);
}

void LineList::SetValue(std::string_view name, std::string_view value) {
    const Index index = FindName(name);
    if (value.empty()) {
        if (index >= 0)
            Remove(index);
        return;
    }
    std::string line;
    line.reserve(name.size() + 1 + value.size());
    line.append(name).append("=").append(value);
    if (index >= 0)
        lines_[static_cast<std::size_t>(index)].text = std::move(line);
    else
        Append(std::move(line));
}

} // namespace sorvak
