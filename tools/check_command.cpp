#include "tools/check_command.h"

#include <cstdint>
#include <string>
#include <vector>

#include "game/game_document.h"
#include "pgn/game_reader.h"
#include "pgn/games_file.h"
#include "pgn/games_file_scan.h"
#include "platform/buffered_file.h"
#include "platform/text_codec.h"
#include "tools/pgn_tool.h"
#include "tools/tool_file.h"

int RunCheckCommand(const std::filesystem::path& path, std::ostream& out, std::ostream& err) {
    BufferedFile file;
    if (!OpenForCommand(file, path, err)) {
        return kToolCannotRun;
    }
    // Only the offsets are kept; each game is then read through the same open file,
    // in file order, so its buffer serves game after game.
    std::vector<std::uint64_t> offsets;
    ScanGamesFile(
        file, [&](std::unique_ptr<GameListEntry> entry) { offsets.push_back(entry->fileOffset); });
    if (!ReadWentWell(file, path, err)) {
        return kToolCannotRun;
    }
    GamesFile games(path);
    std::size_t failed = 0;
    for (const std::uint64_t offset : offsets) {
        GameDocument document(&games);
        const int code =
            LoadGameFromFile(file, document, offset, static_cast<std::uint32_t>(offsets.size()));
        if (code != kReadOk) {
            ++failed;
            out << offset << '\t' << code << '\t' << EncodeUtf8(ReadErrorText(code)) << '\n';
        }
    }
    if (!ReadWentWell(file, path, err)) {
        return kToolCannotRun;
    }
    out << offsets.size() << " games, " << failed << " failed\n";
    return failed == 0 ? kToolOk : kToolSomeFailed;
}
