#pragma once

#include <filesystem>
#include <optional>
#include <string_view>

// The files that a save of the games file makes beside it. A save builds the new games
// file in a hidden temporary file of its own, ".NAME.XXXXXX.tmp" (NAME the games
// file's name, XXXXXX six random letters or digits), in the games file's folder, and
// renames it over the games file. A save that is killed leaves that temporary behind
// and nothing else; the next start of the program removes it.

// A temporary file just created for a save; its descriptor belongs to the caller.
struct SaveTemporary {
    int descriptor = -1;
    std::filesystem::path path;
};

// The file that a save of `games` replaces: the file a symbolic link names, so that
// the link stays a link; `games` itself otherwise.
[[nodiscard]] std::filesystem::path ResolvedGamesPath(const std::filesystem::path& games);

// Creates a new, empty temporary file with a name no other file has, for a save of
// `games` (already resolved), open for writing. std::nullopt (errno set) when it
// cannot be created.
[[nodiscard]] std::optional<SaveTemporary> CreateSaveTemporary(const std::filesystem::path& games);

// True when `fileName` is the name of a save temporary of the games file named
// `gamesName`, as CreateSaveTemporary makes them.
[[nodiscard]] bool IsSaveTemporaryName(std::string_view fileName, std::string_view gamesName);

// Removes the temporaries that interrupted saves of `games` left in its folder: plain
// files of this user whose names match the pattern exactly; nothing else is touched.
// Call it only while no save of the same games file can run (the games file's lock is
// held). Returns how many files were removed.
int RemoveStaleSaveFiles(const std::filesystem::path& games);
