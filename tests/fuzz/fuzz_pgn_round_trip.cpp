// Reads the first game of arbitrary bytes and, when it loads, writes it, reads the
// written text back and writes it again: both texts must be the same, and the
// written text must load.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "game/game_document.h"
#include "pgn/game_reader.h"
#include "pgn/games_file.h"
#include "pgn/pgn_writer.h"
#include "pgn/string_sink.h"
#include "tests/support/memory_file.h"

namespace {

std::string Written(const GameDocument& document) {
    StringSink sink;
    WritePgnGame(document, sink);
    return sink.text;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const MemoryFile input({reinterpret_cast<const char*>(data), size});
    if (!input.ok()) {
        return 0;
    }
    GamesFile inputFile(input.path());
    GameDocument first(&inputFile);
    // Only games with a Result tag are listed, and so opened and saved, by the
    // program; a game without one is written without a result mark, as it came.
    if (LoadGame(first, 0, 3) != ReadCode::Ok || first.result < GameResult::WhiteWins ||
        first.result > GameResult::Other) {
        return 0;
    }
    const std::string firstText = Written(first);
    const MemoryFile written(firstText);
    GamesFile writtenFile(written.path());
    GameDocument second(&writtenFile);
    if (LoadGame(second, 0, 3) != ReadCode::Ok) {
        __builtin_trap();
    }
    if (Written(second) != firstText) {
        __builtin_trap();
    }
    return 0;
}
