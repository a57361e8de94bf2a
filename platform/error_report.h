#pragma once

#include <functional>
#include <string>
#include <string_view>

// An error box that a layer below the screens asks for: the screens turn it into a
// message box, the tests record it.
struct ErrorBox {
    enum class Icon { None, Error };
    std::u16string text;
    std::u16string caption;
    Icon icon = Icon::Error;
};

using ErrorBoxHandler = std::function<void(const ErrorBox&)>;

// Installs the process-wide handler and returns the previous one. Without a handler
// the box goes to the debug sink.
ErrorBoxHandler SetErrorBoxHandler(ErrorBoxHandler handler);

// Hands `box` to the installed handler.
void ShowErrorBox(const ErrorBox& box);

// The system's text for an error code (errno), or "Err 0x%08X" with the code when
// the system has none; at most 512 characters.
std::u16string SystemErrorText(int code);

// An error box with the error icon, the caller's caption and the system's text for
// `code`.
void ShowSystemError(int code, std::u16string_view caption);

// ShowSystemError with the string-table entry `stringId` as caption, or "Message not
// available" when the table has no such entry.
void ShowResourceError(int code, int stringId);
