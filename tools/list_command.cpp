#include "tools/list_command.h"

#include <string>

#include "pgn/game_list_columns.h"
#include "pgn/games_file_scan.h"
#include "platform/buffered_file.h"
#include "platform/text_codec.h"
#include "tools/pgn_tool.h"
#include "tools/tool_file.h"

int RunListCommand(const std::filesystem::path& path, std::ostream& out, std::ostream& err) {
    BufferedFile file;
    if (!OpenForCommand(file, path, err)) {
        return kToolCannotRun;
    }
    // Each entry is printed as it is found and then dropped: the index of a large
    // file never sits in memory.
    std::string row;
    ScanGamesFile(file, [&](std::unique_ptr<GameListEntry> entry) {
        row = std::to_string(entry->fileOffset);
        for (const std::u16string& column :
             {WhiteColumnText(*entry), BlackColumnText(*entry), LastColumnText(*entry)}) {
            row += '\t';
            row += EncodeUtf8(column);
        }
        row += '\n';
        out.write(row.data(), static_cast<std::streamsize>(row.size()));
    });
    return ReadWentWell(file, path, err) ? kToolOk : kToolCannotRun;
}
