#pragma once
// The program's modal message boxes.
#include <exception>
#include <string>
#include <string_view>

namespace sorvak::platform {

// The error box's text: "." is appended when the message is not empty and its
// last byte sorts after "." (a double-byte last character counts as its bytes).
std::string ErrorBoxText(std::string_view message);

// Error box: caption the application title, stop icon, one OK button.
// Every message text is UTF-8, from where it is made to this box.
void ShowErrorBox(std::string_view message);
// Shows a failure as the error box; an abort-class failure is shown by nobody.
void ShowException(const std::exception& failure);
// Information box: information icon, one "OK" that is default and escape
// button, centred on the screen. Texts in UTF-8.
void ShowInformationBox(const std::string& caption, const std::string& text);

} // namespace sorvak::platform
