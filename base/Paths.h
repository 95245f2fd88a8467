#pragma once
// Path rules with "/" as the only separator; the root "/" plays the part of
// a drive root.
#include <string>
#include <string_view>

namespace sorvak {

// The folder of a file: the path cut after its last "/", and that "/"
// dropped too unless it is the first character or follows another "/".
// "/a.png" gives "/", "/home/u/a.png" gives "/home/u", "a.png" gives "".
std::string FolderOf(std::string_view path);
// The path up to and including its last "/" ("" without one).
std::string FolderWithSeparator(std::string_view path);
// The part after the last "/".
std::string FileNameOf(std::string_view path);
// The file name without its extension (from its last ".").
std::string BaseNameOf(std::string_view path);

// The running program file's full path (/proc/self/exe); "" when unknown.
std::string ProgramPath();
// The program's folder: FolderOf(ProgramPath()).
std::string ProgramFolder();
// The program file's name without folder and extension ("sorvak").
std::string ProgramBaseName();

} // namespace sorvak
