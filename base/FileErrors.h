#pragma once
// The failures of creating and writing files, with the system's texts.
#include "base/Exception.h"

#include <string>

namespace sorvak {

// "ファイル "%s". %s を作成できません": the path made absolute, then the
// system's text for errnum, both turned from the ANSI code page into UTF-8.
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

} // namespace sorvak
