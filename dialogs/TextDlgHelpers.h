#pragma once
// Small rules shared by the text dialogs: file names (FilterExtension for
// filter strings), and the extended dialog calls that carry the places-bar
// wish.
#include "base/CodePage.h"
#include "dialogs/FileDialogService.h"
#include "dialogs/FilterExtension.h"

#include <string>
#include <string_view>

namespace sorvak {

// The places-bar wish of the dialog about to run; set by the text dialogs
// right before their extended call, read by it.
extern bool PlacesBarWanted;

// True only for an existing regular file, links followed. A name holding "*"
// or "?" is never one, and nothing on disk is asked for it. Folders, FIFOs,
// devices and sockets are not, so nothing can block on opening them.
bool PlainFileExists(const std::string& name);

// 1-based position of the byte at which the count of bytes equal to ch
// reaches n; 0 when text is empty, n < 1 or there are fewer. Bytes singly.
int NthCharPos(char ch, std::string_view text, int n);

// The name with its extension replaced by ext (appended when it has none).
// "/" is the only separator; a leading dot of the last component starts no
// extension (".profile"); an empty name or last component gets "*" + ext.
std::string ReplaceExtension(std::string_view name, std::string_view ext,
                             int codePage = codepage::System());

// The extension of the last component, dot included, lower-cased in ASCII
// only; "" when it has none (a leading dot starts none).
std::string LowerFileExtension(std::string_view name, int codePage = codepage::System());

// The dialog calls of an extended system: a private full-size request whose
// FlagsEx follows PlacesBarWanted, copied back when the call returns.
int ExtendedOpenCall(FileDialogService& service, OpenFileNameRequest& request);
int ExtendedSaveCall(FileDialogService& service, OpenFileNameRequest& request);

} // namespace sorvak
