// The buffered file: positions, stepping back and forth, and refusals.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string>

#include "tests/support/pgn_test_support.h"
#include "platform/buffered_file.h"

namespace {

const std::filesystem::path kLargeFile =
    std::filesystem::path(KORVANI_TEST_DATA_DIR "/pgn/real") / "master-kasparov-first-300k.pgn";

TEST(BufferedFile, RefusesAMissingFileAndAFolder) {
    BufferedFile file;
    EXPECT_EQ(file.Open(PgnData("no_such_file.pgn")), ENOENT);
    EXPECT_FALSE(file.IsOpen());
    EXPECT_EQ(file.Open(KORVANI_TEST_DATA_DIR), EISDIR);
    EXPECT_FALSE(file.IsOpen());
    EXPECT_TRUE(file.Peek(10).empty());
}

// A pipe cannot be read at an offset: the read fails, and the failure is told apart
// from the end of the file.
TEST(BufferedFile, ReadFailureIsReported) {
    const auto fifo =
        std::filesystem::temp_directory_path() / ("korvani_fifo_" + std::to_string(::getpid()));
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    // A writer end keeps the reader's open from waiting.
    const int writer = ::open(fifo.c_str(), O_RDWR | O_NONBLOCK);
    ASSERT_GE(writer, 0);
    ASSERT_EQ(::write(writer, "[Event", 6), 6);
    BufferedFile file;
    ASSERT_EQ(file.Open(fifo), 0);
    EXPECT_TRUE(file.Peek(10).empty());
    EXPECT_TRUE(file.Failed());
    EXPECT_EQ(file.ReadError(), ESPIPE);
    ::close(writer);
    std::filesystem::remove(fifo);
}

TEST(BufferedFile, PeekDoesNotMoveAndSkipDoes) {
    BufferedFile file;
    ASSERT_EQ(file.Open(PgnData("lone_lf.pgn")), 0);
    EXPECT_EQ(file.Peek(4), "ab\nc");
    EXPECT_EQ(file.Peek(2), "ab");
    file.Skip(3);
    EXPECT_EQ(file.Tell(), 3u);
    EXPECT_EQ(file.Peek(100), "cd\n\nef");
    file.Skip(6);
    EXPECT_TRUE(file.Peek(1).empty());
    EXPECT_FALSE(file.Failed());
    EXPECT_EQ(file.ReadError(), 0);
}

// Seeking anywhere, back or forth, inside or outside what was read, gives the bytes
// that are there.
TEST(BufferedFile, SeeksGiveTheBytesAtTheOffset) {
    const std::string content = ReadWholeFile(kLargeFile);
    ASSERT_GT(content.size(), 300000u);
    BufferedFile file;
    ASSERT_EQ(file.Open(kLargeFile), 0);
    for (const std::uint64_t offset :
         {std::uint64_t{290000}, std::uint64_t{10}, std::uint64_t{4090}, std::uint64_t{4100},
          std::uint64_t{0}, std::uint64_t{content.size() - 5}, std::uint64_t{200000}}) {
        file.Seek(offset);
        EXPECT_EQ(file.Tell(), offset);
        EXPECT_EQ(file.Peek(255), std::string_view(content).substr(offset, 255)) << offset;
    }
    file.Seek(content.size() + 10);
    EXPECT_TRUE(file.Peek(5).empty());
}

TEST(BufferedFile, ReadsAWholeFileInSteps) {
    const std::string content = ReadWholeFile(kLargeFile);
    BufferedFile file;
    ASSERT_EQ(file.Open(kLargeFile), 0);
    std::string copy;
    while (true) {
        const std::string_view bytes = file.Peek(255);
        if (bytes.empty()) {
            break;
        }
        // Take a little less than was looked at, as the line reader does.
        const std::size_t taken = bytes.size() > 7 ? bytes.size() - 7 : bytes.size();
        copy.append(bytes.substr(0, taken));
        file.Skip(taken);
    }
    EXPECT_EQ(copy, content);
}

}  // namespace
