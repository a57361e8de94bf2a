#pragma once

#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>

// The device owner's name and e-mail address, kept for the whole run in two
// program-wide texts and stored in the device settings file, section [Owner], keys
// Name and E-mail. The name decides whose turn it is in a game.

// Longest name or address kept, in UTF-16 units.
inline constexpr std::size_t kOwnerTextLength = 127;

// The owner's name; empty until loaded or set. The text is the program's.
const std::u16string& OwnerName();

// The owner's e-mail address; empty until loaded or set. The text is the program's.
const std::u16string& OwnerEmail();

// Reads the owner's name and address from the settings file at `settingsPath`, each
// cut to kOwnerTextLength. A missing or unreadable file, section or key leaves the
// value empty.
void LoadOwnerIdentity(const std::filesystem::path& settingsPath);

// Writes both values to the settings file at `settingsPath` (creating the file, the
// folder and the section when missing), keeping every other line of the file. Returns
// 0, or an errno value when the file could not be read or written; an existing file
// that cannot be read is left as it is.
int SaveOwnerIdentity(const std::filesystem::path& settingsPath);

// Replaces both values with copies of `name` and `email`, each cut to
// kOwnerTextLength.
void SetOwnerIdentity(std::u16string_view name, std::u16string_view email);

// True when the owner is `playerToMove` (the White tag when White is to move, else
// the Black tag): the names are compared without regard to letter case. The e-mail
// address plays no part.
bool IsOwnerToMove(std::u16string_view playerToMove);

// Compares two texts without regard to letter case (Latin, Greek and Cyrillic letters).
bool EqualsIgnoringLetterCase(std::u16string_view a, std::u16string_view b);
