// korvani-pgn: its command lines, and what normalize writes read back by a reader of its own.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <iterator>
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

struct ToolRun {
    int status;            // as the number the manual page gives
    std::string out, err;  // err: also the reader's diagnostics, on the process's own
};

// Runs the command line `args`, split at blanks, with `in` as standard input.
ToolRun Tool(const std::string& args, const std::string& in = "") {
    std::istringstream words(args);
    const std::vector<std::string> split{std::istream_iterator<std::string>(words), {}};
    const std::vector<std::string_view> views(split.begin(), split.end());
    std::istringstream input(in);
    std::ostringstream out, err;
    testing::internal::CaptureStderr();
    const int status = static_cast<int>(RunPgnTool(views, input, out, err));
    return {status, out.str(), err.str() + testing::internal::GetCapturedStderr()};
}

const auto Pgn = [](std::string_view name) { return PgnData(name).string(); };

// "" when `text` must be empty, else a piece it must hold.
const auto Holds = [](const std::string& text, const std::string& piece) {
    return piece.empty() ? text.empty() : text.find(piece) != std::string::npos;
};

struct CommandRow {
    const char* name;
    std::string args;
    int status;
    std::string out, err;
    std::string in = "";  // standard input
};

TEST(PgnTool, CommandLinesGiveTheirOutputAndStatus) {
    const std::string middle = ReadWholeFile(Pgn("middle_game_illegal_move.pgn"));
    const std::string copied = std::to_string(middle.find("[Event \"Two\"]")) +
                               ": Illegal move : Ke3 (copied unchanged)\n";
    std::string normalized = middle + "\r\n";
    const std::string first = "1.e4 e5 2.Nf3 {good} Nc6 (2...d6)";
    normalized.replace(normalized.find(first), first.size(),
                       "1. e4 e5 2. Nf3 {good} 2... Nc6 (2... d6)");
    const std::string unlisted = Pgn("missing_site_then_complete.pgn");
    const std::string three = ReadWholeFile(Pgn("two_games_blank_line.pgn")) +
                              ReadWholeFile(Pgn("game_without_white_tag.pgn")) +
                              ReadWholeFile(unlisted);
    const std::vector<CommandRow> rows = {
        {"List", "list " + Pgn("email_game.pgn"), 0,
         "0\tAlice\t* Bob\t03.14\n230\t* Carol\tDave\t?\n", ""},
        {"ListInUtf8", "list " + Pgn("half_half_draw_latin1.pgn"), 0,
         "0\tAlice\tBob\t\xC2\xBD-\xC2\xBD\n", ""},
        {"ListTellsOfUnlisted", "list " + unlisted, 0, "104\tCarol\tDave\t0-1\n",
         "1 game not listed: tags incomplete (Site)\n"},
        {"ListTellsOfUnlistedGames", "list -", 0, "294\tCarol\tBob\t?\n515\tCarol\tDave\t0-1\n",
         "2 games not listed: tags incomplete (White, Black, Site, Date, Round)\n", three},
        {"CheckCountsUnlisted", "check -", 0,
         "6 games, 0 failed, 2 not listed (tags incomplete: "
         "White, Black, Site, Date, Round; the first at offset 244)\n",
         "", three},
        {"CheckReportsFailures", "check " + Pgn("illegal_move_ke3.pgn"), 1,
         "0\t8\tIllegal move : Ke3\n1 games, 1 failed\n", ""},
        {"Verbose", "--verbose check " + Pgn("null_move.pgn"), 1,
         "0\t6\tUnknown token : Z0 Nc6 1-0\n1 games, 1 failed\n", "Token Erreur\n"},
        {"NormalizeStandardInput", "normalize -- -", 1, normalized, copied, middle},
        {"EmptyStandardInput", "check -", 0, "0 games, 0 failed\n", ""},
        {"Version", "--version", 0, "korvani-pgn " KORVANI_VERSION "\n", ""},
        {"Help", "-h", 0, "Exit status: 0 success, 1 some games failed to load", ""},
        {"NoCommand", "", 2, "", "korvani-pgn: no command given\nTry 'korvani-pgn --help'.\n"},
        {"UnknownCommand", "sort x.pgn", 2, "", "unknown command 'sort'"},
        {"NoFile", "list", 2, "", "'list' takes one FILE"},
        {"TwoFiles", "check a.pgn b.pgn", 2, "", "'check' takes one FILE"},
        {"UnknownOption", "--fast list a.pgn", 2, "", "unknown option '--fast'"},
        {"MissingFile", "list /no/such/file.pgn", 2, "",
         "korvani-pgn: cannot read /no/such/file.pgn: No such file or directory\n"},
        {"Folder", "check " KORVANI_TEST_DATA_DIR, 2, "", "Is a directory"},
        {"NormalizeMissingFile", "normalize " + Pgn("no_such.pgn"), 2, "",
         "no_such.pgn: No such file"},
    };
    for (const CommandRow& row : rows) {
        SCOPED_TRACE(row.name);
        const ToolRun run = Tool(row.args, row.in);
        EXPECT_EQ(run.status, row.status);
        EXPECT_TRUE(Holds(run.out, row.out)) << run.out;
        EXPECT_TRUE(Holds(run.err, row.err)) << run.err;
    }
}

struct Game {
    std::map<std::string, std::string> tags;
    std::vector<std::string> said;  // the FEN each move reaches, annotations, brackets, result
};

// Reads PGN token by token, as simply as it may be written, into what each game says.
std::vector<Game> ReadGames(std::string_view bytes) {
    std::u16string text;  // each line decoded on its own
    for (std::size_t start = 0, end = 0; start < bytes.size(); start = end + 1) {
        end = std::min(bytes.find_first_of("\r\n", start), bytes.size());
        const std::string_view line = bytes.substr(start, end - start);
        text += DecodeLine(line.substr(line.starts_with("\xEF\xBB\xBF") ? 3 : 0)) + u'\n';
    }
    // Where each open line stands, and the annotations after its last move: they are said
    // at its next move or its end, after the variations hanging from that move.
    struct Line {
        Position* at;
        std::string nags, comment;
    };
    std::vector<Line> lines;
    std::vector<Game> games;
    std::unique_ptr<Position> root;
    const auto flush = [&](Line& line) {  // comments in a row are one, their blanks reflowed
        std::istringstream words(line.comment);
        std::string said = line.nags + "{";
        for (std::string word; words >> word;) {
            said += word + ' ';
        }
        if (said != "{") {
            games.back().said.push_back(said + "}");
        }
        line.nags = line.comment = "";
    };
    const auto endGame = [&] {
        for (; !lines.empty(); lines.pop_back()) {
            flush(lines.back());
        }
    };
    for (std::size_t i = 0, end = 0; i < text.size(); i = end) {
        const char16_t c = text[i];
        const std::size_t eol = text.find(u'\n', i);
        end = i + 1;
        if ((i == 0 || text[i - 1] == u'\n') && (c == u'[' || c == u'%')) {
            end = eol;
            if (c == u'%') {
                continue;  // an escape line
            }
            if (games.empty() || !lines.empty()) {
                endGame();
                games.emplace_back();
            }
            const std::string tag = EncodeUtf8(text.substr(i, eol - i));
            const std::size_t quote = tag.find('"');
            games.back().tags[tag.substr(1, std::min(tag.find_first_of(" \t\""), quote) - 1)] =
                tag.substr(quote + 1, tag.find('"', quote + 1) - quote - 1);
            continue;
        }
        if (games.empty() || c == u' ' || c == u'\t' || c == u'\n' || c == u'.') {
            continue;
        }
        if (lines.empty()) {
            root = std::make_unique<Position>();
            const std::map<std::string, std::string>& tags = games.back().tags;
            EXPECT_TRUE(!tags.contains("FEN") || ReadFen(*root, DecodeLine(tags.at("FEN"))));
            lines.push_back({root.get(), {}, {}});
        }
        Line& line = lines.back();
        if (c == u'{' || c == u';') {
            end = (c == u';' ? eol : std::min(text.find(u'}', i), text.size())) + 1;
            line.comment += EncodeUtf8(text.substr(i + 1, end - i - 2)) + ' ';
            continue;
        }
        if (c == u'$' || c == u'!' || c == u'?') {  // NAGs in order, before the comment
            end = c == u'$' ? text.find_first_not_of(u"0123456789", i + 1)
                            : i + 1 + (text[i + 1] == u'!' || text[i + 1] == u'?');
            const auto glyph =
                std::ranges::find(NagGlyphs, text.substr(i, end - i)) - NagGlyphs.begin();
            line.nags += (c == u'$' ? EncodeUtf8(text.substr(i, end - i))
                                    : "$" + std::to_string(glyph + 1)) +
                         ' ';
            continue;
        }
        end = c == u'(' || c == u')' ? i + 1 : text.find_first_of(u" \t\n.(){};$!?", i + 1);
        std::u16string said(text.substr(i, end - i));
        const bool result = said == u"1-0" || said == u"0-1" || said == u"1/2-1/2" || said == u"*";
        if (said.find_first_not_of(u"0123456789") == std::u16string::npos ||
            (result && lines.size() > 1)) {
            continue;  // a move number, or a variation's result
        }
        if (c == u'(') {  // from the position before its parent line's last move
            Position* at =
                line.at && line.at->incomingMove ? line.at->incomingMove->parent : line.at;
            lines.push_back({at, {}, {}});
        } else if (flush(line); c == u')' && lines.size() > 1) {
            lines.pop_back();
        } else if (!result) {
            said.erase(said.find_last_not_of(u"+#") + 1);
            line.at = line.at ? ParseSan(*line.at, said) : nullptr;
            said = line.at ? WriteFen(*line.at) : u"? " + said;
        }
        games.back().said.push_back(EncodeUtf8(said));
    }
    endGame();
    return games;
}

// Expects the games of `written` to say what the `original` ones say; returns the latter.
std::vector<Game> ExpectSameGames(const std::string& original, const std::string& written) {
    std::vector<Game> said = ReadGames(original);
    std::vector<Game> kept = ReadGames(written);
    EXPECT_EQ(said.size(), kept.size());
    for (std::size_t i = 0; i < std::min(said.size(), kept.size()); ++i) {
        // The roster's placeholders stand for the tags a game lacks.
        std::erase_if(kept[i].tags, [&](const auto& tag) {
            return (tag.second == "?" || tag.second == "????.??.??") &&
                   !said[i].tags.contains(tag.first);
        });
        EXPECT_EQ(said[i].tags, kept[i].tags) << "game " << i + 1;
        if (!said[i].tags.contains("Result")) {  // then it is written without one
            std::erase(said[i].said, "*");
        }
        EXPECT_EQ(said[i].said, kept[i].said) << "game " << i + 1;
    }
    return said;
}

std::string Rostered(std::string_view moves, std::string_view tags = "") {
    return "[Event \"E\"]\r\n[Site \"S\"]\r\n[Date \"2024.01.01\"]\r\n[Round \"1\"]\r\n"
           "[White \"W\"]\r\n[Black \"B\"]\r\n[Result \"*\"]\r\n" +
           std::string(tags) + "\r\n" + std::string(moves) + "\r\n\r\n";
}

// Each case lost or changed something once.
struct OtherProgramRow {
    const char* name;
    std::string text;
    std::string piece = "";  // of the written text, beyond what the reader sees
    std::size_t listed = 1;  // rows of the games list
};

TEST(OtherProgramsPgn, IsListedAndWrittenWhole) {
    std::string words;
    for (int i = 0; i < 90; ++i) {
        words += "word ";
    }
    const std::string accents = EncodeUtf8(std::u16string(200, u'\u00e9'));
    const std::string fen = "[SetUp \"1\"]\r\n[FEN \"4k3/8/8/8/8/8/8/4K3 ";
    const std::vector<OtherProgramRow> rows = {
        {"CommentBeforeVariation",
         Rostered("1. e4 e5 {e5} ({intro} 1... c5 {c5}) 2. Nf3 {a} {b} *"), "2. Nf3 {a b} *"},
        {"BracketInComment",
         Rostered("1. e4 { thinking\r\n[%clk 0:10:00] } e5 *") + Rostered("1. d4 *"), "", 2},
        {"LongLineKeepsUtf8", Rostered("1. e4 {" + accents + "} {" + words + "} *")},
        {"CommentRunOver511Bytes", Rostered("1. e4 {" + std::string(1500, 'x') + " end} *")},
        {"ByteOrderMarks",
         "\xEF\xBB\xBF" + Rostered("1. e4 *") + "\xEF\xBB\xBF" + Rostered("1. d4 *"), "", 2},
        {"ResultInVariation", Rostered("1. e4 (1. d4 1-0) 1... e5 *")},
        {"TagLineOf254Bytes",
         Rostered("1. e4 *", "[Annotator \"" + std::string(239, 'a') + "\"]\r\n[ECO \"C20\"]\r\n")},
        {"EscapeLines",
         "% exported\r\n" + Rostered("1. e4\r\n% private data\r\ne5 *", "% inside the tags\r\n")},
        {"TagNameThenTab",
         "[Event\t\"E\"]\r\n[Site \"S\"]\r\n[Date \"2024.01.01\"]\r\n[Round \"1\"]\r\n"
         "[White\"W\"]\r\n[Black \"B\"]\r\n[Result \"*\"]\r\n[Annotator\"X\"]\r\n\r\n1. e4 *\r\n"},
        {"CorrespondenceTags",
         Rostered("1. e4 *", "[BlackEmail \"b@x\"]\r\n[LastMove \"3\"]\r\n[Trait \"Black\"]\r\n")},
        {"FenClocks", Rostered("300... Kd7 *", fen + "b - - 12 300\"]\r\n"), "300... Kd7 *"},
        {"FenMoveNumberZero", Rostered("1. Kd2 *", fen + "w - - 0 0\"]\r\n"), "1. Kd2 *"},
        {"VariationRepeatsMove", Rostered("1. e4 e5 (1... e5 2. Nf3 $1 {idea}) 2. Nc3 *")},
        {"SemicolonComment", Rostered("1. d4 d5 ; a note on d5\r\n2. c4 *"),
         "d5 {a note on d5} 2."},
        {"NagsBeforeMove",
         Rostered("{intro} $1 1. e4 e5 ( $2 1... c5 ) ( {x} $146 1... e6 ) 2. Nf3 *")},
        {"EveryNagInOrder", Rostered("1. e4 ! $4 e5 $5 {x} $10 *"), "1. e4 $1 $4 e5 $5 $10 {x} *"},
        {"NoRoster",
         "[Event \"Study\"]\r\n[Site \"S\"]\r\n\r\n1. f4 *\r\n\r\n" + Rostered("1. e4 *") +
             "[Event \"Study 2\"]\r\n\r\n1. c4 *\r\n",
         "1. f4\r\n"},
    };
    for (const OtherProgramRow& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(std::ranges::count(Tool("list -", row.text).out, '\n'), row.listed);
        const ToolRun run = Tool("normalize -", row.text);
        EXPECT_EQ(run.status, 0) << run.err;
        ExpectSameGames(row.text, run.out);
        EXPECT_NE(run.out.find(row.piece), std::string::npos) << row.piece << "\n---\n" << run.out;
    }
}

TEST(RealFiles, AreCheckedListedAndWrittenBackWithAllTheySay) {
    std::size_t games = 0;
    std::size_t comments = 0;
    for (const auto& entry : std::filesystem::directory_iterator(PgnData("real"))) {
        const std::string path = entry.path().string();
        SCOPED_TRACE(path);
        // Only the game with the null move Z0 cannot be read; normalize copies it unchanged.
        const int status = entry.path().filename() == "pc-anastasian-lewis.pgn";
        const ToolRun normalized = Tool("normalize " + path);
        EXPECT_EQ(normalized.status, status) << normalized.err;
        EXPECT_TRUE(Tool("normalize -", normalized.out).out == normalized.out) << "not stable";
        const std::vector<Game> read = ExpectSameGames(ReadWholeFile(path), normalized.out);
        for (const Game& game : read) {
            comments += std::ranges::count_if(game.said, [](auto& s) { return s.ends_with(" }"); });
        }
        games += read.size();

        const ToolRun check = Tool("check " + path);
        EXPECT_EQ(check.status, status);
        EXPECT_TRUE(Holds(check.out, std::to_string(read.size()) + " games, " +
                                         std::to_string(status) + " failed"))
            << check.out;
        EXPECT_EQ(Tool("list " + path).err.empty(),
                  check.out.find("not listed") == std::string::npos);
    }
    // The Dortmund book alone holds 347 games and over 2,000 comments.
    EXPECT_GT(games, 1000u);
    EXPECT_GT(comments, 2000u);
}

// The program itself: standard input, and the exit status its manual page gives.
TEST(Program, ReadsStandardInputAndExitsWithItsStatus) {
    const int status = std::system(
        (KORVANI_PGN_PROGRAM " check - >/dev/null < '" + Pgn("real") + "/pc-anastasian-lewis.pgn'")
            .c_str());
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 1);
}

}  // namespace
