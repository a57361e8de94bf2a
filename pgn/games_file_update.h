#pragma once

#include <cstdint>
#include <memory>

#include "pgn/game_reader.h"

class GameDocument;
class GamesFile;

// Results of saving, with the values of S_OK and E_FAIL.
enum class [[nodiscard]] SaveResult : std::int32_t{
    Ok = 0,
    Failed = static_cast<std::int32_t>(0x80004005u),
};

// The caption of the error box of a failed save; its text is the games file's path.
inline constexpr char16_t kUnableToSaveGame[] = u"Unable to save game";

// The box that tells the player his game went to the end of the games file because
// its place in the file could not be found again; the games file's path follows the
// text. No icon, like the program's other notices.
inline constexpr char16_t kSavedAsNewGameCaption[] = u"Korvani";
inline constexpr char16_t kSavedAsNewGameText[] =
    u"The games file was changed by another program and this game could not be found "
    u"in it with certainty. To lose nothing, the game was saved as a new game at the "
    u"end of the file:\n";

// LoadGame (see pgn/game_reader.h), and on success also keeps in the document the
// bytes of the slot just read (slotText) and, when the file is the one the index
// describes, a fingerprint of it (slotFileStamp), so that SaveGame can find the slot
// again. slotText stays empty when the file changed while the game was read; SaveGame
// then saves the game as a new game.
ReadResult LoadGameForUpdate(GameDocument& document, std::uint64_t offset, std::uint32_t saveMode);

// Writes the document back into its slot of its games file (fileOffset to fileEnd),
// leaving every other byte of the file as it was. The slot is taken only where the
// file still holds the bytes that slotText recorded: at fileOffset when the file is
// still in the state slotFileStamp names (device, inode, size, modification and
// status times), otherwise at the one listed game of the file, read again, that
// begins with them. When they cannot be found with certainty, the game is added at
// the end of the file as a new game and the "saved as a new game" box says so; a game
// whose slot is empty (a new game) goes to the end without a box. The new file is
// built beside the games file under a hidden temporary name (save_files.h), synced to
// the disk and renamed over the games file, so a crash at any moment leaves the old
// file or the new one. The file is rewritten with the game alone only when saveMode
// is below 2 and nothing but blank lines lies outside the slot. Returns SaveResult::Ok with
// fileOffset, fileEnd, slotText and slotFileStamp following the new file, and the
// index's identity following it too when the index described the old file and none
// of its games moved (otherwise the identity is forgotten); or SaveResult::Failed after the
// "Unable to save game" error box, with the games file untouched. Once the new file
// is renamed into place the save counts as done, even when the folder cannot be
// synced afterwards.
SaveResult SaveGame(GameDocument& document);

// Adds a new game at the end of `gamesFile` (created when missing; after a blank line
// otherwise) through SaveGame, then appends the document to the file's index, which
// takes ownership: `document` is left null. On SaveResult::Failed (after the error box) the
// document stays with the caller, and the games file is untouched.
SaveResult AppendNewGame(std::unique_ptr<GameDocument>& document, GamesFile& gamesFile);

// Copies `count` bytes, or everything up to the end of the source when `count` is
// -1, from the current position of `source` to the current position of `target`
// (both descriptors stay the caller's; both positions advance). Uses the kernel's copy
// where it can, else a large buffer. A source that ends early ends the copy. Returns
// false when a read or write fails; `copied` (optional) receives the bytes copied.
[[nodiscard]] bool CopyFileBytes(int target, int source, std::int64_t count,
                                 std::uint64_t* copied = nullptr);
