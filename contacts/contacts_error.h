#pragma once

#include <filesystem>
#include <string>
#include <string_view>

// The address book's error box: "Cannot <action> the address book <path>: <reason>",
// the reason being the system's text for `code` (an errno value), with the failed
// step's caption and no icon. Goes through the error-box callback of the platform
// layer.
void ShowAddressBookError(int code, std::u16string_view caption, std::u16string_view action,
                          const std::filesystem::path& path);

// The text of that box; without a path it names the address book alone.
std::u16string AddressBookErrorText(int code, std::u16string_view action,
                                    const std::filesystem::path& path);
