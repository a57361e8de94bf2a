#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

#include "game/extra_tag.h"
#include "game/game_document.h"
#include "pgn/game_reader.h"
#include "pgn/games_file.h"
#include "pgn/pgn_writer.h"
#include "pgn/string_sink.h"
#include "platform/error_report.h"
#include "platform/text_codec.h"
#include "rules/fen.h"
#include "rules/move_node.h"
#include "rules/notation.h"

// The path of a small PGN file of tests/data/pgn.
inline std::filesystem::path PgnData(std::string_view name) {
    return std::filesystem::path(KORVANI_TEST_DATA_DIR) / "pgn" / name;
}

// A games file and one game read from it with LoadGame.
struct LoadedGame {
    explicit LoadedGame(const std::filesystem::path& path, std::uint64_t offset = 0)
        : games(path), document(&games), result(LoadGame(document, offset, 7)) {}

    GamesFile games;
    GameDocument document;
    ReadResult result;
};

// The bytes of a file, for tests that find offsets by content.
std::string ReadWholeFile(const std::filesystem::path& path);

inline void WriteFileBytes(const std::filesystem::path& path, std::string_view bytes) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

// Plays `moves` (English SAN) from `from`; null, failing the test, when one is refused.
inline Position* PlayLine(Position& from, std::initializer_list<std::u16string_view> moves) {
    Position* at = &from;
    for (const std::u16string_view move : moves) {
        at = at != nullptr ? ParseSan(*at, move) : nullptr;
    }
    EXPECT_NE(at, nullptr) << "refused move";
    return at;
}

// A main line of `count` knight moves back and forth; returns its last position.
inline Position* PlayKnightShuffle(Position& root, int count) {
    static constexpr std::u16string_view kCycle[] = {u"Nf3", u"Nf6", u"Ng1", u"Ng8"};
    Position* at = &root;
    for (int i = 0; i < count && at != nullptr; ++i) {
        at = ParseSan(*at, kCycle[i % 4]);
    }
    return at;
}

inline std::string GameText(const GameDocument& document) {
    StringSink sink;
    WritePgnGame(document, sink);
    return sink.text;
}

// The move text of a written game: everything after the blank line that ends the tags.
inline std::string MoveTextOf(const std::string& game) {
    const std::size_t start = game.find("\r\n\r\n");
    return start == std::string::npos ? std::string() : game.substr(start + 4);
}

// The lines of `text`, split at CR LF.
inline std::vector<std::string> LinesOf(std::string_view text) {
    std::vector<std::string> lines;
    while (!text.empty()) {
        const std::size_t end = text.find("\r\n");
        lines.emplace_back(text.substr(0, end));
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 2);
    }
    return lines;
}

inline std::u16string Number(int n) {
    return DecodeLine(std::to_string(n));
}

// The move tree as one text: SAN, NAGs as $n, comments in braces, what stands before a
// move in <>, alternatives in parentheses after the move they replace. Recurses only
// into variations, so a long main line needs no deep stack.
inline std::string TreeText(const Position& root) {
    std::u16string out = root.comment ? u"{" + *root.comment + u"} " : u"";
    const auto move = [&out](const MoveNode& m) {
        const MoveAnnotations none;
        const MoveAnnotations& more = m.annotations ? *m.annotations : none;
        out += more.commentBefore ? u"<{" + *more.commentBefore + u"}> " : u"";
        for (const int nag : more.nagsBefore) {
            out += u"<$" + Number(nag) + u"> ";
        }
        out += FormatSanText(m, false, false, NotationLanguage::English);
        // The NAGs in the order read, whichever way they are stored.
        std::vector<int> nags(more.nags.begin(), more.nags.end());
        for (const int nag : {int{m.nag}, int{m.child->positionNag}}) {
            nags.insert(nags.end(), more.nags.empty() && nag != 0 ? 1 : 0, nag);
        }
        for (const int nag : nags) {
            out += u" $" + Number(nag);
        }
        out += m.child->comment ? u" {" + *m.child->comment + u"} " : u" ";
    };
    const auto line = [&](const Position& from, auto&& self) -> void {
        for (const Position* at = &from; at->firstMove; at = at->firstMove->child.get()) {
            move(*at->firstMove);
            for (const MoveNode* m = at->firstMove->nextSibling.get(); m;
                 m = m->nextSibling.get()) {
                out += u"( ";
                move(*m);
                self(*m->child, self);
                out += u") ";
            }
        }
    };
    line(root, line);
    return EncodeUtf8(out);
}

// The tags that are set, "name=value" each, ';' between, the result as its code; for a
// game read, also its set-up position and extra tags.
inline std::string TagsText(const GameHeaders& d, const Position* root = nullptr,
                            const ExtraTag* extra = nullptr) {
    std::u16string out = u"Result=" + Number(static_cast<int>(d.result));
    const char16_t* names[] = {u"White", u"Black",      u"Event",      u"Site",        u"Date",
                               u"Round", u"WhiteEmail", u"BlackEmail", u"LastMoveDate"};
    const std::optional<std::u16string>* values[] = {&d.white,      &d.black,      &d.event,
                                                     &d.site,       &d.date,       &d.round,
                                                     &d.whiteEmail, &d.blackEmail, &d.lastMoveDate};
    for (std::size_t i = 0; i < std::size(names); ++i) {
        out += *values[i] ? u";" + std::u16string(names[i]) + u"=" + **values[i] : u"";
    }
    out += d.lastMove != 0 || d.trait != 0
               ? u";LastMove=" + Number(d.lastMove) + u";Trait=" + Number(d.trait)
               : u"";
    out += root && root->setUp ? u";FEN=" + WriteFen(*root) : u"";
    for (const ExtraTag* tag = extra; tag; tag = tag->next.get()) {
        out += u";" + tag->name + u"=" + tag->value;
    }
    return EncodeUtf8(out);
}
inline std::string TagsText(const GameDocument& d) {
    return TagsText(d, &d.root, d.extraTags.get());
}

// A fresh folder for one test, removed with everything in it at the end.
class ScratchFolder {
public:
    ScratchFolder() {
        std::string name = (std::filesystem::path(testing::TempDir()) / "korvani_XXXXXX").string();
        EXPECT_NE(::mkdtemp(name.data()), nullptr) << name;
        path_ = name;
    }
    ~ScratchFolder() { std::filesystem::remove_all(path_); }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    [[nodiscard]] const std::filesystem::path& path() const { return path_; }

private:
    std::filesystem::path path_;
};

// The names in `folder`, sorted.
inline std::vector<std::string> FolderNames(const std::filesystem::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

// Records the error boxes shown while it lives.
class ErrorBoxRecorder {
public:
    ErrorBoxRecorder()
        : previous_(SetErrorBoxHandler([this](const ErrorBox& box) { boxes.push_back(box); })) {}
    ~ErrorBoxRecorder() { SetErrorBoxHandler(previous_); }
    ErrorBoxRecorder(const ErrorBoxRecorder&) = delete;
    ErrorBoxRecorder& operator=(const ErrorBoxRecorder&) = delete;

    std::vector<ErrorBox> boxes;

private:
    ErrorBoxHandler previous_;
};
