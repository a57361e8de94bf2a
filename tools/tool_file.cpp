#include "tools/tool_file.h"

#include <vector>

#include "game/game_document.h"
#include "pgn/game_reader.h"
#include "pgn/games_file.h"
#include "pgn/games_file_scan.h"
#include "platform/buffered_file.h"
#include "platform/error_report.h"
#include "platform/text_codec.h"

namespace {

void ReportUnreadable(const std::filesystem::path& path, int error, std::ostream& err) {
    err << "korvani-pgn: cannot read " << path.string() << ": "
        << EncodeUtf8(SystemErrorText(error)) << '\n';
}

}  // namespace

bool OpenForCommand(BufferedFile& file, const std::filesystem::path& path, std::ostream& err) {
    const int error = file.Open(path);
    if (error != 0) {
        ReportUnreadable(path, error, err);
        return false;
    }
    return true;
}

bool ReadWentWell(const BufferedFile& file, const std::filesystem::path& path, std::ostream& err) {
    if (file.Failed()) {
        ReportUnreadable(path, file.ReadError(), err);
        return false;
    }
    return true;
}

std::optional<std::size_t> LoadEachIndexedGame(const std::filesystem::path& path, std::ostream& err,
                                               const IndexedGameVisitor& visit) {
    BufferedFile file;
    if (!OpenForCommand(file, path, err)) {
        return std::nullopt;
    }
    // Only the offsets are kept; each game is then read through the same open file,
    // in file order, so its buffer serves game after game.
    std::vector<std::uint64_t> offsets;
    ScanGamesFile(
        file, [&](std::unique_ptr<GameListEntry> entry) { offsets.push_back(entry->fileOffset); });
    if (!ReadWentWell(file, path, err)) {
        return std::nullopt;
    }
    GamesFile games(path);
    for (const std::uint64_t offset : offsets) {
        GameDocument document(&games);
        const int code =
            LoadGameFromFile(file, document, offset, static_cast<std::uint32_t>(offsets.size()));
        visit(offset, code, document);
    }
    if (!ReadWentWell(file, path, err)) {
        return std::nullopt;
    }
    return offsets.size();
}
