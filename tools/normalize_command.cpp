#include "tools/normalize_command.h"

#include <cstdint>
#include <string_view>

#include "game/game_document.h"
#include "pgn/byte_sink.h"
#include "pgn/game_reader.h"
#include "pgn/pgn_writer.h"
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

ToolExit RunNormalizeCommand(const CommandFile& file, std::ostream& out, std::ostream& err) {
    StreamSink sink(out);
    std::size_t failed = 0;
    bool copied = true;
    const std::optional<FileGamesSummary> summary =
        LoadEveryGame(file, err, [&](const LoadedFileGame& game) {
            if (game.result.code == ReadCode::Ok) {
                WritePgnGame(*game.document, sink);
                return;
            }
            // A game that cannot be read is not dropped: its text goes through as it is.
            ++failed;
            err << game.offset << ": " << EncodeUtf8(ReadErrorText(game.result))
                << " (copied unchanged)\n";
            copied = CopyFileRange(*game.file, game.offset, game.end, out) && copied;
        });
    if (!summary || !copied) {
        return ToolExit::CannotRun;
    }
    out.flush();
    return failed == 0 ? ToolExit::Ok : ToolExit::SomeFailed;
}
