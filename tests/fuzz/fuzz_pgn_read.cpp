// Feeds arbitrary bytes, as a games file, to the index scan and to the game reader:
// every listed game, and the game at an offset chosen by the input.
#include <cstddef>
#include <cstdint>
#include <string>

#include "game/game_document.h"
#include "pgn/game_reader.h"
#include "pgn/games_file.h"
#include "rules/fen.h"
#include "tests/support/memory_file.h"

namespace {

void LoadAt(GamesFile& games, std::uint64_t offset) {
    GameDocument document(&games);
    const ReadResult result = LoadGame(document, offset, 0);
    if (result == ReadCode::Ok) {
        // A loaded game ends inside the file, after it starts.
        if (document.fileEnd < offset) {
            __builtin_trap();
        }
        (void)WriteFen(document.root);
    }
    (void)ReadErrorText(result);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const MemoryFile file({reinterpret_cast<const char*>(data), size});
    if (!file.ok()) {
        return 0;
    }
    GamesFile games(file.path());
    if (!games.Reload()) {
        return 0;
    }
    for (const GameListEntry* entry = games.firstEntry(); entry; entry = entry->nextEntry.get()) {
        if (entry->fileOffset >= size) {
            __builtin_trap();
        }
        LoadAt(games, entry->fileOffset);
    }
    LoadAt(games, 0);
    if (size > 2) {
        LoadAt(games, (data[0] | (data[1] << 8)) % size);
    }
    return 0;
}
