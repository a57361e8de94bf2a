#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>

#include <cstdint>
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
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

// Plays `moves` (English SAN) from `from`; null, failing the test, when one is refused.
inline Position* PlayLine(Position& from, std::initializer_list<std::u16string_view> moves) {
    Position* at = &from;
    for (const std::u16string_view move : moves) {
        at = ParseSan(*at, move);
        EXPECT_NE(at, nullptr) << "refused move";
        if (at == nullptr) {
            return nullptr;
        }
    }
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

// The NAGs of a move in the order written, whichever way they are stored.
inline std::vector<int> NagsOf(const MoveNode& move) {
    if (move.annotations && !move.annotations->nags.empty()) {
        return {move.annotations->nags.begin(), move.annotations->nags.end()};
    }
    std::vector<int> nags;
    for (const int nag : {int{move.nag}, int{move.child->positionNag}}) {
        if (nag != 0) {
            nags.push_back(nag);
        }
    }
    return nags;
}

// The move tree as one text: SAN, NAGs as $n, comments in braces, what stands before
// a move in <>, alternatives in parentheses after the move they replace. Recurses only
// into variations, so a long main line needs no deep stack.
inline std::string TreeText(const Position& root) {
    std::u16string out = root.comment ? u"{" + *root.comment + u"} " : u"";
    const auto nags = [&out](auto&& list, std::u16string_view open, std::u16string_view close) {
        for (const int nag : list) {
            out += std::u16string(open) + u"$" + DecodeLine(std::to_string(nag)) +
                   std::u16string(close);
        }
    };
    const auto move = [&](const MoveNode& m) {
        if (m.annotations && m.annotations->commentBefore) {
            out += u"<{" + *m.annotations->commentBefore + u"}> ";
        }
        if (m.annotations) {
            nags(m.annotations->nagsBefore, u"<", u"> ");
        }
        out += FormatSanText(m, false, false, NotationLanguage::English);
        nags(NagsOf(m), u" ", u"");
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
    std::u16string out = u"Result=" + DecodeLine(std::to_string(static_cast<int>(d.result)));
    const std::pair<const char16_t*, const std::optional<std::u16string>*> texts[] = {
        {u"White", &d.white},
        {u"Black", &d.black},
        {u"Event", &d.event},
        {u"Site", &d.site},
        {u"Date", &d.date},
        {u"Round", &d.round},
        {u"WhiteEmail", &d.whiteEmail},
        {u"BlackEmail", &d.blackEmail},
        {u"LastMoveDate", &d.lastMoveDate}};
    for (const auto& [name, value] : texts) {
        out += *value ? u";" + std::u16string(name) + u"=" + **value : u"";
    }
    if (d.lastMove != 0 || d.trait != 0) {
        out += u";LastMove=" + DecodeLine(std::to_string(d.lastMove)) + u";Trait=" +
               DecodeLine(std::to_string(d.trait));
    }
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
        std::string pattern =
            (std::filesystem::path(testing::TempDir()) / "korvani_pgn_XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr) {
            ADD_FAILURE() << "cannot create " << pattern;
        }
        path_ = pattern;
    }
    ~ScratchFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    [[nodiscard]] const std::filesystem::path& path() const { return path_; }

private:
    std::filesystem::path path_;
};

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
