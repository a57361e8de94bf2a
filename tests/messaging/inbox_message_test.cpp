#include "messaging/inbox_message.h"

#include <gtest/gtest.h>

#include <ctime>
#include <string>
#include <vector>

#include "tests/support/messaging_test_support.h"

namespace {

std::string MailFile(const std::string& name) {
    return ReadBytes(std::filesystem::path(KORVANI_TEST_DATA_DIR) / "mail" / name);
}

// 9 December 2025, 23:30 UTC: still the 9th in UTC, whatever the local zone.
constexpr std::time_t kNinthOfDecember = 1765323000;

struct MailCase {
    const char* file;
    std::u16string sender;
    std::u16string subject;
    std::u16string body;
};

void PrintTo(const MailCase& c, std::ostream* out) {
    *out << c.file;
}

class InboxMessageFileTest : public ::testing::TestWithParam<MailCase> {};

TEST_P(InboxMessageFileTest, DecodesSenderSubjectAndBody) {
    const MailCase& c = GetParam();
    const std::string bytes = MailFile(c.file);
    ASSERT_FALSE(bytes.empty());
    const auto message = BuildInboxMessage(bytes, kNinthOfDecember);
    EXPECT_EQ(message->sender, c.sender);
    EXPECT_EQ(message->subject, c.subject);
    ASSERT_TRUE(message->body.has_value());
    EXPECT_EQ(*message->body, c.body);
    EXPECT_EQ(message->date, u"12.09");
}

INSTANTIATE_TEST_SUITE_P(
    Mails, InboxMessageFileTest,
    ::testing::Values(
        MailCase{"qp_utf8_body_encoded_subject.eml", u"andre@example.fr",
                 u"Coup n\u00b012 \u2014 \u00e0 toi",
                 u"12... Nf6\r\n\r\nJ\u2019ai h\u00e9sit\u00e9 longtemps \u2014 ton tour !\r\n"},
        MailCase{"base64_latin1_body.eml", u"alice@example.org", u"Move #3",
                 u"3. e4\r\n\r\nCaf\u00e9 par"},
        MailCase{"no_sender_no_subject.eml", u"Unknown", u"Error", u"5. O-O\r\n"},
        MailCase{"html_only.eml", u"html@example.org", u"Html only",
                 u"7. Qd2\r\nS\u00fbr & certain\u202f? Bob\r\n"},
        MailCase{"plain_attachment_html_body.eml", u"bob@example.org", u"Move and game",
                 u"2... Nc6\r\n"},
        MailCase{"header_line_then_e5.eml", u"Unknown", u"e5", u"e5"},
        MailCase{"raw_without_empty_line.eml", u"Unknown", u"Error",
                 u"garbage line without colon\r\nand more text 9. Kg1\r\n"},
        MailCase{"multipart_plain_after_html.eml", u"multi@example.org", u"Parts", u"14. Rfe1"},
        MailCase{"forwarded_rfc822.eml", u"fwd@example.org", u"Fwd", u"21... Kh8"},
        MailCase{"sender_in_group.eml", u"white@example.org", u"Group", u"1. e4\r\n"}),
    [](const auto& info) {
        std::string name = info.param.file;
        return name.substr(0, name.find('.'));
    });

TEST(InboxMessage, UnknownDeliveryTimeGivesQuestionMarks) {
    EXPECT_EQ(BuildInboxMessage("Subject: x\n\ny\n", std::nullopt)->date, u"??");
}

TEST(InboxMessage, DateIsMonthThenDayInUtc) {
    // 3 May 2024 00:30 UTC.
    EXPECT_EQ(BuildInboxMessage("", 1714696200)->date, u"05.03");
    // 31 December 2023 23:59:59 UTC.
    EXPECT_EQ(BuildInboxMessage("", 1704067199)->date, u"12.31");
}

TEST(InboxMessage, LongFieldsAreCut) {
    const std::string local(100, 's');
    const std::string subject(200, 'S');
    const std::string body(40000, 'b');
    const auto message = BuildInboxMessage(
        "From: " + local + "@example.org\nSubject: " + subject + "\n\n" + body, std::nullopt);
    EXPECT_EQ(message->sender, std::u16string(63, u's'));
    EXPECT_EQ(message->subject, std::u16string(127, u'S'));
    EXPECT_EQ(message->body->size(), InboxMessage::kMaxBodyCharacters);
}

TEST(InboxMessage, RawBodyIsCutAtTheBufferAndAtNul) {
    const std::string html = "Content-Type: application/octet-stream\n\n";
    const auto longRaw = BuildInboxMessage(html + std::string(40000, 'h'), std::nullopt);
    EXPECT_EQ(longRaw->body->size(), InboxMessage::kMaxRawBodyBytes - html.size());
    const auto withNul = BuildInboxMessage(html + std::string("ab\0cd", 5), std::nullopt);
    EXPECT_EQ(*withNul->body, u"ab");
}

TEST(InboxMessage, RawBodyReadsWindows1252LineByLine) {
    const auto message = BuildInboxMessage(
        "Content-Type: application/x-chess\n\nd\xc3\xa9j\xc3\xa0\ncaf\xe9\n", std::nullopt);
    EXPECT_EQ(*message->body, u"d\u00e9j\u00e0\r\ncaf\u00e9\r\n");
}

TEST(InboxMessage, BodyEndsAtNulAndKeepsCrLf) {
    const auto message = BuildInboxMessage(
        std::string("Content-Type: text/plain\r\n\r\n1. e4\r\nrest\0hidden", 46), std::nullopt);
    EXPECT_EQ(*message->body, u"1. e4\r\nrest");
}

// Messages whose shape the MIME library must not be given: an address group nested
// deeper than any stack allows (in From, To, Cc, or in a forwarded message), parts
// nested or repeated past every real mail, a header section of hundreds of kilobytes.
struct HostileCase {
    const char* name;
    std::string bytes;
};

void PrintTo(const HostileCase& c, std::ostream* out) {
    *out << c.name;
}

std::string Repeated(const std::string& piece, int count) {
    std::string text;
    text.reserve(piece.size() * static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) {
        text += piece;
    }
    return text;
}

// "g:g:g:...a@b.c;;;", nested `depth` times.
std::string NestedGroups(int depth) {
    return Repeated("g:", depth) + "a@b.c;;;";
}

std::vector<HostileCase> HostileCases() {
    const std::string plain = "Subject: s\n\n1. e4\n";
    std::string nestedMultiparts = "From: deep@example.org\nSubject: Deep\n";
    for (int i = 0; i < 3000; ++i) {
        const std::string boundary = "b" + std::to_string(i);
        nestedMultiparts +=
            "Content-Type: multipart/mixed; boundary=" + boundary + "\n\n--" + boundary + "\n";
    }
    return {
        {"group_in_from", "From: " + NestedGroups(300000) + "\n" + plain},
        {"group_in_to", "From: a@example.org\nTo: " + NestedGroups(300000) + "\n" + plain},
        {"group_in_folded_cc",
         "From: a@example.org\nCc: x:\n\t" + NestedGroups(300000) + "\n" + plain},
        {"group_in_forwarded_message",
         "From: a@example.org\nContent-Type: message/rfc822\n\nFrom: " + NestedGroups(300000) +
             "\n" + plain},
        {"nested_multiparts", nestedMultiparts + "Content-Type: text/plain\n\nbottom\n"},
        {"nested_forwarded_messages",
         "From: a@example.org\n" + Repeated("Content-Type: message/rfc822\n\n", 100) + plain},
        {"many_parts", "From: a@example.org\nContent-Type: multipart/mixed; boundary=p\n\n" +
                           Repeated("--p\n\nx\n", 2000)},
        {"huge_header_section",
         "From: a@example.org\n" + Repeated("X-Pad: padding\n", 20000) + plain},
    };
}

class UnreadableMailTest : public ::testing::TestWithParam<HostileCase> {};

TEST_P(UnreadableMailTest, IsListedAsErrorWithoutBody) {
    const auto message = BuildInboxMessage(GetParam().bytes, kNinthOfDecember);
    EXPECT_EQ(message->sender, u"Unknown");
    EXPECT_EQ(message->subject, u"Error");
    EXPECT_FALSE(message->body.has_value());
    EXPECT_EQ(message->date, u"12.09");
}

INSTANTIATE_TEST_SUITE_P(Shapes, UnreadableMailTest, ::testing::ValuesIn(HostileCases()),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
