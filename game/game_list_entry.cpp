#include "game/game_list_entry.h"

GameListEntry::~GameListEntry() {
    // Unchain the entries one at a time so that a long index never recurses.
    std::unique_ptr<GameListEntry> entry = std::move(nextEntry);
    while (entry) {
        entry = std::move(entry->nextEntry);
    }
}
