#pragma once

#include <functional>
#include <memory>

#include "game/game_list_entry.h"

class BufferedFile;

// Receives each entry of the games index as soon as it is complete, and owns it from
// then on.
using GameEntryConsumer = std::function<void(std::unique_ptr<GameListEntry> entry)>;

// Reads the open `file` from its start, tag lines only, and hands every game whose
// seven roster tags are present to `consumer`, with the byte offset of its first tag
// line, at the first line of move text after its tags. A game that lacks a roster tag
// takes the tags of the games after it until they are complete, keeping its own
// offset. An entry still incomplete at the end of the file is dropped. Reading stops
// quietly at a read failure.
void ScanGamesFile(BufferedFile& file, const GameEntryConsumer& consumer);
