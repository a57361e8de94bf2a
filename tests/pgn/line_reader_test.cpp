// The line readers and the buffered file: lines, their offsets, cuts and code pages.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cerrno>

#include "pgn/file_line.h"
#include "platform/buffered_file.h"
#include "tests/support/pgn_test_support.h"

namespace {

// The lines of a file from `from` on as ReadFileLine gives them, "offset:bytes|" each.
std::string FileLines(const std::filesystem::path& path, std::uint64_t from = 0) {
    BufferedFile file;
    EXPECT_EQ(file.Open(path), 0) << path;
    file.Seek(from);
    std::string out;
    std::array<char, kLineCapacity> bytes{};
    std::size_t length = 0;
    for (std::uint64_t offset = from; ReadFileLine(file, bytes, length); offset = file.Tell()) {
        out += (out.empty() ? "" : "|") + std::to_string(offset) + ":" +
               std::string(bytes.data(), length);
    }
    return out;
}

TEST(FileLines, GivesTheLinesAndTheirOffsets) {
    // clang-format off
    const std::pair<const char*, std::string> cases[] = {
        {"empty.pgn", ""}, {"lone_lf.pgn", "0:ab|3:cd|7:ef"}, {"mixed_line_breaks.pgn", "0:a|6:b"},
        {"crlf_blank_lines.pgn", "0:[Event \"a\"]|17:1. e4"},
        {"starts_with_crlf.pgn", "0:[Event \"x\"]"},  // breaks at the start make no line
        // Cut before the last blank of the first 255 bytes; the rest starts with it.
        {"long_line_300.pgn", "0:" + std::string(200, 'a') + " " + std::string(40, 'b') + "|241: " + std::string(58, 'c')},
        {"long_line_no_blank.pgn", "0:" + std::string(255, 'x') + "|255:" + std::string(45, 'x')},
        // The stretch whose only blank is its first byte comes whole.
        {"long_line_blank_first.pgn", "0:aaaaaaaaaa|10: " + std::string(254, 'y') + "|265:" + std::string(46, 'y')},
        // A run of breaks cut by the read limit makes no empty line.
        {"line_break_at_read_limit.pgn", "0:" + std::string(254, 'z') + "|255:next"},
        {"last_line_without_break.pgn", "0:1. e4 e5 1-0"}};
    // clang-format on
    for (const auto& [name, lines] : cases) {
        EXPECT_EQ(FileLines(PgnData(name)), lines) << name;
    }
    EXPECT_EQ(FileLines(PgnData("lone_lf.pgn"), 4), "4:d|7:ef");
    BufferedFile last;  // a last line without a break goes on in no further piece
    EXPECT_TRUE(!last.Open(PgnData("last_line_without_break.pgn")) && !ReadLinePiece(last)->cut);
    // Files joined with cat carry a byte-order mark at the start of each part.
    const std::string joined = FileLines(PgnData("bom_after_cat_join.pgn"));
    EXPECT_TRUE(joined.starts_with("0:[Event \"E\"]|") &&
                joined.find("|115:[Event \"E\"]|") != std::string::npos)
        << joined;
}

// Parts of a line over kMaxWholeLine join up again, no character cut in two.
TEST(WholeLines, JoinPiecesSkipByteOrderMarksAndDecideTheCodePage) {
    const std::string mib = EncodeUtf8(std::u16string(kMaxWholeLine, u'\u00E9'));
    // clang-format off
    const std::pair<std::string, std::u16string> cases[] = {
        {"a\r\nb\rc\n\n\r\rd", u"a|b|c|d"},
        {"\xEF\xBB\xBF" "ab\r\n\xEF\xBB\xBF" "cd\xEF\xBB\xBF", u"ab|cd\uFEFF"},
        {"R\xC3\xA9ti \xC2\xBD", u"R\u00E9ti \u00BD"}, {"R\xE9ti \xBD \x80", u"R\u00E9ti \u00BD \u20AC"},
        {"R\xC3\xA9ti \xE9\n\x80", u"R\u00C3\u00A9ti \u00E9|\u20AC"},
        {std::string("ab\0cd", 5), u"ab"}, {std::string("\xC3\xA9\0\xFF", 4), u"\u00E9"},
        {std::string("R\xE9ti\0\xC3\xA9", 7), u"R\u00E9ti"},
        {std::string(300, 'a') + " " + std::string(300, 'b'), std::u16string(300, u'a') + u" " + std::u16string(300, u'b')},
        {mib + "\nyz", std::u16string(kMaxWholeLine, u'\u00E9') + u"|yz"}};
    // clang-format on
    ScratchFolder folder;
    for (const auto& [bytes, lines] : cases) {
        WriteFileBytes(folder.path / "lines", bytes);
        BufferedFile file;
        ASSERT_EQ(file.Open(folder.path / "lines"), 0);
        std::string scratch;
        std::u16string text, out;
        int parts = 0;
        for (bool cut = false, was = false; ReadWholeLine(file, scratch, text, cut); was = cut) {
            out += (out.empty() || was ? u"" : u"|") + text;
            parts += cut ? 1 : 0;
        }
        EXPECT_EQ(out, lines) << bytes.substr(0, 40);
        EXPECT_EQ(parts, bytes.size() > kMaxWholeLine ? 1 : 0);
    }
}

TEST(BufferedFile, RefusesWhatCannotBeReadAndTellsAFailedRead) {
    BufferedFile file;
    EXPECT_EQ(file.Open(KORVANI_TEST_DATA_DIR), EISDIR);
    EXPECT_TRUE(file.Peek(10).empty());
    // A pipe cannot be read at an offset: the failure is told apart from the end.
    ScratchFolder folder;
    const auto fifo = folder.path / "fifo";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const int writer = ::open(fifo.c_str(), O_RDWR | O_NONBLOCK);
    ASSERT_EQ(::write(writer, "[Event", 6), 6);
    ASSERT_EQ(file.Open(fifo), 0);
    EXPECT_TRUE(file.Peek(10).empty());
    EXPECT_TRUE(file.Failed());
    EXPECT_EQ(file.ReadError(), ESPIPE);
    ::close(writer);
}

}  // namespace
