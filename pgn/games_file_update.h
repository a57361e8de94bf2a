#pragma once

#include <cstdint>
#include <memory>

class GameDocument;
class GamesFile;

// Results of saving, with the values of S_OK and E_FAIL.
using SaveResult = std::int32_t;
inline constexpr SaveResult kSaveOk = 0;
inline constexpr SaveResult kSaveFailed = static_cast<SaveResult>(0x80004005u);

// The caption of the error box of a failed save; its text is the games file's path.
inline constexpr char16_t kUnableToSaveGame[] = u"Unable to save game";

// Writes the document back into its slot of its games file (fileOffset to fileEnd),
// leaving every other byte of the file as it was. The new file is built beside the
// games file in its ".bak" file, synced to the disk and renamed over the games file,
// so a crash at any moment leaves either the old file or the new one. The file is
// rewritten with the game alone only when saveMode is below 2 and nothing but blank
// lines lies outside the slot. Returns kSaveOk and updates fileOffset and fileEnd; or
// kSaveFailed after the "Unable to save game" error box, with the games file untouched
// and no ".bak" file left. Once the new file is renamed into place the save counts as
// done, even when the folder cannot be synced afterwards.
SaveResult SaveGame(GameDocument& document);

// Adds a new game at the end of `gamesFile` (created when missing; after a blank line
// otherwise) through SaveGame, then appends the document to the file's index, which
// takes ownership: `document` is left null. On kSaveFailed (after the error box) the
// document stays with the caller, and the games file is untouched.
SaveResult AppendNewGame(std::unique_ptr<GameDocument>& document, GamesFile& gamesFile);

// Copies `count` bytes, or everything up to the end of the source when `count` is
// -1, from the current position of `source` to the current position of `target`
// (both descriptors stay the caller's; both positions advance). Uses the kernel's copy
// where it can, else a large buffer. A source that ends early ends the copy. Returns
// false when a read or write fails; `copied` (optional) receives the bytes copied.
bool CopyFileBytes(int target, int source, std::int64_t count, std::uint64_t* copied = nullptr);
