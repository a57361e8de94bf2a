#include "tools/check_command.h"

#include <cstdint>

#include "pgn/game_reader.h"
#include "platform/text_codec.h"
#include "tools/pgn_tool.h"
#include "tools/tool_file.h"

int RunCheckCommand(const std::filesystem::path& path, std::ostream& out, std::ostream& err) {
    std::size_t failed = 0;
    const std::optional<std::size_t> games =
        LoadEachIndexedGame(path, err, [&](std::uint64_t offset, int code, GameDocument&) {
            if (code != kReadOk) {
                ++failed;
                out << offset << '\t' << code << '\t' << EncodeUtf8(ReadErrorText(code)) << '\n';
            }
        });
    if (!games) {
        return kToolCannotRun;
    }
    out << *games << " games, " << failed << " failed\n";
    return failed == 0 ? kToolOk : kToolSomeFailed;
}
