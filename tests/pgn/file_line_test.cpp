// The line reader: which lines come out of a file and at which offsets they start.
#include <gtest/gtest.h>

#include <ostream>

#include <array>
#include <string>
#include <utility>
#include <vector>

#include "pgn/file_line.h"
#include "tests/support/pgn_test_support.h"
#include "platform/buffered_file.h"

namespace {

struct Line {
    std::string bytes;
    std::uint64_t offset;
    bool operator==(const Line&) const = default;
};

std::ostream& operator<<(std::ostream& stream, const Line& line) {
    return stream << '{' << line.offset << ", \"" << line.bytes << "\"}";
}

std::vector<Line> ReadAllLines(const std::string& name) {
    BufferedFile file;
    EXPECT_EQ(file.Open(PgnData(name)), 0) << name;
    std::vector<Line> lines;
    std::array<char, kLineCapacity> bytes{};
    std::size_t length = 0;
    std::uint64_t offset = file.Tell();
    while (ReadFileLine(file, bytes, length)) {
        EXPECT_EQ(bytes[length], '\0');
        lines.push_back({std::string(bytes.data(), length), offset});
        offset = file.Tell();
    }
    return lines;
}

struct LineCase {
    std::string file;
    std::vector<Line> lines;
};

// Names the case in test listings instead of dumping its bytes.
void PrintTo(const LineCase& c, std::ostream* os) {
    *os << c.file;
}

class LineReaderTest : public ::testing::TestWithParam<LineCase> {};

TEST_P(LineReaderTest, GivesTheLinesAndTheirOffsets) {
    EXPECT_EQ(ReadAllLines(GetParam().file), GetParam().lines);
}

const std::string kA200(200, 'a');
const std::string kB40(40, 'b');
const std::string kC58(58, 'c');

INSTANTIATE_TEST_SUITE_P(
    Files, LineReaderTest,
    ::testing::Values(LineCase{"empty.pgn", {}},
                      LineCase{"crlf_blank_lines.pgn", {{"[Event \"a\"]", 0}, {"1. e4", 17}}},
                      LineCase{"lone_lf.pgn", {{"ab", 0}, {"cd", 3}, {"ef", 7}}},
                      // Line breaks at the start make no empty line.
                      LineCase{"starts_with_crlf.pgn", {{"[Event \"x\"]", 0}}},
                      LineCase{"mixed_line_breaks.pgn", {{"a", 0}, {"b", 6}}},
                      // Cut before the last blank of the first 255 bytes; the rest starts with it.
                      LineCase{"long_line_300.pgn", {{kA200 + " " + kB40, 0}, {" " + kC58, 241}}},
                      LineCase{"long_line_no_blank.pgn",
                               {{std::string(255, 'x'), 0}, {std::string(45, 'x'), 255}}},
                      // The stretch whose only blank is its first byte comes whole.
                      LineCase{"long_line_blank_first.pgn",
                               {{std::string(10, 'a'), 0},
                                {" " + std::string(254, 'y'), 10},
                                {std::string(46, 'y'), 265}}},
                      // A run of breaks cut by the read limit makes no empty line: a tag line
                      // of 254 bytes and CR LF is followed by the next line.
                      LineCase{"line_break_at_read_limit.pgn",
                               {{std::string(254, 'z'), 0}, {"next", 255}}},
                      // Without a final break the last line is split before its last blank too.
                      LineCase{"last_line_without_break.pgn", {{"1. e4 e5 1-0", 0}}}),
    [](const auto& info) {
        std::string name = info.param.file.substr(0, info.param.file.find('.'));
        return name;
    });

TEST(LineReader, RefusesABufferWithoutRoomForALine) {
    BufferedFile file;
    ASSERT_EQ(file.Open(PgnData("lone_lf.pgn")), 0);
    std::array<char, 1> tiny{};
    std::size_t length = 99;
    EXPECT_FALSE(ReadFileLine(file, tiny, length));
    EXPECT_EQ(file.Tell(), 0u);
}

TEST(LineReader, HonoursASmallerCapacity) {
    BufferedFile file;
    ASSERT_EQ(file.Open(PgnData("long_line_no_blank.pgn")), 0);
    std::array<char, 11> bytes{};
    std::size_t length = 0;
    ASSERT_TRUE(ReadFileLine(file, bytes, length));
    EXPECT_EQ(std::string(bytes.data(), length), std::string(10, 'x'));
    EXPECT_EQ(file.Tell(), 10u);
}

TEST(LineReader, ReadsFromASeekedOffset) {
    BufferedFile file;
    ASSERT_EQ(file.Open(PgnData("lone_lf.pgn")), 0);
    file.Seek(4);
    std::array<char, kLineCapacity> bytes{};
    std::size_t length = 0;
    ASSERT_TRUE(ReadFileLine(file, bytes, length));
    EXPECT_EQ(std::string(bytes.data(), length), "d");
}

// Every line of the real files, read through the shared buffer, agrees with reading
// 255 bytes afresh at each offset, as one read call per line would.
TEST(LineReader, AgreesWithOneReadPerLine) {
    for (const auto& entry :
         std::filesystem::directory_iterator(KORVANI_TEST_DATA_DIR "/pgn/real")) {
        const std::string content = ReadWholeFile(entry.path());
        BufferedFile file;
        ASSERT_EQ(file.Open(entry.path()), 0);
        std::array<char, kLineCapacity> bytes{};
        std::size_t length = 0;
        std::uint64_t offset = 0;
        std::size_t lines = 0;
        while (ReadFileLine(file, bytes, length)) {
            // Line breaks at the start are the rest of a run cut by the read limit, and a
            // byte-order mark starts no text: neither is a line.
            while (offset < content.size() &&
                   (content[offset] == '\r' || content[offset] == '\n')) {
                ++offset;
            }
            if (content.compare(offset, 3, "\xEF\xBB\xBF") == 0) {
                offset += 3;
            }
            const std::string_view window =
                std::string_view(content).substr(static_cast<std::size_t>(offset), 255);
            const std::size_t lineBreak = window.find_first_of("\r\n");
            std::size_t expectedLength = lineBreak;
            std::size_t next = lineBreak;
            if (lineBreak == std::string_view::npos && window.size() < 255) {
                expectedLength = window.size();  // the last line, without a line break
                next = expectedLength;
            } else if (lineBreak == std::string_view::npos) {
                const std::size_t blank = window.rfind(' ');
                expectedLength =
                    blank != std::string_view::npos && blank > 0 ? blank : window.size();
                next = expectedLength;
            } else {
                next = window.find_first_not_of("\r\n", lineBreak);
                next = next == std::string_view::npos ? window.size() : next;
            }
            ASSERT_EQ(length, expectedLength) << entry.path() << " at " << offset;
            ASSERT_EQ(file.Tell(), offset + next) << entry.path() << " at " << offset;
            offset = file.Tell();
            ++lines;
        }
        EXPECT_EQ(offset, content.size()) << entry.path();
        EXPECT_GT(lines, 0u);
    }
}

TEST(LineConversion, Utf8OrWindows1252UpToAZeroByte) {
    const std::pair<std::string_view, std::u16string_view> cases[] = {
        {"R\xC3\xA9ti \xC2\xBD", u"R\u00E9ti \u00BD"},
        {"R\xE9ti \xBD \x80", u"R\u00E9ti \u00BD \u20AC"},
        {std::string_view("ab\0cd", 5), u"ab"},
        // What follows the zero byte does not decide the code page either.
        {std::string_view("\xC3\xA9\0\xFF", 4), u"\u00E9"},
        {std::string_view("R\xE9ti\0\xC3\xA9", 7), u"R\u00E9ti"},
    };
    for (const auto& [bytes, expected] : cases) {
        LineText text;
        text.fill(u'x');  // the terminator must be written, not found
        const std::size_t length = ConvertLine(bytes, text);
        EXPECT_EQ(std::u16string_view(text.data(), length), expected);
        EXPECT_EQ(text[length], u'\0');
    }
}

}  // namespace
