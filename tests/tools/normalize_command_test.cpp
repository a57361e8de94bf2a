// korvani-pgn normalize: every indexed game written again as the program saves it.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "tools/pgn_tool.h"

namespace {

namespace fs = std::filesystem;

struct ToolRun {
    ToolExit status;
    std::string out;
    std::string err;
};

ToolRun Normalize(const fs::path& file) {
    const std::string path = file.string();
    const std::vector<std::string_view> args = {"normalize", path};
    std::ostringstream out;
    std::ostringstream err;
    const ToolExit status = RunPgnTool(args, out, err);
    return {status, out.str(), err.str()};
}

std::string ReadBytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

fs::path Data(std::string_view name) {
    return fs::path(KORVANI_TEST_DATA_DIR) / "pgn" / name;
}

// Normalizing twice gives the same bytes as normalizing once.
void ExpectStable(const std::string& normalized) {
    // One name per process: ctest runs the tests side by side.
    const fs::path again = fs::path(testing::TempDir()) /
                           ("korvani_normalized_again_" + std::to_string(::getpid()) + ".pgn");
    std::ofstream(again, std::ios::binary) << normalized;
    const ToolRun second = Normalize(again);
    fs::remove(again);
    EXPECT_EQ(second.status, ToolExit::Ok);
    EXPECT_EQ(second.err, "");
    EXPECT_EQ(second.out, normalized);
}

TEST(NormalizeCommand, GameThatFailsIsCopiedUnchangedAndNamedOnStandardError) {
    const fs::path file = Data("middle_game_illegal_move.pgn");
    const ToolRun run = Normalize(file);
    EXPECT_EQ(run.status, ToolExit::SomeFailed);
    const std::string content = ReadBytes(file);
    const std::size_t second = content.find("[Event \"Two\"]");
    const std::size_t third = content.find("[Event \"Three\"]");
    EXPECT_EQ(run.err, std::to_string(second) + ": Illegal move : Ke3 (copied unchanged)\n");
    const std::string roster =
        "[Site \"?\"]\r\n[Date \"2024.01.01\"]\r\n[Round \"1\"]\r\n[White \"Anna\"]\r\n"
        "[Black \"Boris\"]\r\n[Result \"1-0\"]\r\n\r\n";
    EXPECT_EQ(run.out, "[Event \"One\"]\r\n" + roster +
                           "1. e4 e5 2. Nf3 {good} 2... Nc6 (2... d6) 1-0\r\n\r\n" +
                           content.substr(second, third - second) +
                           "[Event \"Three\"]\r\n[Site \"?\"]\r\n[Date \"2024.01.03\"]\r\n"
                           "[Round \"3\"]\r\n[White \"Emma\"]\r\n[Black \"Felix\"]\r\n"
                           "[Result \"0-1\"]\r\n\r\n1. d4 $1 d5 0-1\r\n\r\n");
}

TEST(NormalizeCommand, RealCollectionIsWrittenWholeAndStable) {
    const ToolRun run =
        Normalize(fs::path(KORVANI_TEST_DATA_DIR "/pgn/real") / "annotated-dortmund.pgn");
    EXPECT_EQ(run.status, ToolExit::Ok);
    EXPECT_EQ(run.err, "");
    std::size_t games = 0;
    for (std::size_t at = run.out.find("[Event "); at != std::string::npos;
         at = run.out.find("\r\n[Event ", at + 1)) {
        ++games;
    }
    EXPECT_EQ(games, 347u);
    ExpectStable(run.out);
}

TEST(NormalizeCommand, UnreadableFileCannotRun) {
    const ToolRun run = Normalize(Data("no_such_file.pgn"));
    EXPECT_EQ(run.status, ToolExit::CannotRun);
    EXPECT_EQ(run.out, "");
    EXPECT_NE(run.err, "");
}

}  // namespace
