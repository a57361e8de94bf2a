// Every real file of tests/data/pgn/real, written again by `korvani-pgn normalize`, says
// what the original says: the same tags, moves (as the positions they reach, so that "0-0"
// and "O-O" are equal), NAGs, comments (blanks reflowed, several in a row joined) and
// result. Both texts are read by a reader of this test's own, not by the program's.
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

struct Move {
    std::u16string reached;  // the FEN after the move, or "?" and its text
    std::u16string before, after;
    std::vector<int> nags;
};

struct Game {
    std::map<std::u16string, std::u16string> tags;
    std::vector<Move> moves;
    std::u16string result, comment;  // comment: of a game without moves
};

// Appends `text` with its blanks reflowed to one, after a blank when `to` holds some.
void Join(std::u16string& to, std::u16string_view text) {
    std::u16string words;
    for (const char16_t c : text) {
        if (c != u' ' && c != u'\t' && c != u'\n' && c != u'\r') {
            words += c;
        } else if (!words.empty() && words.back() != u' ') {
            words += u' ';
        }
    }
    if (!words.empty() && words.back() == u' ') {
        words.pop_back();
    }
    to += (to.empty() || words.empty() ? u"" : u" ") + words;
}

// Reads PGN token by token; owns the positions the moves are played on.
class TextReader {
public:
    std::vector<Game> Read(std::string_view bytes) {
        std::u16string text;  // every line decoded on its own, ended by '\n'
        for (std::size_t start = 0; start < bytes.size();) {
            const std::size_t end = std::min(bytes.find_first_of("\r\n", start), bytes.size());
            std::string_view line = bytes.substr(start, end - start);
            if (line.starts_with("\xEF\xBB\xBF")) {
                line.remove_prefix(3);
            }
            text += DecodeLine(line) + u'\n';
            start = end + 1;
        }
        for (std::size_t i = 0; i < text.size();) {
            i = ReadToken(text, i);
        }
        EndGame();
        return std::move(games_);
    }

private:
    struct Line {
        Position* at;
        int last;  // index into the game's moves, -1 before the line's first move
        std::u16string before;
    };

    std::size_t ReadToken(std::u16string_view text, std::size_t i) {
        const std::size_t eol = text.find(u'\n', i);
        const char16_t c = text[i];
        if ((i == 0 || text[i - 1] == u'\n') && (c == u'%' || c == u'[')) {
            if (c == u'[') {
                ReadTag(text.substr(i, eol - i));
            }
            return eol;
        }
        if (std::u16string_view(u" \t\n.").find(c) != std::u16string_view::npos) {
            return i + 1;
        }
        if (!game_) {
            return eol;
        }
        if (c == u'{' || c == u';') {
            const std::size_t end = c == u';' ? eol : std::min(text.find(u'}', i), text.size());
            AddComment(text.substr(i + 1, end - i - 1));
            return end + 1;
        }
        if (c == u'(' || c == u')') {
            c == u'(' ? StartVariation() : EndVariation();
            return i + 1;
        }
        if (c == u'$' || c == u'!' || c == u'?') {
            const std::size_t end = c == u'$'
                                        ? text.find_first_not_of(u"0123456789", i + 1)
                                        : i + 1 + (text[i + 1] == u'!' || text[i + 1] == u'?');
            const std::u16string_view nag = text.substr(i, end - i);
            AddNag(c == u'$'
                       ? std::stoi("0" + EncodeUtf8(nag.substr(1)))
                       : static_cast<int>(std::ranges::find(NagGlyphs, nag) - NagGlyphs.begin()) +
                             1);
            return end;
        }
        const std::size_t end = text.find_first_of(u" \t\n.(){};$!?", i);
        ReadWord(text.substr(i, end - i));
        return end;
    }

    void ReadTag(std::u16string_view line) {
        if (!game_ || !lines_.empty()) {
            EndGame();
            game_ = &games_.emplace_back();
        }
        const std::size_t name = std::min(line.find_first_of(u" \t\"", 1), line.size());
        std::u16string value;
        for (std::size_t i = line.find(u'"', name) + 1; i > 0 && i < line.size() && line[i] != u'"';
             ++i) {
            if (line[i] == u'\\' && i + 1 < line.size() &&
                (line[i + 1] == u'"' || line[i + 1] == u'\\')) {
                ++i;
            }
            value += line[i];
        }
        game_->tags[std::u16string(line.substr(1, name - 1))] = value;
    }

    void StartMoves() {
        if (lines_.empty()) {
            root_ = std::make_unique<Position>();
            if (game_->tags.contains(u"FEN")) {
                EXPECT_TRUE(ReadFen(*root_, game_->tags[u"FEN"]));
            }
            lines_.push_back({root_.get(), -1, {}});
        }
    }

    void ReadWord(std::u16string_view word) {
        if (word.find_first_not_of(u"0123456789") == std::u16string_view::npos) {
            return;  // a move number
        }
        StartMoves();
        if (word == u"1-0" || word == u"0-1" || word == u"1/2-1/2" || word == u"*") {
            if (lines_.size() == 1) {
                game_->result = word;
            }
            return;
        }
        while (word.ends_with(u'+') || word.ends_with(u'#')) {
            word.remove_suffix(1);
        }
        Line& line = lines_.back();
        Position* reached = line.at ? ParseSan(*line.at, word) : nullptr;
        game_->moves.push_back(
            {reached ? WriteFen(*reached) : u"? " + std::u16string(word), line.before, {}, {}});
        line = {reached, static_cast<int>(game_->moves.size()) - 1, {}};
    }

    Move& MoveAt(int index) { return game_->moves[static_cast<std::size_t>(index)]; }

    void AddComment(std::u16string_view text) {
        StartMoves();
        Join(lines_.back().last < 0 ? lines_.back().before : MoveAt(lines_.back().last).after,
             text);
    }

    // A NAG of a line without moves yet goes to the move it is an alternative to.
    void AddNag(int nag) {
        StartMoves();
        const auto line = std::ranges::find_if(lines_.rbegin(), lines_.rend(),
                                               [](const Line& l) { return l.last >= 0; });
        if (line != lines_.rend() && nag != 0) {
            MoveAt(line->last).nags.push_back(nag);
        }
    }

    // A variation starts from the position before its parent line's last move.
    void StartVariation() {
        StartMoves();
        Position* at = lines_.back().at;
        lines_.push_back({at && at->incomingMove ? at->incomingMove->parent : at, -1, {}});
    }

    // A comment of a variation without moves goes after the move it hangs from.
    void EndVariation() {
        if (lines_.size() > 1) {
            const std::u16string before = lines_.back().before;
            lines_.pop_back();
            if (lines_.back().last >= 0) {
                Join(MoveAt(lines_.back().last).after, before);
            }
        }
    }

    void EndGame() {
        if (game_ && !lines_.empty()) {
            Join(game_->moves.empty() ? game_->comment : game_->moves.front().before,
                 lines_.front().before);
        }
        lines_.clear();
        game_ = nullptr;
    }

    std::vector<Game> games_;
    Game* game_ = nullptr;
    std::unique_ptr<Position> root_;
    std::vector<Line> lines_;
};

// What a game says, one fact a line, tags as the program writes them back: a roster
// placeholder for a tag the original lacks, "*" for a result it does not know.
std::vector<std::string> Facts(const Game& game, const Game* original = nullptr) {
    std::vector<std::string> facts;
    for (auto [name, value] : game.tags) {
        const bool placeholder = value == u"?" || value == u"????.??.??";
        if ((name == u"SetUp" && value != u"1") ||
            (original && placeholder && !original->tags.contains(name))) {
            continue;
        }
        if (name == u"Trait") {
            value = value == u"White" || value == u"white" || value == u"WHITE" ? u"White" : u"-";
        } else if (name == u"LastMove") {
            value = DecodeLine(std::to_string(std::stoi(
                "0" + EncodeUtf8(value.substr(0, value.find_first_not_of(u"0123456789"))))));
        } else if (name == u"Result" && value != u"1-0" && value != u"0-1" && value != u"1/2-1/2") {
            value = u"*";
        }
        facts.push_back(EncodeUtf8(u"[" + name + u" " + value + u"]"));
    }
    facts.push_back(EncodeUtf8(u"result " + game.result + u" {" + game.comment + u"}"));
    for (const Move& move : game.moves) {
        facts.push_back(
            EncodeUtf8(move.reached + u" {" + move.before + u"} {" + move.after + u"}"));
        for (const int nag : move.nags) {
            facts.back() += " $" + std::to_string(nag);
        }
    }
    return facts;
}

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
        const std::vector<Game> written = TextReader().Read(normalized.out);
        ASSERT_EQ(original.size(), written.size());
        for (std::size_t i = 0; i < original.size(); ++i) {
            const std::vector<std::string> said = Facts(original[i]);
            const std::vector<std::string> kept = Facts(written[i], &original[i]);
            const auto [a, b] = std::ranges::mismatch(said, kept);
            EXPECT_TRUE(a == said.end() && b == kept.end())
                << "game " << i + 1 << ": " << (a == said.end() ? "" : *a) << "\nwritten as "
                << (b == kept.end() ? "" : *b);
            for (const Move& move : original[i].moves) {
                comments += !move.before.empty() + !move.after.empty();
            }
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
                if (at == 0 || bytes[at - 1] == '\n') {
                    starts += std::to_string(at) + ' ';
                }
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
