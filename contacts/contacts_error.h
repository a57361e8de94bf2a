#pragma once

#include <string>
#include <string_view>

// The address book's error box: the system's text for `code` (an errno value), or
// "Err : 0x%08X" with the code when the system has none, with the failed step's
// caption and no icon. Goes through the error-box callback of the platform layer.
void ShowContactsError(int code, std::u16string_view caption);

// The text of that box.
std::u16string ContactsErrorText(int code);
