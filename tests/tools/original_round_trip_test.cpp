// Every real file of tests/data/pgn/real, written again by `korvani-pgn normalize`, says
// what the original says: the same tags, moves (as the positions they reach, so that "0-0"
// and "O-O" are equal), NAGs, comments (blanks reflowed, several in a row joined), brackets
// and result. Both texts are read by a reader of this test's own, not by the program's.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <filesystem>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "platform/text_codec.h"
#include "rules/fen.h"
#include "rules/move_node.h"
#include "rules/notation.h"
#include "rules/position.h"
#include "tests/support/pgn_test_support.h"
#include "tools/pgn_tool.h"

namespace {

struct Game {
    std::map<std::string, std::string> tags;
    std::vector<std::string> said;  // the FEN each move reaches, annotations, brackets, result
};

class TextReader {
public:
    std::vector<Game> Read(std::string_view bytes) {
        std::u16string text;  // every line decoded on its own, ended by '\n'
        for (std::size_t start = 0; start < bytes.size();) {
            const std::size_t end = std::min(bytes.find_first_of("\r\n", start), bytes.size());
            std::string_view line = bytes.substr(start, end - start);
            text += DecodeLine(line.starts_with("\xEF\xBB\xBF") ? line.substr(3) : line) + u'\n';
            start = end + 1;
        }
        for (std::size_t i = 0; i < text.size();) {
            i = ReadToken(text, i);
        }
        EndGame();
        return std::move(games_);
    }

private:
    // Where a line stands, and the annotations that follow its last move: they are said
    // at its next move or at its end, after any variations hanging from that move.
    struct Line {
        Position* at;
        std::string nags;
        std::u16string comment;
    };

    std::size_t ReadToken(std::u16string_view text, std::size_t i) {
        const std::size_t eol = text.find(u'\n', i);
        const char16_t c = text[i];
        if ((i == 0 || text[i - 1] == u'\n') && (c == u'%' || c == u'[')) {
            if (c == u'[') {
                ReadTag(EncodeUtf8(text.substr(i, eol - i)));
            }
            return eol;
        }
        if (!game_ || c == u' ' || c == u'\t' || c == u'\n' || c == u'.') {
            return game_ ? i + 1 : eol;
        }
        if (lines_.empty()) {
            root_ = std::make_unique<Position>();
            EXPECT_TRUE(!game_->tags.contains("FEN") ||
                        ReadFen(*root_, DecodeLine(game_->tags["FEN"])));
            lines_.push_back({root_.get(), {}, {}});
        }
        Line& line = lines_.back();
        if (c == u'{' || c == u';') {  // comments in a row are one, blanks reflowed
            const std::size_t end = c == u';' ? eol : std::min(text.find(u'}', i), text.size());
            for (const char16_t d : std::u16string(text.substr(i + 1, end - i - 1)) + u' ') {
                const bool blank = d == u' ' || d == u'\t' || d == u'\n';
                if (!blank || (!line.comment.empty() && !line.comment.ends_with(u' '))) {
                    line.comment += blank ? u' ' : d;
                }
            }
            return end + 1;
        }
        if (c == u'$' || c == u'!' || c == u'?') {  // NAGs in order, before the comment
            const std::size_t end = c == u'$'
                                        ? text.find_first_not_of(u"0123456789", i + 1)
                                        : i + 1 + (text[i + 1] == u'!' || text[i + 1] == u'?');
            const auto glyph = std::ranges::find(NagGlyphs, text.substr(i, end - i));
            line.nags += (c == u'$' ? EncodeUtf8(text.substr(i, end - i))
                                    : "$" + std::to_string(glyph - NagGlyphs.begin() + 1)) +
                         ' ';
            return end;
        }
        if (c == u'(') {  // from the position before its parent line's last move
            Position* at =
                line.at && line.at->incomingMove ? line.at->incomingMove->parent : line.at;
            lines_.push_back({at, {}, {}});
            game_->said.emplace_back("(");
            return i + 1;
        }
        if (c == u')' && lines_.size() > 1) {
            Flush(line);
            lines_.pop_back();
            game_->said.emplace_back(")");
            return i + 1;
        }
        const std::size_t end = text.find_first_of(u" \t\n.(){};$!?", i + 1);
        std::u16string_view word = text.substr(i, end - i);
        if (word == u"1-0" || word == u"0-1" || word == u"1/2-1/2" || word == u"*") {
            if (lines_.size() == 1) {  // a variation's result is not the game's
                Flush(line);
                game_->said.push_back(EncodeUtf8(word));
            }
        } else if (word.find_first_not_of(u"0123456789") != std::u16string_view::npos) {
            while (word.ends_with(u'+') || word.ends_with(u'#')) {
                word.remove_suffix(1);
            }
            Flush(line);
            line.at = line.at ? ParseSan(*line.at, word) : nullptr;
            game_->said.push_back(
                EncodeUtf8(line.at ? WriteFen(*line.at) : u"? " + std::u16string(word)));
        }
        return end;
    }

    void Flush(Line& line) {
        if (!line.nags.empty() || !line.comment.empty()) {
            game_->said.push_back(line.nags + "{" + EncodeUtf8(line.comment) + "}");
            line.nags.clear();
            line.comment.clear();
        }
    }

    void ReadTag(const std::string& line) {
        if (!game_ || !lines_.empty()) {
            EndGame();
            game_ = &games_.emplace_back();
        }
        const std::size_t quote = line.find('"');
        game_->tags[line.substr(1, std::min(line.find_first_of(" \t\""), quote) - 1)] =
            line.substr(quote + 1, line.find('"', quote + 1) - quote - 1);
    }

    void EndGame() {
        while (!lines_.empty()) {
            Flush(lines_.back());
            lines_.pop_back();
        }
        game_ = nullptr;
    }

    std::vector<Game> games_;
    Game* game_ = nullptr;
    std::unique_ptr<Position> root_;
    std::vector<Line> lines_;  // the main line and the variations open
};

struct ToolRun {
    ToolExit status;
    std::string out, err;
};

ToolRun Tool(std::string_view command, const std::string& file, const std::string& in = "") {
    const std::array<std::string_view, 2> args = {command, file};
    std::istringstream input(in);
    std::ostringstream out, err;
    const ToolExit status = RunPgnTool(args, input, out, err);
    return {status, out.str(), err.str()};
}

TEST(RealFiles, AreCheckedListedAndWrittenBackWithAllTheySay) {
    std::size_t games = 0;
    std::size_t comments = 0;
    for (const auto& entry : std::filesystem::directory_iterator(PgnData("real"))) {
        const std::string path = entry.path().string();
        const std::string name = entry.path().filename().string();
        SCOPED_TRACE(name);
        // Only the game with the null move Z0 cannot be read; normalize copies it unchanged.
        const bool nullMove = name == "pc-anastasian-lewis.pgn";
        const ToolExit status = nullMove ? ToolExit::SomeFailed : ToolExit::Ok;
        const ToolRun normalized = Tool("normalize", path);
        EXPECT_EQ(normalized.status, status) << normalized.err;
        const ToolRun again = Tool("normalize", "-", normalized.out);
        EXPECT_EQ(again.status, status);
        EXPECT_TRUE(again.out == normalized.out) << "normalizing twice changes the text";

        const std::string bytes = ReadWholeFile(path);
        const std::vector<Game> original = TextReader().Read(bytes);
        std::vector<Game> written = TextReader().Read(normalized.out);
        ASSERT_EQ(original.size(), written.size());
        for (std::size_t i = 0; i < original.size(); ++i) {
            // The roster's placeholders stand for the tags a game lacks.
            std::erase_if(written[i].tags, [&](const auto& tag) {
                return (tag.second == "?" || tag.second == "????.??.??") &&
                       !original[i].tags.contains(tag.first);
            });
            EXPECT_EQ(original[i].tags, written[i].tags) << "game " << i + 1;
            const std::vector<std::string>& said = original[i].said;
            const std::vector<std::string>& kept = written[i].said;
            const auto [a, b] = std::ranges::mismatch(said, kept);
            EXPECT_TRUE(a == said.end() && b == kept.end())
                << "game " << i + 1 << ": " << (a == said.end() ? "" : *a) << "\nwritten as "
                << (b == kept.end() ? "" : *b);
            comments +=
                std::ranges::count_if(said, [](const auto& s) { return s.ends_with(" }"); });
        }
        games += original.size();

        const ToolRun check = Tool("check", path);
        EXPECT_EQ(check.status, status);
        EXPECT_NE(check.out.find(std::to_string(original.size()) + " games, " +
                                 (nullMove ? "1" : "0") + " failed"),
                  std::string::npos)
            << check.out;
        const ToolRun list = Tool("list", path);
        EXPECT_EQ(list.err.empty(), check.out.find("not listed") == std::string::npos) << list.err;
        if (name.starts_with("study-")) {  // they lack four roster tags: all are read anyway
            EXPECT_NE(check.out.find("not listed (tags incomplete: White, Black, Date, Round;"),
                      std::string::npos);
            EXPECT_NE(
                list.err.find(" games not listed: tags incomplete (White, Black, Date, Round)"),
                std::string::npos);
        } else if (list.err.empty()) {  // then each row is a game at its [Event line
            std::string starts;
            std::string rows;
            for (std::size_t at = 0; (at = bytes.find("[Event ", at)) != std::string::npos; ++at) {
                starts += at == 0 || bytes[at - 1] == '\n' ? std::to_string(at) + ' ' : "";
            }
            std::istringstream lines(list.out);
            for (std::string row; std::getline(lines, row);) {
                rows += row.substr(0, row.find('\t')) + ' ';
            }
            EXPECT_EQ(rows, starts);
        }
    }
    // The Dortmund book alone holds 347 games and over 2,000 comments.
    EXPECT_GT(games, 1000u);
    EXPECT_GT(comments, 2000u);
}

}  // namespace
