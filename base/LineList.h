#pragma once
// An ordered list of 8-bit text lines, each with an optional attached object
// that the list does not own. Bytes are never converted between code pages.
#include "base/CodePage.h"
#include "base/FilePath.h"

#include <cstddef>
#include <iosfwd>
#include <string>
#include <string_view>
#include <vector>

namespace sorvak {

class LineList {
public:
    using Index = std::ptrdiff_t;

    LineList() = default;

    Index Count() const { return static_cast<Index>(lines_.size()); }
    bool Empty() const { return lines_.empty(); }

    // Appends at the end; returns the new line's index.
    Index Append(std::string line, void* object = nullptr);
    // Appends all lines of another list, in order, with their objects.
    void AppendAll(const LineList& other);
    // Index out of range throws sorvak::Exception.
    void Remove(Index index);
    void Clear();

    // Line access; an index out of range throws sorvak::Exception.
    const std::string& Line(Index index) const;
    const std::string& operator[](Index index) const { return Line(index); }
    void* Object(Index index) const;
    void SetLine(Index index, std::string line);
    void SetObject(Index index, void* object);
    void Set(Index index, std::string line, void* object);

    // Every line followed by CR LF, the last included; empty for no lines.
    std::string JoinText() const;
    // Replaces all lines: CR LF, CR or LF ends a line, NUL ends the text, a
    // break at the very end adds no empty line.
    void SplitText(std::string_view text);

    // Writes the joined text; a stream that fails throws EWriteError.
    void WriteStream(std::ostream& out) const;
    // Creates or replaces the file, whole or not at all (OutputFile), with
    // the joined text in one write.
    // Throws EFCreateError or EWriteError (FileErrors.h).
    void WriteFile(const std::string& fileName) const;
    void WriteFile(const FilePath& path) const;
    // Reads from the stream's position to its end and splits that text.
    void ReadStream(std::istream& in);

    // The first line with "=" whose part before its first "=" equals the
    // name (ignoring case under the locale unless CaseSensitive); -1 if none.
    Index FindName(std::string_view name) const;
    // The text after the first "=" of the line FindName finds, else "".
    std::string GetValue(std::string_view name) const;
    // Non-empty value: replaces the found line by name=value in place, or
    // appends it. Empty value: deletes the found line.
    void SetValue(std::string_view name, std::string_view value);

    bool CaseSensitive() const { return caseSensitive_; }
    void SetCaseSensitive(bool value) { caseSensitive_ = value; }
    // The code page whose rules fold case (the system's by default).
    int CodePage() const { return codePage_; }
    void SetCodePage(int codePage) { codePage_ = codePage; }

private:
    struct Entry {
        std::string text;
        void* object = nullptr;
    };

    std::size_t Checked(Index index) const;

    std::vector<Entry> lines_;
    bool caseSensitive_ = false;
    int codePage_ = codepage::System();
};

} // namespace sorvak
