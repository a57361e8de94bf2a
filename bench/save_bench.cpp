// Times SaveGame on one game in the middle of a large games file: the whole file is
// copied around the game's new text, synced and renamed. Prints the median of RUNS
// saves in seconds, for bench/save_bench.sh to set beside cp.
// Usage: save_bench FILE [RUNS]
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "game/game_document.h"
#include "pgn/game_reader.h"
#include "pgn/games_file.h"
#include "pgn/games_file_update.h"

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "Usage: save_bench FILE [RUNS]\n");
        return 2;
    }
    const int runs = argc > 2 ? std::max(1, std::atoi(argv[2])) : 7;
    GamesFile games(argv[1]);
    if (!games.Reload() || games.entryCount() == 0) {
        std::fprintf(stderr, "save_bench: no games in %s\n", argv[1]);
        return 2;
    }
    const GameListEntry* middle = games.firstEntry();
    for (std::size_t i = 0; i < games.entryCount() / 2; ++i) {
        middle = middle->nextEntry.get();
    }
    GameDocument document(&games);
    if (LoadGameForUpdate(document, middle->fileOffset, 2) != ReadCode::Ok) {
        std::fprintf(stderr, "save_bench: the middle game does not load\n");
        return 2;
    }
    std::vector<double> seconds;
    for (int run = 0; run < runs; ++run) {
        const auto start = std::chrono::steady_clock::now();
        if (SaveGame(document) != SaveResult::Ok) {
            std::fprintf(stderr, "save_bench: the save failed\n");
            return 1;
        }
        seconds.push_back(
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    }
    std::sort(seconds.begin(), seconds.end());
    std::printf("%.3f\n", seconds[seconds.size() / 2]);
    return 0;
}
