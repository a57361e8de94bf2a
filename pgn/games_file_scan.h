#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "game/game_list_entry.h"
#include "platform/read_progress.h"

class BufferedFile;

// What a scan found besides the games it lists: the games whose seven roster tags are
// not all present, which the games list does not show.
struct ScanSummary {
    std::size_t unlistedGames = 0;
    std::uint64_t firstUnlistedOffset = 0;  // meaningful when unlistedGames > 0
    unsigned missingTags = 0;               // RosterTagsMissing of all of them, joined
};

// Receives each entry of the games index as soon as it is complete, and owns it from
// then on.
using GameEntryConsumer = std::function<void(std::unique_ptr<GameListEntry> entry)>;

// Receives every game of a file, listed or not: its entry (tags and the offset of its
// first tag line, owned from then on), where its text ends (the next game's first tag
// line or the end of the file) and whether it has a line of move text.
using ScannedGameVisitor =
    std::function<void(std::unique_ptr<GameListEntry> entry, std::uint64_t end, bool hasMoveText)>;

// Reads the open `file` from its start and finds every game: a run of tag lines and
// the move text after it, up to the next line that starts with "[" outside a comment
// (a "{" still open at a line's end and a ";" comment are followed, as the game reader
// follows them). Lines before the first tag line and escape lines ("%") belong to no
// game. Reading stops quietly at a read failure. `progress`, when set, is told the
// count of games visited after each one, and stops the scan when it returns false.
void ScanEveryGame(BufferedFile& file, const ScannedGameVisitor& visit,
                   const ReadProgress& progress = {});

// ScanEveryGame that hands `consumer` the games the games list shows: those whose
// seven roster tags are present and that have move text. The games left out for
// missing tags are counted in the summary. `progress` as for ScanEveryGame.
ScanSummary ScanGamesFile(BufferedFile& file, const GameEntryConsumer& consumer,
                          const ReadProgress& progress = {});

// The roster tags that `headers` lacks, one bit each in the order of RosterTagNames.
[[nodiscard]] unsigned RosterTagsMissing(const GameHeaders& headers);

// The names of the tags of a RosterTagsMissing mask, joined by ", ", in the order
// White, Black, Event, Site, Date, Round, Result.
[[nodiscard]] std::string RosterTagNames(unsigned missing);
