#include "tools/list_command.h"

#include <array>
#include <charconv>
#include <string>

#include "pgn/game_list_columns.h"
#include "pgn/games_file_scan.h"
#include "platform/buffered_file.h"
#include "platform/text_codec.h"
#include "tools/pgn_tool.h"
#include "tools/tool_file.h"

namespace {

// Appends `text` in UTF-8; plain ASCII, the usual case, goes straight in (the row's
// storage is reused from row to row, so appending a byte rarely grows it).
void AppendUtf8(std::string& out, std::u16string_view text) {
    const std::size_t start = out.size();
    for (const char16_t c : text) {
        if (c >= 0x80) {
            out.resize(start);
            out += EncodeUtf8(text);
            return;
        }
        out.push_back(static_cast<char>(c));
    }
}

}  // namespace

ToolExit RunListCommand(const CommandFile& file, std::ostream& out, std::ostream& err) {
    BufferedFile opened;
    if (!OpenForCommand(opened, file, err)) {
        return ToolExit::CannotRun;
    }
    // Each entry is printed as it is found and then dropped: the index of a large
    // file never sits in memory.
    std::string row;
    const ScanSummary summary = ScanGamesFile(opened, [&](std::unique_ptr<GameListEntry> entry) {
        std::array<char, 24> digits{};
        const auto end =
            std::to_chars(digits.data(), digits.data() + digits.size(), entry->fileOffset).ptr;
        row.assign(digits.data(), end);
        for (const ColumnParts column :
             {WhiteColumn(*entry), BlackColumn(*entry), LastColumn(*entry)}) {
            row += '\t';
            AppendUtf8(row, column.mark);
            AppendUtf8(row, column.text);
        }
        row += '\n';
        out.write(row.data(), static_cast<std::streamsize>(row.size()));
    });
    if (!ReadWentWell(opened, file, err)) {
        return ToolExit::CannotRun;
    }
    if (summary.unlistedGames > 0) {
        err << summary.unlistedGames << (summary.unlistedGames == 1 ? " game" : " games")
            << " not listed: tags incomplete (" << RosterTagNames(summary.missingTags) << ")\n";
    }
    return ToolExit::Ok;
}
