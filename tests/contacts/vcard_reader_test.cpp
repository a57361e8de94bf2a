#include "contacts/vcard_reader.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>

namespace {

std::string ReadDataFile(const std::string& name) {
    std::ifstream in(std::string(KORVANI_TEST_DATA_DIR) + "/vcard/" + name, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

struct CardCase {
    const char* file;
    std::u16string firstName;
    std::u16string lastName;
    std::u16string email;
};

void PrintTo(const CardCase& c, std::ostream* out) {
    *out << c.file;
}

class VCardFileTest : public ::testing::TestWithParam<CardCase> {};

TEST_P(VCardFileTest, ReadsNameAndPreferredAddress) {
    const CardCase& c = GetParam();
    const std::string bytes = ReadDataFile(c.file);
    ASSERT_FALSE(bytes.empty());
    const std::vector<Contact> contacts = ReadVCards(bytes);
    ASSERT_EQ(contacts.size(), 1u);
    EXPECT_EQ(contacts[0].firstName, c.firstName);
    EXPECT_EQ(contacts[0].lastName, c.lastName);
    EXPECT_EQ(contacts[0].email, c.email);
}

INSTANTIATE_TEST_SUITE_P(
    Versions, VCardFileTest,
    ::testing::Values(
        CardCase{"v21_quoted_printable_latin1.vcf", u"J\u00f6rg", u"M\u00fcller",
                 u"joerg@example.de"},
        CardCase{"v21_quoted_printable_soft_break.vcf", u"Ren\u00e9e", u"Lef\u00e8vre",
                 u"renee@example.fr"},
        CardCase{"v30_folded_email.vcf", u"Anna", u"Smith", u"anna@example.org"},
        CardCase{"v30_escapes_and_group.vcf", u"Se\\amus", u"O;Brien, Jr.", u"seamus@example.ie"},
        CardCase{"v40_quoted_parameter.vcf", u"Stefan", u"Zweig", u"stefan@example.at"},
        CardCase{"v21_nested_agent.vcf", u"Betty", u"Boss", u"betty@example.com"},
        CardCase{"v21_folded_name.vcf", u"Jan", u"Van der Berg", u"jan@example.nl"},
        CardCase{"v40_only_fn.vcf", u"", u"Jan van Berg", u"jan@example.nl"},
        CardCase{"v30_type_pref_email.vcf", u"Paula", u"Pref", u"work@example.org"},
        CardCase{"v40_pref_email.vcf", u"Peter", u"Pref", u"first@example.org"}),
    [](const auto& info) {
        std::string name = info.param.file;
        return name.substr(0, name.find('.'));
    });

TEST(VCardReader, KeepsCardsWithoutAddressForTheCallerToSkip) {
    const std::vector<Contact> contacts =
        ReadVCards(ReadDataFile("two_cards_one_without_email.vcf"));
    ASSERT_EQ(contacts.size(), 2u);
    EXPECT_EQ(contacts[0].lastName, u"Nomail");
    EXPECT_TRUE(contacts[0].email.empty());
    EXPECT_EQ(contacts[1].email, u"sam@example.com");
}

TEST(VCardReader, DropsCardWithoutEnd) {
    EXPECT_TRUE(ReadVCards(ReadDataFile("card_without_end.vcf")).empty());
}

TEST(VCardReader, EveryCharsetIsDecoded) {
    const std::vector<Contact> contacts = ReadVCards(ReadDataFile("v21_charsets.vcf"));
    std::vector<std::u16string> names;
    for (const Contact& contact : contacts) {
        names.push_back(contact.lastName + u" " + contact.firstName);
    }
    EXPECT_EQ(names,
              (std::vector<std::u16string>{u"Dvo\u0159\u00e1k Anton\u00edn",         // ISO-8859-2
                                           u"C\u0153ur \u00c8ve",                    // ISO-8859-15
                                           u"\u041a\u0430\u0440\u043f\u043e\u0432 "  // KOI8-R
                                           u"\u0410\u043d\u0430\u0442\u043e\u043b\u0438\u0439",
                                           u"\u7fbd\u751f \u5584\u6cbb"}));  // Shift_JIS
}

TEST(VCardReader, UnknownCharsetFallsBackToUtf8OrWindows1252) {
    const std::vector<Contact> contacts = ReadVCards(
        "BEGIN:VCARD\nN;CHARSET=x-unknown:Gar\xe7on;\xc3\xa9lo\nEND:VCARD\n"
        "BEGIN:VCARD\nN;CHARSET=x-unknown:Gar\xc3\xa7on;\xe9lo\nEND:VCARD\n");
    ASSERT_EQ(contacts.size(), 2u);
    // A value is one line: valid UTF-8 as a whole, or else Windows-1252 as a whole.
    EXPECT_EQ(contacts[0].lastName, u"Gar\u00e7on");
    EXPECT_EQ(contacts[0].firstName, u"\u00c3\u00a9lo");
    EXPECT_EQ(contacts[1].lastName, u"Gar\u00c3\u00a7on");
    EXPECT_EQ(contacts[1].firstName, u"\u00e9lo");
}

TEST(VCardReader, MalformedTextGivesNoContact) {
    for (const char* text : {"", "BEGIN:VCARD", "END:VCARD\nEND:VCARD\n", "N:a;b\n",
                             "BEGIN:VCARD\nN;QUOTED-PRINTABLE:=\n=\n=", "\r\r\r:::;;;"}) {
        EXPECT_TRUE(ReadVCards(text).empty()) << text;
    }
}

TEST(VCardReader, EndWithoutBeginDoesNotHideTheNextCard) {
    const std::vector<Contact> contacts =
        ReadVCards("END:VCARD\nBEGIN:VCARD\nN:Last;First\nEND:VCARD\n");
    ASSERT_EQ(contacts.size(), 1u);
    EXPECT_EQ(contacts[0].firstName, u"First");
}

TEST(VCardReader, ManyCardsAreReadInOrder) {
    std::string bytes;
    for (int i = 0; i < 500; ++i) {
        bytes += "BEGIN:VCARD\r\nN:L" + std::to_string(i) + ";F\r\nEMAIL:" + std::to_string(i) +
                 "@x\r\nEND:VCARD\r\n";
    }
    const std::vector<Contact> contacts = ReadVCards(bytes);
    ASSERT_EQ(contacts.size(), 500u);
    EXPECT_EQ(contacts[499].email, u"499@x");
}

}  // namespace
