#pragma once
// Thunar keeps its custom actions in the user's own uca.xml, which the user
// edits too: ours goes in as one more <action>, every byte of the others kept.
#include <optional>
#include <string>

namespace sorvak::filemanagers {

// The unique-id of our action in uca.xml.
inline constexpr const char* ThunarActionId = "sorvak-paste-clipboard-as-file";

enum class ThunarEdit { Added, AlreadyThere, NotUnderstood };

struct ThunarEditResult {
    ThunarEdit Outcome;
    std::string Text; // the file's new text when Added
};

// existing: the file's text, or nullopt when there is no file yet.
// program: the full path of the program the action starts.
ThunarEditResult AddThunarAction(const std::optional<std::string>& existing,
                                 const std::string& program);

} // namespace sorvak::filemanagers
