#pragma once
// Creating and writing files the way every writer of the program does:
// create or replace, write all bytes, and fail with the system's texts.
#include "Exception.h"

#include <string>
#include <string_view>

namespace sorvak {

// "ファイル "%s". %s を作成できません": the path made absolute, then the
// system's text for errnum.
std::string CannotCreateFileMessage(const std::string& path, int errnum);

// The path joined to the current folder when relative, with "." and ".."
// resolved by name. Empty text stays empty.
std::string AbsolutePath(const std::string& path);

// A file that could not be created.
class EFCreateError : public Exception {
public:
    EFCreateError(const std::string& path, int errnum);
};

// Fewer bytes reached the file than were asked for: "ストリームへの書き込みエラー".
class EWriteError : public Exception {
public:
    EWriteError();
};

// A file created (or emptied when it exists) for reading and writing; closed
// when the object ends.
class OutputFile {
public:
    // Throws EFCreateError.
    explicit OutputFile(const std::string& path);
    ~OutputFile();
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    // Writes every byte or throws EWriteError; what was written stays.
    void Write(std::string_view bytes);
    // Closes now; a failure the system reports only at closing (a full disk
    // behind a network mount) throws EWriteError.
    void Close();

private:
    int fd_ = -1;
};

// Creates or replaces the file and writes the bytes: OutputFile, Write, Close.
void WriteWholeFile(const std::string& path, std::string_view bytes);

} // namespace sorvak
