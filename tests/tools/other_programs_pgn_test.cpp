// PGN as other programs write it: each case is a file's text, the number of games the
// games list shows and the number that `normalize` writes, and pieces of text that the
// written games must hold (line breaks of the wrapping undone). Each case lost or
// changed something before.
#include <gtest/gtest.h>

#include <unistd.h>
#include <ostream>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "pgn/games_file.h"
#include "tools/pgn_tool.h"

namespace {

namespace fs = std::filesystem;

struct OtherProgramCase {
    const char* name;
    std::string text;
    std::size_t listed;   // rows of the games list
    std::size_t written;  // games that normalize writes
    std::vector<std::string> expected;
};

// Names the case in test listings instead of dumping its bytes.
void PrintTo(const OtherProgramCase& c, std::ostream* os) {
    *os << c.name;
}

const std::string kRoster =
    "[Event \"E\"]\r\n[Site \"S\"]\r\n[Date \"2024.01.01\"]\r\n[Round \"1\"]\r\n"
    "[White \"W\"]\r\n[Black \"B\"]\r\n[Result \"*\"]\r\n";

std::string Game(std::string_view moves, std::string_view tags = "") {
    return kRoster + std::string(tags) + "\r\n" + std::string(moves) + "\r\n\r\n";
}

// The written text with the wrapping's line breaks undone: a break after a bracket
// stands for nothing, any other for the blank it replaced.
std::string Unwrapped(const std::string& text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text.compare(i, 2, "\r\n") == 0 && i + 2 < text.size() && text[i + 2] != '\r' &&
            text[i + 2] != '[' && !out.empty() && out.back() != '\n') {
            if (out.back() != '(' && out.back() != '{') {
                out += ' ';
            }
            ++i;
            continue;
        }
        out += text[i];
    }
    return out;
}

std::vector<OtherProgramCase> Cases() {
    const std::string longWords = [] {
        std::string words;
        for (int i = 0; i < 90; ++i) {
            words += "word ";
        }
        return words;
    }();
    std::string accents;
    for (int i = 0; i < 200; ++i) {
        accents += "\xC3\xA9";
    }
    const std::string annotator(254 - std::string("[Annotator \"\"]").size(), 'a');
    return {
        {"a comment before a variation's first move stays there; comments in a row are joined",
         Game("1. e4 e5 {after e5} ({intro} 1... c5 {after c5}) 2. Nf3 {one} {two} *"),
         1,
         1,
         {"1. e4 e5 {after e5} ({intro} 1... c5 {after c5}) 2. Nf3 {one two} *"}},
        {"a comment line that starts with [ starts no game",
         Game("1. e4 { thinking\r\n[%clk 0:10:00] } e5 *") + Game("1. d4 *"),
         2,
         2,
         {"1. e4 {thinking [%clk 0:10:00] } 1... e5 *", "[Result \"*\"]\r\n\r\n1. d4 *"}},
        {"a long line keeps its UTF-8 and gains no blanks",
         Game("1. e4 {" + accents + "} {" + longWords + "} *"),
         1,
         1,
         {"1. e4 {" + accents + " " + longWords + "} *"}},
        {"a comment run of more than 511 bytes without a blank is written back whole",
         Game("1. e4 {" + std::string(1500, 'x') + " end} *"),
         1,
         1,
         {"1. e4 {" + std::string(1500, 'x') + " end} *"}},
        {"a byte-order mark at the start and after a cat join is skipped",
         "\xEF\xBB\xBF" + Game("1. e4 *") + "\xEF\xBB\xBF" + Game("1. d4 *"),
         2,
         2,
         {"[Event \"E\"]\r\n[Site", "1. e4 *", "1. d4 *"}},
        {"a result inside a variation does not end the game",
         Game("1. e4 (1. d4 1-0) 1... e5 *"),
         1,
         1,
         {"1. e4 (1. d4) 1... e5 *"}},
        {"a tag line of 254 bytes and CR LF is followed by the next tag",
         Game("1. e4 *", "[Annotator \"" + annotator + "\"]\r\n[ECO \"C20\"]\r\n"),
         1,
         1,
         {"[ECO \"C20\"]", "1. e4 *"}},
        {"escape lines are skipped anywhere",
         "% exported\r\n" + Game("1. e4\r\n% private data\r\ne5 *", "% inside the tags\r\n"),
         1,
         1,
         {"[Result \"*\"]\r\n\r\n1. e4 e5 *"}},
        {"a tab or no blank after a tag's name",
         "[Event\t\"E\"]\r\n[Site \"S\"]\r\n[Date \"2024.01.01\"]\r\n[Round \"1\"]\r\n"
         "[White\"W\"]\r\n[Black \"B\"]\r\n[Result \"*\"]\r\n[Annotator\"X\"]\r\n\r\n1. e4 *\r\n",
         1,
         1,
         {"[Event \"E\"]", "[White \"W\"]", "[Annotator \"X\"]"}},
        {"correspondence tags without WhiteEmail are kept",
         Game("1. e4 *", "[BlackEmail \"b@x.org\"]\r\n[LastMove \"3\"]\r\n[Trait \"Black\"]\r\n"),
         1,
         1,
         {"[BlackEmail \"b@x.org\"]\r\n[LastMove \"3\"]\r\n[Trait \"Black\"]"}},
        {"FEN clocks and move numbers are kept",
         Game("300... Kd7 *", "[SetUp \"1\"]\r\n[FEN \"4k3/8/8/8/8/8/8/4K3 b - - 12 300\"]\r\n") +
             Game("1. Kd2 *", "[SetUp \"1\"]\r\n[FEN \"4k3/8/8/8/8/8/8/4K3 w - - 0 0\"]\r\n"),
         2,
         2,
         {"[FEN \"4k3/8/8/8/8/8/8/4K3 b - - 12 300\"]", "300... Kd7 *",
          "[FEN \"4k3/8/8/8/8/8/8/4K3 w - - 0 0\"]", "1. Kd2 *"}},
        {"a variation that repeats the main move stays a variation",
         Game("1. e4 e5 (1... e5 2. Nf3 $1 {idea}) 2. Nc3 *"),
         1,
         1,
         {"1. e4 e5 (1... e5 2. Nf3 $1 {idea}) 2. Nc3 *"}},
        {"a semicolon comment is kept in braces",
         Game("1. d4 d5 ; a note on d5\r\n2. c4 *"),
         1,
         1,
         {"1. d4 d5 {a note on d5} 2. c4 *"}},
        {"NAGs before the first move of the game or of a variation stay before it",
         Game("{intro} $1 1. e4 e5 ( $2 1... c5 ) ( {x} $146 1... e6 ) 2. Nf3 *"),
         1,
         1,
         {"{intro} $1 1. e4 e5 ($2 1... c5) ({x} $146 1... e6) 2. Nf3 *"}},
        {"every NAG of a move is kept in order",
         Game("1. e4 ! $4 e5 $5 {x} $10 *"),
         1,
         1,
         {"1. e4 $1 $4 e5 $5 $10 {x} *"}},
        {"games without the whole roster are written and never merged",
         "[Event \"Study\"]\r\n[Site \"S\"]\r\n\r\n1. f4 *\r\n\r\n" + Game("1. e4 *") +
             "[Event \"Study 2\"]\r\n\r\n1. c4 *\r\n",
         1,
         3,
         {"[Event \"Study\"]", "1. f4\r\n", "[White \"W\"]", "1. e4 *", "1. c4\r\n"}},
    };
}

class OtherProgramsPgn : public testing::TestWithParam<OtherProgramCase> {};

TEST_P(OtherProgramsPgn, AreListedReadAndWrittenWhole) {
    const OtherProgramCase& c = GetParam();
    // One name per process: ctest runs the cases side by side.
    const fs::path path = fs::path(testing::TempDir()) /
                          ("korvani_other_program_" + std::to_string(::getpid()) + ".pgn");
    {
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out << c.text;
    }
    GamesFile games(path);
    ASSERT_TRUE(games.Reload());
    EXPECT_EQ(games.entryCount(), c.listed);

    std::ostringstream out;
    std::ostringstream err;
    const std::string file = path.string();
    const std::vector<std::string_view> args = {"normalize", file};
    EXPECT_EQ(RunPgnTool(args, out, err), ToolExit::Ok) << err.str();
    const std::string written = Unwrapped(out.str());
    std::size_t count = 0;
    for (std::size_t at = written.find("[Event"); at != std::string::npos;
         at = written.find("[Event", at + 1)) {
        ++count;
    }
    EXPECT_EQ(count, c.written) << written;
    for (const std::string& piece : c.expected) {
        EXPECT_NE(written.find(piece), std::string::npos) << piece << "\n---\n" << written;
    }
    fs::remove(path);
}

INSTANTIATE_TEST_SUITE_P(Cases, OtherProgramsPgn, testing::ValuesIn(Cases()),
                         [](const testing::TestParamInfo<OtherProgramCase>& info) {
                             std::string name;
                             for (const char c : std::string_view(info.param.name)) {
                                 name += std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
                             }
                             return name;
                         });

}  // namespace
