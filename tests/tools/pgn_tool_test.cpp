// korvani-pgn: its commands run in process, and the installed program on the real
// collections.
#include <gtest/gtest.h>

#include <ostream>

#include <sys/wait.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "tools/pgn_tool.h"

namespace {

std::string PgnData(std::string_view name) {
    return (std::filesystem::path(KORVANI_TEST_DATA_DIR) / "pgn" / name).string();
}

struct ToolRun {
    int status;
    std::string out;
    std::string err;
};

ToolRun RunTool(std::vector<std::string> args) {
    const std::vector<std::string_view> views(args.begin(), args.end());
    std::ostringstream out;
    std::ostringstream err;
    // The statuses are checked as the numbers the manual page gives.
    const int status = static_cast<int>(RunPgnTool(views, out, err));
    return {status, out.str(), err.str()};
}

TEST(ListCommand, OneTabSeparatedLinePerIndexedGame) {
    const ToolRun run = RunTool({"list", PgnData("email_game.pgn")});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(run.out.substr(0, run.out.find('\n') + 1), "0\tAlice\t* Bob\t03.14\n");
    EXPECT_NE(run.out.find("\t* Carol\tDave\t?\n"), std::string::npos);
}

TEST(ListCommand, WritesUtf8WhateverTheFileUses) {
    const ToolRun run = RunTool({"list", PgnData("half_half_draw_latin1.pgn")});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, "0\tAlice\tBob\t\xC2\xBD-\xC2\xBD\n");
}

TEST(ListCommand, EmptyFileListsNothing) {
    const ToolRun run = RunTool({"list", PgnData("empty.pgn")});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, "");
}

TEST(CheckCommand, AllGood) {
    const ToolRun run = RunTool({"check", PgnData("two_games_blank_line.pgn")});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, "2 games, 0 failed\n");
}

TEST(CheckCommand, ReportsEachFailingGame) {
    const ToolRun run = RunTool({"check", PgnData("illegal_move_ke3.pgn")});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, "0\t8\tIllegal move : Ke3\n1 games, 1 failed\n");
}

TEST(CheckCommand, VerboseShowsTheReadersDiagnostics) {
    testing::internal::CaptureStderr();
    const ToolRun run = RunTool({"--verbose", "check", PgnData("null_move.pgn")});
    const std::string diagnostics = testing::internal::GetCapturedStderr();
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(diagnostics, "Token Erreur\n");
    testing::internal::CaptureStderr();
    RunTool({"check", PgnData("null_move.pgn")});
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
}

struct UsageCase {
    std::vector<std::string> args;
    int status;
    std::string errContains;
};

// Names the case in test listings instead of dumping its bytes.
void PrintTo(const UsageCase& c, std::ostream* os) {
    for (const std::string& arg : c.args) {
        *os << arg << ' ';
    }
}

class CommandLine : public ::testing::TestWithParam<UsageCase> {};

TEST_P(CommandLine, RefusesClearly) {
    const ToolRun run = RunTool(GetParam().args);
    EXPECT_EQ(run.status, GetParam().status);
    EXPECT_NE(run.err.find(GetParam().errContains), std::string::npos) << run.err;
    EXPECT_EQ(run.out, "");
}

INSTANTIATE_TEST_SUITE_P(
    Errors, CommandLine,
    ::testing::Values(UsageCase{{}, 2, "no command given"},
                      UsageCase{{"sort", "x.pgn"}, 2, "unknown command 'sort'"},
                      UsageCase{{"list"}, 2, "'list' takes one FILE"},
                      UsageCase{{"check", "a.pgn", "b.pgn"}, 2, "'check' takes one FILE"},
                      UsageCase{{"--fast", "list", "a.pgn"}, 2, "unknown option '--fast'"},
                      UsageCase{{"list", "/no/such/file.pgn"},
                                2,
                                "cannot read /no/such/file.pgn: No such file or directory"},
                      UsageCase{{"check", KORVANI_TEST_DATA_DIR}, 2, "Is a directory"}));

std::string FileText(std::string_view name) {
    std::ifstream stream(PgnData(name), std::ios::binary);
    return {std::istreambuf_iterator<char>(stream), std::istreambuf_iterator<char>()};
}

// A command line that works: its standard input, exit status, and what its standard
// output starts with.
struct UseCase {
    const char* name;
    std::vector<std::string> args;
    std::string in;
    int status;
    std::string outStart;
};

// Names the case in test listings instead of dumping its bytes.
void PrintTo(const UseCase& c, std::ostream* os) {
    *os << c.name;
}

class CommandLineUse : public ::testing::TestWithParam<UseCase> {};

TEST_P(CommandLineUse, GivesItsOutputAndStatus) {
    const UseCase& c = GetParam();
    const std::vector<std::string_view> views(c.args.begin(), c.args.end());
    std::istringstream in(c.in);
    std::ostringstream out;
    std::ostringstream err;
    EXPECT_EQ(static_cast<int>(RunPgnTool(views, in, out, err)), c.status) << err.str();
    EXPECT_TRUE(out.str().starts_with(c.outStart)) << out.str();
}

INSTANTIATE_TEST_SUITE_P(
    Uses, CommandLineUse,
    ::testing::Values(
        UseCase{"Version", {"--version"}, "", 0, "korvani-pgn " KORVANI_VERSION "\n"},
        UseCase{"ListReadsStandardInput",
                {"list", "-"},
                FileText("email_game.pgn"),
                0,
                "0\tAlice\t* Bob\t03.14\n"},
        UseCase{"CheckReadsStandardInput",
                {"check", "-"},
                FileText("illegal_move_ke3.pgn"),
                1,
                "0\t8\tIllegal move : Ke3\n1 games, 1 failed\n"},
        UseCase{"NormalizeReadsStandardInput",
                {"normalize", "--", "-"},
                FileText("simple_game.pgn"),
                0,
                "[Event "},
        UseCase{"EmptyStandardInputHoldsNoGame", {"check", "-"}, "", 0, "0 games, 0 failed\n"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(CommandLine, HelpListsTheCommandsAndExitStatuses) {
    const ToolRun run = RunTool({"--help"});
    EXPECT_EQ(run.status, 0);
    EXPECT_NE(run.out.find("list FILE"), std::string::npos);
    EXPECT_NE(run.out.find("check FILE"), std::string::npos);
    EXPECT_NE(run.out.find("'-' for standard input"), std::string::npos);
    EXPECT_NE(run.out.find("Exit status: 0 success, 1 some games failed to load"),
              std::string::npos);
}

// The program itself, on the real collections: exit status and summary line.
ToolRun RunProgram(const std::string& command, const std::string& file) {
    const std::string line =
        std::string(KORVANI_PGN_PROGRAM) + " " + command + " '" + file + "' 2>/dev/null";
    FILE* pipe = popen(line.c_str(), "r");
    EXPECT_NE(pipe, nullptr);
    std::string out;
    std::array<char, 4096> buffer{};
    std::size_t got = 0;
    while ((got = std::fread(buffer.data(), 1, buffer.size(), pipe)) > 0) {
        out.append(buffer.data(), got);
    }
    const int status = pclose(pipe);
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, out, ""};
}

TEST(Program, ChecksTheRealCollections) {
    for (const auto& entry :
         std::filesystem::directory_iterator(KORVANI_TEST_DATA_DIR "/pgn/real")) {
        if (entry.path().extension() != ".pgn") {
            continue;
        }
        const ToolRun run = RunProgram("check", entry.path().string());
        if (entry.path().filename() == "pc-anastasian-lewis.pgn") {
            EXPECT_EQ(run.status, 1);
            EXPECT_EQ(run.out, "0\t6\tUnknown token : Z0 42. Ke1 Qh1+ 1-0\n1 games, 1 failed\n");
        } else {
            EXPECT_EQ(run.status, 0) << entry.path() << run.out;
            EXPECT_NE(run.out.find(" games, 0 failed"), std::string::npos)
                << entry.path() << run.out;
            // The study files lack four roster tags: every game is read all the same.
            if (entry.path().filename().string().starts_with("study-")) {
                EXPECT_NE(run.out.find("not listed (tags incomplete: White, Black, Date, Round"),
                          std::string::npos)
                    << run.out;
            }
        }
    }
    EXPECT_EQ(RunProgram("check", std::string(KORVANI_TEST_DATA_DIR "/pgn/real") +
                                      "/master-kasparov-first-300k.pgn")
                  .out,
              "485 games, 0 failed\n");
}

TEST(Program, ListsTheRealCollections) {
    const std::string path =
        std::string(KORVANI_TEST_DATA_DIR "/pgn/real") + "/pc-kasparov-deep-blue-1997.pgn";
    const ToolRun run = RunProgram("list", path);
    EXPECT_EQ(run.status, 0);
    // One row per game, at the offset of its first tag line.
    std::ifstream stream(path, std::ios::binary);
    const std::string content{std::istreambuf_iterator<char>(stream),
                              std::istreambuf_iterator<char>()};
    std::string offsets;
    for (std::size_t at = 0; at != std::string::npos; at = content.find("\n[Event ", at + 1)) {
        offsets += std::to_string(at == 0 ? 0 : at + 1) + ",";
    }
    std::string listed;
    std::istringstream rows(run.out);
    for (std::string row; std::getline(rows, row);) {
        listed += row.substr(0, row.find('\t')) + ",";
    }
    EXPECT_EQ(listed, offsets);
    EXPECT_TRUE(run.out.starts_with("0\tGarry Kasparov\tDeep Blue (Computer)\t1-0\n"));
}

TEST(Program, UnreadableFileExitsWithTwo) {
    EXPECT_EQ(RunProgram("list", "/no/such/file.pgn").status, 2);
}

TEST(Program, ReadsStandardInputForDash) {
    const std::string line = std::string(KORVANI_PGN_PROGRAM) + " check - < '" +
                             PgnData("two_games_blank_line.pgn") + "'";
    FILE* pipe = popen(line.c_str(), "r");
    ASSERT_NE(pipe, nullptr);
    std::array<char, 256> buffer{};
    const std::size_t got = std::fread(buffer.data(), 1, buffer.size(), pipe);
    const int status = pclose(pipe);
    EXPECT_EQ(std::string(buffer.data(), got), "2 games, 0 failed\n");
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
}

}  // namespace
