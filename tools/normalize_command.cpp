#include "tools/normalize_command.h"

#include <cstdint>
#include <string_view>
#include <vector>

#include "game/game_document.h"
#include "pgn/byte_sink.h"
#include "pgn/game_reader.h"
#include "pgn/games_file.h"
#include "pgn/games_file_scan.h"
#include "pgn/pgn_writer.h"
#include "platform/buffered_file.h"
#include "platform/text_codec.h"
#include "tools/pgn_tool.h"
#include "tools/tool_file.h"

namespace {

// Hands the writer's bytes to an output stream, which buffers them.
class StreamSink : public ByteSink {
public:
    explicit StreamSink(std::ostream& out) : out_(out) {}

    void Write(std::string_view bytes) override {
        out_.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    }

private:
    std::ostream& out_;
};

}  // namespace

int RunNormalizeCommand(const std::filesystem::path& path, std::ostream& out, std::ostream& err) {
    BufferedFile file;
    if (!OpenForCommand(file, path, err)) {
        return kToolCannotRun;
    }
    std::vector<std::uint64_t> offsets;
    ScanGamesFile(
        file, [&](std::unique_ptr<GameListEntry> entry) { offsets.push_back(entry->fileOffset); });
    if (!ReadWentWell(file, path, err)) {
        return kToolCannotRun;
    }
    GamesFile games(path);
    StreamSink sink(out);
    std::size_t failed = 0;
    for (const std::uint64_t offset : offsets) {
        GameDocument document(&games);
        const int code =
            LoadGameFromFile(file, document, offset, static_cast<std::uint32_t>(offsets.size()));
        if (code != kReadOk) {
            ++failed;
            err << offset << ": " << EncodeUtf8(ReadErrorText(code)) << '\n';
            continue;
        }
        WritePgnGame(document, sink);
    }
    if (!ReadWentWell(file, path, err)) {
        return kToolCannotRun;
    }
    out.flush();
    return failed == 0 ? kToolOk : kToolSomeFailed;
}
