#include "tools/check_command.h"

#include <cstdint>
#include <string>

#include "pgn/game_reader.h"
#include "pgn/games_file_scan.h"
#include "platform/text_codec.h"
#include "tools/pgn_tool.h"
#include "tools/tool_file.h"

ToolExit RunCheckCommand(const CommandFile& file, std::ostream& out, std::ostream& err) {
    std::size_t failed = 0;
    const std::optional<FileGamesSummary> summary =
        LoadEveryGame(file, err, [&](const LoadedFileGame& game) {
            if (game.result.code != ReadCode::Ok) {
                ++failed;
                out << game.offset << '\t' << static_cast<int>(game.result.code) << '\t'
                    << EncodeUtf8(ReadErrorText(game.result)) << '\n';
            }
        });
    if (!summary) {
        return ToolExit::CannotRun;
    }
    out << summary->games << " games, " << failed << " failed";
    if (summary->unlisted > 0) {
        out << ", " << summary->unlisted
            << " not listed (tags incomplete: " << RosterTagNames(summary->missingTags)
            << "; the first at offset " << summary->firstUnlistedOffset << ")";
    }
    out << '\n';
    return failed == 0 ? ToolExit::Ok : ToolExit::SomeFailed;
}
