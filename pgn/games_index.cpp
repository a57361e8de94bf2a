#include "pgn/games_index.h"

#include <utility>

#include "platform/buffered_file.h"

void GamesIndex::Append(std::unique_ptr<GameListEntry> entry) {
    GameListEntry* added = entry.get();
    if (lastEntry != nullptr) {
        lastEntry->nextEntry = std::move(entry);
    } else {
        firstEntry = std::move(entry);
    }
    lastEntry = added;
    ++entryCount;
}

GamesIndex ReadGamesIndex(const std::filesystem::path& path, const ReadProgress& progress) {
    GamesIndex index;
    // The same identity before the file is opened and after it is read shows that the
    // index was built from that one file, unchanged meanwhile.
    const std::optional<FileIdentity> before = IdentityOfFile(path);
    BufferedFile file;
    if (const int error = file.Open(path); error != 0) {
        index.openError = error;
        return index;
    }
    // Told on as long as the reader wants to go on; remembers that it asked to stop.
    const ReadProgress watched = [&](std::size_t games) {
        index.stopped = progress && !progress(games);
        return !index.stopped;
    };
    index.scan = ScanGamesFile(
        file, [&index](std::unique_ptr<GameListEntry> entry) { index.Append(std::move(entry)); },
        watched);
    if (before && before == IdentityOfFile(path)) {
        index.identity = before;
    }
    return index;
}
