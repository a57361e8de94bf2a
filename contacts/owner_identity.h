#pragma once

#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>

// The device owner's name and e-mail address, stored in the device settings file,
// section [Owner], keys Name and E-mail. The name decides whose turn it is in a game;
// the address is the sender of every move. The program's start-up owns the one
// identity of a run and hands it to the screens that show or change it.

// Longest name or address kept, in UTF-16 units.
inline constexpr std::size_t kOwnerTextLength = 127;

struct OwnerIdentity {
    std::u16string name;   // empty when unknown
    std::u16string email;  // empty when unknown

    // Replaces both values with copies of `newName` and `newEmail`, each cut to
    // kOwnerTextLength.
    void Set(std::u16string_view newName, std::u16string_view newEmail);
};

// Reads the owner's name and address from the settings file at `settingsPath`, each
// cut to kOwnerTextLength. A missing or unreadable file, section or key gives an
// empty value.
[[nodiscard]] OwnerIdentity LoadOwnerIdentity(const std::filesystem::path& settingsPath);

// Writes both values of `owner` to the settings file at `settingsPath` (creating the
// file, the folder and the section when missing), keeping every other line of the
// file. Returns 0, or an errno value when the file could not be read or written; an
// existing file that cannot be read is left as it is.
[[nodiscard]] int SaveOwnerIdentity(const OwnerIdentity& owner,
                                    const std::filesystem::path& settingsPath);
