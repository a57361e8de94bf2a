#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

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

// The bytes of a file, for tests that find offsets by content.
std::string ReadWholeFile(const std::filesystem::path& path);

inline void WriteFileBytes(const std::filesystem::path& path, std::string_view bytes) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

// A main line of `count` knight moves back and forth; returns its last position.
inline Position* PlayKnightShuffle(Position& root, int count) {
    Position* at = &root;
    for (int i = 0; i < count && at != nullptr; ++i) {
        at = ParseSan(*at, std::u16string_view(u"Nf3Nf6Ng1Ng8").substr(i % 4 * 3, 3));
    }
    return at;
}

inline std::string GameText(const GameDocument& document) {
    StringSink sink;
    WritePgnGame(document, sink);
    return sink.text;
}

inline std::u16string Number(int n) {
    return DecodeLine(std::to_string(n));
}

// The move tree as text, what stands before a move in <>; recurses only into variations.
inline std::string TreeText(const Position& root) {
    std::u16string out = root.comment ? u"{" + *root.comment + u"} " : u"";
    const auto move = [&out](const MoveNode& m) {
        const MoveAnnotations none, &more = m.annotations ? *m.annotations : none;
        out += more.commentBefore ? u"<{" + *more.commentBefore + u"}> " : u"";
        for (const int nag : more.nagsBefore) {
            out += u"<$" + Number(nag) + u"> ";
        }
        out += FormatSanText(m, false, false, NotationLanguage::English);
        // Several NAGs are kept in the order read, a single one in the field of its kind.
        std::vector<int> nags(more.nags.begin(), more.nags.end());
        for (const int nag : nags.empty() ? std::vector<int>{m.nag, m.child->positionNag} : nags) {
            out += nag != 0 ? u" $" + Number(nag) : u"";
        }
        out += m.child->comment ? u" {" + *m.child->comment + u"} " : u" ";
    };
    const auto line = [&](const Position& from, auto&& self) -> void {
        for (const Position* at = &from; at->firstMove; at = at->firstMove->child.get()) {
            move(*at->firstMove);
            for (auto* m = at->firstMove->nextSibling.get(); m; m = m->nextSibling.get()) {
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

// The tags that are set, "name=value" each, ';' between; for a game, also FEN and extra tags.
inline std::string TagsText(const GameHeaders& d, const Position* root = nullptr,
                            const ExtraTag* extra = nullptr) {
    std::u16string out = u"Result=" + Number(static_cast<int>(d.result));
    // clang-format off
    for (const auto& [name, value] : {std::pair{u"White", &d.white}, {u"Black", &d.black}, {u"Event", &d.event},
             {u"Site", &d.site}, {u"Date", &d.date}, {u"Round", &d.round}, {u"WhiteEmail", &d.whiteEmail},
             {u"BlackEmail", &d.blackEmail}, {u"LastMoveDate", &d.lastMoveDate}}) {
        // clang-format on
        out += *value ? u";" + std::u16string(name) + u"=" + **value : u"";
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
struct ScratchFolder {
    std::string name = (std::filesystem::path(testing::TempDir()) / "korvani_XXXXXX").string();
    const std::filesystem::path path = ::mkdtemp(name.data()) ? name : "/nonexistent/scratch";
    ~ScratchFolder() { std::filesystem::remove_all(path); }
};

inline std::vector<std::string> FolderNames(const std::filesystem::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

// Records the error boxes shown while it lives, "caption|text|icon;" each.
struct ErrorBoxRecorder {
    std::string text;
    ErrorBoxHandler previous = SetErrorBoxHandler([this](const ErrorBox& b) {
        text +=
            EncodeUtf8(b.caption + u"|" + b.text + u"|" + Number(static_cast<int>(b.icon)) + u";");
    });
    ~ErrorBoxRecorder() { SetErrorBoxHandler(previous); }
};
