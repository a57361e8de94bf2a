#include "tools/list_command.h"

#include <string>

#include "pgn/game_list_columns.h"
#include "pgn/games_file_scan.h"
#include "platform/buffered_file.h"
#include "platform/text_codec.h"
#include "tools/pgn_tool.h"
#include "tools/tool_file.h"

namespace {

// Appends `text` in UTF-8; plain ASCII, the usual case, goes straight in.
void AppendUtf8(std::string& out, std::u16string_view text) {
    for (const char16_t c : text) {
        if (c >= 0x80) {
            out += EncodeUtf8(text);
            return;
        }
    }
    for (const char16_t c : text) {
        out += static_cast<char>(c);
    }
}

}  // namespace

int RunListCommand(const std::filesystem::path& path, std::ostream& out, std::ostream& err) {
    BufferedFile file;
    if (!OpenForCommand(file, path, err)) {
        return kToolCannotRun;
    }
    // Each entry is printed as it is found and then dropped: the index of a large
    // file never sits in memory.
    std::string row;
    const ScanSummary summary = ScanGamesFile(file, [&](std::unique_ptr<GameListEntry> entry) {
        row = std::to_string(entry->fileOffset);
        for (const std::u16string& column :
             {WhiteColumnText(*entry), BlackColumnText(*entry), LastColumnText(*entry)}) {
            row += '\t';
            AppendUtf8(row, column);
        }
        row += '\n';
        out.write(row.data(), static_cast<std::streamsize>(row.size()));
    });
    if (!ReadWentWell(file, path, err)) {
        return kToolCannotRun;
    }
    if (summary.unlistedGames > 0) {
        err << summary.unlistedGames << (summary.unlistedGames == 1 ? " game" : " games")
            << " not listed: tags incomplete (" << RosterTagNames(summary.missingTags) << ")\n";
    }
    return kToolOk;
}
