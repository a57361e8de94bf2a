#pragma once

#include <memory>

#include "game/game_headers.h"

// One game of the games index: its tags and the owned link to the next entry.
// Destroying an entry destroys all entries after it, iteratively.
class GameListEntry : public GameHeaders {
public:
    GameListEntry() = default;
    ~GameListEntry() override;

    GameListEntry(const GameListEntry&) = delete;
    GameListEntry& operator=(const GameListEntry&) = delete;

    std::unique_ptr<GameListEntry> nextEntry;
};
