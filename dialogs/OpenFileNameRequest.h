#pragma once
// The system dialog's request record: what the run step fills in and what the
// dialog call leaves in it. Strings are bytes in the ANSI code page.
#include <climits>
#include <cstdint>
#include <string>
#include <vector>

namespace sorvak {

class OpenFileNameHook;

// Request flags (Flags) that the run step and the system dialog use.
namespace ofn {
constexpr std::uint32_t ReadOnly = 0x1;
constexpr std::uint32_t OverwritePrompt = 0x2;
constexpr std::uint32_t HideReadOnly = 0x4;
constexpr std::uint32_t NoChangeDir = 0x8;
constexpr std::uint32_t ShowHelp = 0x10;
constexpr std::uint32_t EnableHook = 0x20;
constexpr std::uint32_t EnableTemplate = 0x40;
constexpr std::uint32_t NoValidate = 0x100;
constexpr std::uint32_t AllowMultiSelect = 0x200;
constexpr std::uint32_t ExtensionDifferent = 0x400;
constexpr std::uint32_t PathMustExist = 0x800;
constexpr std::uint32_t FileMustExist = 0x1000;
constexpr std::uint32_t CreatePrompt = 0x2000;
constexpr std::uint32_t ShareAware = 0x4000;
constexpr std::uint32_t NoReadOnlyReturn = 0x8000;
constexpr std::uint32_t NoTestFileCreate = 0x10000;
constexpr std::uint32_t NoNetworkButton = 0x20000;
constexpr std::uint32_t NoLongNames = 0x40000;
constexpr std::uint32_t Explorer = 0x80000;
constexpr std::uint32_t NoDereferenceLinks = 0x100000;
constexpr std::uint32_t EnableIncludeNotify = 0x400000;
constexpr std::uint32_t EnableSizing = 0x800000;
constexpr std::uint32_t DontAddToRecent = 0x2000000;
constexpr std::uint32_t ForceShowHidden = 0x10000000;
// FlagsEx
constexpr std::uint32_t ExNoPlacesBar = 0x1;

// Record sizes: the classic form, and the full form ending with FlagsEx.
constexpr std::uint32_t ClassicSize = 76;
constexpr std::uint32_t FullSize = 88;
// File buffer capacities (nMaxFile). One name may be as long as the system
// takes a path (PATH_MAX with its NUL); a code-page name is never longer
// than its UTF-8 form, which is what the system measures.
constexpr std::uint32_t SingleCapacity = PATH_MAX;
constexpr std::uint32_t MultiCapacity = 65519;
} // namespace ofn

struct OpenFileNameRequest {
    std::uint32_t lStructSize = 0;
    std::uint32_t Flags = 0;
    std::uint32_t FlagsEx = 0;
    // Pairs of NUL-terminated parts, the list ended by one more NUL; empty for
    // no filter.
    std::string lpstrFilter;
    std::uint32_t nFilterIndex = 0;
    // nMaxFile + 2 bytes; the name is NUL-terminated inside the first nMaxFile.
    std::vector<char> lpstrFile;
    std::uint32_t nMaxFile = 0;
    std::string lpstrInitialDir;
    std::string lpstrTitle;
    std::string lpstrDefExt; // empty: none
    std::string lpTemplateName;
    // Receives the notifications while the dialog is shown (the hook).
    OpenFileNameHook* lpfnHook = nullptr;

    // The file buffer's text up to its first NUL.
    std::string FileText() const;
    // Puts a name into the buffer, cut at its capacity, NUL-terminated.
    void SetFileText(const std::string& name);
};

} // namespace sorvak
