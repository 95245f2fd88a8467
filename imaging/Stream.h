#pragma once
// Byte streams the picture writers write to: a file and a growable memory
// buffer. Every writer goes through WriteBuffer, so a short write is an error
// and never a silently truncated file.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "base/OutputFile.h"

namespace sorvak {

class TStream {
public:
    virtual ~TStream() = default;
    // Stores up to count bytes; returns how many were stored.
    virtual std::size_t Write(const void* data, std::size_t count) = 0;
    // Stores all count bytes or raises "ストリームへの書き込みエラー".
    void WriteBuffer(const void* data, std::size_t count);
};

// A new file that takes the target's place only at Close (OutputFile);
// short writes raise EWriteError.
class TFileStream : public TStream {
public:
    explicit TFileStream(const std::string& fileName) : File(fileName) {}
    explicit TFileStream(const FilePath& path) : File(path) {}
    std::size_t Write(const void* data, std::size_t count) override;
    // Flushes and puts the file in place; without it the target stays.
    void Close() { File.Close(); }

private:
    OutputFile File;
};

class TMemoryStream : public TStream {
public:
    std::size_t Write(const void* data, std::size_t count) override;
    const std::vector<std::uint8_t>& Bytes() const { return Data; }
    std::vector<std::uint8_t> Take() { return std::move(Data); }
    void Clear() { Data.clear(); }

private:
    std::vector<std::uint8_t> Data;
};

} // namespace sorvak
