#include "tools/tool_file.h"

#include <algorithm>
#include <string_view>

#include "game/game_document.h"
#include "pgn/game_reader.h"
#include "pgn/games_file.h"
#include "pgn/games_file_scan.h"
#include "platform/buffered_file.h"
#include "platform/error_report.h"
#include "platform/text_codec.h"

void ReportUnreadable(const std::string& name, std::error_code error, std::ostream& err) {
    err << "korvani-pgn: cannot read " << name << ": " << EncodeUtf8(SystemErrorText(error.value()))
        << '\n';
}

bool OpenForCommand(BufferedFile& opened, const CommandFile& file, std::ostream& err) {
    const std::error_code error(opened.Open(file.path), std::generic_category());
    if (error) {
        ReportUnreadable(file.name, error, err);
        return false;
    }
    return true;
}

bool ReadWentWell(const BufferedFile& opened, const CommandFile& file, std::ostream& err) {
    if (opened.Failed()) {
        ReportUnreadable(file.name, std::error_code(opened.ReadError(), std::generic_category()),
                         err);
        return false;
    }
    return true;
}

std::optional<FileGamesSummary> LoadEveryGame(const CommandFile& file, std::ostream& err,
                                              const FileGameVisitor& visit) {
    // One handle finds the games, the other reads each one as soon as it is found, so
    // both go through the file once, in order.
    BufferedFile scanned;
    BufferedFile loaded;
    if (!OpenForCommand(scanned, file, err) || !OpenForCommand(loaded, file, err)) {
        return std::nullopt;
    }
    GamesFile games(file.path);
    FileGamesSummary summary;
    ScanEveryGame(scanned,
                  [&](std::unique_ptr<GameListEntry> entry, std::uint64_t end, bool hasMoveText) {
                      ++summary.games;
                      const bool complete = entry->IsComplete();
                      if (!complete) {
                          if (summary.unlisted++ == 0) {
                              summary.firstUnlistedOffset = entry->fileOffset;
                          }
                          summary.missingTags |= RosterTagsMissing(*entry);
                      }
                      GameDocument document(&games);
                      LoadedFileGame game;
                      game.offset = entry->fileOffset;
                      game.end = end;
                      game.listed = complete && hasMoveText;
                      game.result = LoadGameFromFile(loaded, document, game.offset, 2);
                      game.document = &document;
                      game.file = &loaded;
                      visit(game);
                  });
    if (!ReadWentWell(scanned, file, err) || !ReadWentWell(loaded, file, err)) {
        return std::nullopt;
    }
    return summary;
}

bool CopyFileRange(BufferedFile& file, std::uint64_t from, std::uint64_t to, std::ostream& out) {
    file.Seek(from);
    std::uint64_t left = to > from ? to - from : 0;
    while (left > 0) {
        const std::string_view bytes = file.Peek(
            static_cast<std::size_t>(std::min<std::uint64_t>(left, BufferedFile::kMaxPeek)));
        if (bytes.empty()) {
            return !file.Failed();
        }
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        file.Skip(bytes.size());
        left -= bytes.size();
    }
    return true;
}
