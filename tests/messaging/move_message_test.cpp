#include "messaging/send_move_message.h"

#include <gtest/gtest.h>

#include <ostream>

#include <string>
#include <vector>

namespace {

struct SplitCase {
    std::u16string text;
    std::vector<std::u16string> pieces;
};

// Names the case in test listings instead of dumping its bytes.
void PrintTo(const SplitCase& c, std::ostream* os) {
    for (const char16_t u : c.text) {
        *os << (u < 0x80 ? static_cast<char>(u) : '?');
    }
}

class SplitAddressTextTest : public ::testing::TestWithParam<SplitCase> {};

TEST_P(SplitAddressTextTest, GivesThePieces) {
    EXPECT_EQ(SplitAddressText(GetParam().text), GetParam().pieces);
}

INSTANTIATE_TEST_SUITE_P(Cases, SplitAddressTextTest,
                         ::testing::Values(SplitCase{u"a@x;b@y", {u"a@x", u"b@y"}},
                                           SplitCase{u"a@x; b@y", {u"a@x", u"b@y"}},
                                           SplitCase{u"a@x;;b@y", {u"a@x", u"", u"b@y"}},
                                           SplitCase{u"a@x;", {u"a@x"}},
                                           SplitCase{u"a@x b@y", {u"a@x", u"b@y"}},
                                           SplitCase{u"  a@x  ", {u"a@x"}}, SplitCase{u"", {}},
                                           SplitCase{u"   ", {}}, SplitCase{u";", {u""}},
                                           SplitCase{u"a@x;;", {u"a@x", u""}},
                                           SplitCase{u"a@x ;b@y", {u"a@x", u"", u"b@y"}}));

TEST(MoveMessageBody, IsMoveTextEmptyLineThenAdditionalText) {
    EXPECT_EQ(MoveMessageBody(u"20. Nf3", u"Your move"), u"20. Nf3\r\n\r\nYour move");
    EXPECT_EQ(MoveMessageBody(u"20... Nf3", u""), u"20... Nf3\r\n\r\n");
    EXPECT_EQ(MoveMessageBody(u"12. e4 ", u"").size(), 7u + 4u);
}

}  // namespace
