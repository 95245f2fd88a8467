#pragma once
// File names between the program and the file system. The program's names
// are strings in the locale's code page (its name rules work on them); the
// file system and the file dialog name files in UTF-8 whatever the locale,
// so a name is turned into UTF-8 where it reaches a system call and back
// where it comes from one. In a UTF-8 locale nothing changes.
#include "base/CodePage.h"

#include <string>
#include <string_view>

namespace sorvak {

// The bytes the file system knows the name by.
std::string SystemFileName(std::string_view name, int codePage = codepage::System());
// The program's name for bytes the file system gave (readlink, getenv).
std::string FileNameFromSystem(std::string_view bytes, int codePage = codepage::System());

} // namespace sorvak
