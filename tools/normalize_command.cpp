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

int RunNormalizeCommand(const std::filesystem::path& path, std::ostream& out, std::ostream& err) {
    StreamSink sink(out);
    std::size_t failed = 0;
    const std::optional<std::size_t> games =
        LoadEachIndexedGame(path, err, [&](std::uint64_t offset, int code, GameDocument& document) {
            if (code != kReadOk) {
                ++failed;
                err << offset << ": " << EncodeUtf8(ReadErrorText(code)) << '\n';
                return;
            }
            WritePgnGame(document, sink);
        });
    if (!games) {
        return kToolCannotRun;
    }
    out.flush();
    return failed == 0 ? kToolOk : kToolSomeFailed;
}
