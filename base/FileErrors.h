#pragma once
// The failures of creating and writing files, with the system's texts.
#include "base/Exception.h"

#include <string>
#include <vector>

namespace sorvak {

// The two values of every message about a file ("ファイル "%s". %s ..."):
// the path (a code-page name) made absolute, then the system's text for
// errnum (in the locale's character set), both turned into UTF-8. Every
// file message takes them from here, so that each reaches the box through
// this one conversion.
std::vector<std::string> FileMessageArguments(const std::string& path, int errnum);

// "ファイル "%s". %s を作成できません".
std::string CannotCreateFileMessage(const std::string& path, int errnum);

// The path joined to the current folder when relative, with "." and ".."
// resolved by name. Empty text stays empty. Names in the code page.
std::string AbsolutePath(const std::string& path);

// A file that could not be created.
class EFCreateError : public Exception {
public:
    EFCreateError(const std::string& path, int errnum);
};

// Fewer bytes reached the file than were asked for: "ストリームへの書き込みエラー",
// the box's text. The command line names the cause as well: what was written
// (a code-page name, or the name of a stream) and the system's errno, 0 where
// the system gave none.
class EWriteError : public Exception {
public:
    explicit EWriteError(std::string target = {}, int errnum = 0);
    const std::string& Target() const { return target_; }
    int Errno() const { return errno_; }

private:
    std::string target_;
    int errno_;
};

} // namespace sorvak
