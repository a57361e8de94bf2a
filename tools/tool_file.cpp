#include "tools/tool_file.h"

#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdlib>
#include <string_view>
#include <system_error>

#include "game/game_document.h"
#include "pgn/game_reader.h"
#include "pgn/games_file.h"
#include "pgn/games_file_scan.h"
#include "platform/buffered_file.h"
#include "platform/error_report.h"
#include "platform/text_codec.h"

namespace {

void ReportUnreadable(const std::string& name, int error, std::ostream& err) {
    err << "korvani-pgn: cannot read " << name << ": " << EncodeUtf8(SystemErrorText(error))
        << '\n';
}

}  // namespace

bool OpenForCommand(BufferedFile& opened, const CommandFile& file, std::ostream& err) {
    const int error = opened.Open(file.path);
    if (error != 0) {
        ReportUnreadable(file.name, error, err);
        return false;
    }
    return true;
}

bool ReadWentWell(const BufferedFile& opened, const CommandFile& file, std::ostream& err) {
    if (opened.Failed()) {
        ReportUnreadable(file.name, opened.ReadError(), err);
        return false;
    }
    return true;
}

StandardInputCopy::~StandardInputCopy() {
    if (!path_.empty()) {
        std::error_code ignored;
        std::filesystem::remove(path_, ignored);
    }
}

std::optional<CommandFile> StandardInputCopy::Copy(std::istream& in, std::ostream& err) {
    constexpr std::string_view kName = "standard input";
    std::error_code folderError;
    const std::filesystem::path folder = std::filesystem::temp_directory_path(folderError);
    std::string pattern = (folder / "korvani-pgn-stdin-XXXXXX").string();
    const int descriptor = folderError ? -1 : ::mkstemp(pattern.data());
    if (descriptor < 0) {
        ReportUnreadable(std::string(kName), folderError ? folderError.value() : errno, err);
        return std::nullopt;
    }
    path_ = pattern;
    std::array<char, std::size_t{64} * 1024> buffer{};
    int error = 0;
    while (error == 0 && in) {
        in.read(buffer.data(), static_cast<std::streamsize>(buffer.size()));
        auto left = static_cast<std::size_t>(in.gcount());
        const char* from = buffer.data();
        while (left > 0) {
            const ssize_t written = ::write(descriptor, from, left);
            if (written < 0 && errno == EINTR) {
                continue;
            }
            if (written <= 0) {
                error = written < 0 ? errno : EIO;
                break;
            }
            from += written;
            left -= static_cast<std::size_t>(written);
        }
    }
    if (error == 0 && in.bad()) {
        error = EIO;
    }
    if (::close(descriptor) != 0 && error == 0) {
        error = errno;
    }
    if (error != 0) {
        ReportUnreadable(std::string(kName), error, err);
        return std::nullopt;
    }
    return CommandFile{path_, std::string(kName)};
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
                      game.code = LoadGameFromFile(loaded, document, game.offset, 2);
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
