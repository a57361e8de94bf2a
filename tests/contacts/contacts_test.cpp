// The address book (vCard reading, the book's file or folder) and the owner's identity.
#include <gtest/gtest.h>

#include "contacts/contacts_database.h"
#include "contacts/extract_email_address.h"
#include "contacts/owner_identity.h"
#include "contacts/vcard_reader.h"
#include "platform/device_settings.h"
#include "platform/text_codec.h"
#include "tests/support/messaging_test_support.h"

namespace {

namespace fs = std::filesystem;
using U = std::u16string;

// The contacts as "[last;first;email]".
U Listed(const std::vector<Contact>& contacts) {
    U text;
    for (const Contact& c : contacts) {
        text += u"[" + c.lastName + u";" + c.firstName + u";" + c.email + u"]";
    }
    return text;
}

TEST(VCardReader, ReadsNamesAndPreferredAddress) {
    std::string many;
    U manyListed;
    for (int i = 0; i < 500; ++i) {
        const std::string n = std::to_string(i), card = "[L" + n + ";F;" + n + "@x]";
        many += "BEGIN:VCARD\r\nN:L" + n + ";F\r\nEMAIL:" + n + "@x\r\nEND:VCARD\r\n";
        manyListed += U(card.begin(), card.end());
    }
    // Each row: the cards (or "@file" of tests/data/vcard) and what they give.
    // clang-format off
    const std::pair<std::string, U> rows[] = {
        {"@v21_quoted_printable_latin1.vcf", u"[Müller;Jörg;joerg@example.de]"},
        {"@v21_quoted_printable_soft_break.vcf", u"[Lefèvre;Renée;renee@example.fr]"},
        {"@v30_folded_email.vcf", u"[Smith;Anna;anna@example.org]"},
        {"@v30_escapes_and_group.vcf", u"[O;Brien, Jr.;Se\\amus;seamus@example.ie]"},
        {"@v40_quoted_parameter.vcf", u"[Zweig;Stefan;stefan@example.at]"},
        {"@v21_nested_agent.vcf", u"[Boss;Betty;betty@example.com]"},
        {"@v21_folded_name.vcf", u"[Van der Berg;Jan;jan@example.nl]"},
        {"@v40_only_fn.vcf", u"[Jan van Berg;;jan@example.nl]"},
        {"@v30_type_pref_email.vcf", u"[Pref;Paula;work@example.org]"},
        {"@v40_pref_email.vcf", u"[Pref;Peter;first@example.org]"},
        {"@two_cards_one_without_email.vcf", u"[Nomail;Nora;][Second;Sam;sam@example.com]"},
        {"@card_without_end.vcf", u""},
        {"@v21_charsets.vcf", u"[Dvořák;Antonín;x@example.org][Cœur;Ève;x@example.org][Карпов;Анатолий;x@example.org][羽生;善治;x@example.org]"},
        // An unknown charset: the value as UTF-8 when it is valid, else Windows-1252.
        {"BEGIN:VCARD\nN;CHARSET=x-unknown:Gar\xe7on;\xc3\xa9lo\nEND:VCARD\nBEGIN:VCARD\nN;CHARSET=x-unknown:Gar\xc3\xa7on;\xe9lo\nEND:VCARD\n", u"[Garçon;Ã©lo;][GarÃ§on;élo;]"},
        {"END:VCARD\nBEGIN:VCARD\nN:Last;First\nEND:VCARD\n", u"[Last;First;]"},
        // An escape at a value's start; \N a line break.
        {"BEGIN:VCARD\nN:\\,A;B\nEND:VCARD\nBEGIN:VCARD\nFN:A\\NB\nEND:VCARD\n", u"[,A;B;][A\nB;;]"},
        {"", u""}, {"BEGIN:VCARD", u""}, {"END:VCARD\nEND:VCARD\n", u""}, {"N:a;b\n", u""},
        {"BEGIN:VCARD\nN;QUOTED-PRINTABLE:=\n=\n=", u""}, {"\r\r\r:::;;;", u""},
        {many, manyListed},
    };
    // clang-format on
    for (const auto& [cards, listed] : rows) {
        SCOPED_TRACE(cards.substr(0, 40));
        const std::string bytes =
            cards.starts_with('@')
                ? ReadBytes(fs::path(KORVANI_TEST_DATA_DIR) / "vcard" / cards.substr(1))
                : cards;
        EXPECT_EQ(Listed(ReadVCards(bytes)), listed);
    }
}

TEST(ExtractEmailAddress, FindsTheAddressInAnEmailText) {
    // clang-format off
    const std::pair<U, U> rows[] = {
        {u"Jean Dupont <jean.dupont@example.org>", u"jean.dupont@example.org"}, {u"\"Bob\" <Bob_Durand@Mail-Box.NET>", u"Bob_Durand@Mail-Box.NET"},
        {u" bob@example.net ", u"bob@example.net"}, {u"pat+chess@example.org", u"pat+chess@example.org"}, {u"sean.o'brien@example.ie", u"sean.o'brien@example.ie"},
        {u"Pat <pat+chess@example.org>", u"pat+chess@example.org"}, {u"Sean O'Brien sean.o'brien@example.ie (home)", u"sean.o'brien@example.ie"},
        {u"mailto:bob@example.net;", u"bob@example.net"}, {u"a@b.c, d@e.f", u"a@b.c"}, {u"Jörg <jörg@example.de>", u"jörg@example.de"},
        {u"Bob Durand", u"none"}, {u"@example.net", u"none"}, {u"bob@ example", u"none"}, {u"", u"none"},
    };
    // clang-format on
    for (const auto& [text, address] : rows) {
        EXPECT_EQ(ExtractEmailAddress(text).value_or(u"none"), address);
    }
}

class ContactsDatabaseTest : public ::testing::Test {
protected:
    // Logs on to `place` (then closes the session, or removes the book, when asked) and
    // gives the contacts read and the boxes shown.
    U Read(const AddressBookPlace& place, const std::string& after = "") {
        ContactsDatabase database;
        U seen = database.Logon(place) == 0 ? u"" : u"no logon ";
        if (after == "close") {
            database.Close();
        } else if (after == "remove") {
            fs::remove(place.path);
        }
        EXPECT_EQ(database.IsUsable(), seen.empty() && after != "close");
        const auto items = database.GetContacts();
        for (int i = 1; items != nullptr && i <= items->Count(); ++i) {
            seen += u"[" + items->Item(i)->lastName + u";" + items->Item(i)->email + u"]";
        }
        for (const ErrorBox& box : recorder_.boxes) {
            seen += u"{" + box.caption + (box.text.empty() ? u"" : u": " + box.text) + u"}";
        }
        recorder_.boxes.clear();
        return seen;
    }
    U Path(const char* name) { return DecodeLine((folder_.Path() / name).string()); }
    void Card(const char* file, const std::string& last) {
        WriteBytes(folder_.Path() / file,
                   "BEGIN:VCARD\r\nN:" + last + ";F\r\nEMAIL:" + last + "@x\r\nEND:VCARD\r\n");
    }

    TemporaryFolder folder_;
    ErrorBoxRecorder recorder_;
};

TEST_F(ContactsDatabaseTest, BookPlacesAndTheirFailures) {
    const fs::path& root = folder_.Path();
    const AddressBookPlace fallback = FindAddressBook(DeviceSettings{}, root / "data");
    EXPECT_TRUE(fallback.isDefault);
    EXPECT_EQ(Read(fallback), u"");  // created empty on first use
    EXPECT_TRUE(fs::is_regular_file(root / "data" / "contacts.vcf"));
    WriteBytes(root / "device.ini", "[Contacts]\nAddressBook=" + (root / "b.vcf").string() + "\n");
    DeviceSettings settings;
    ASSERT_EQ(settings.Load(root / "device.ini"), 0);
    const AddressBookPlace named = FindAddressBook(settings, root);
    EXPECT_TRUE(!named.isDefault && named.path == root / "b.vcf");
    EXPECT_TRUE(FindAddressBook(DeviceSettings{}, {}).path.empty());
    EXPECT_EQ(Read(FindAddressBook(DeviceSettings{}, {})).substr(0, 23),
              u"no logon {Address book:");
    EXPECT_EQ(Read({root / "absent.vcf", false}),
              u"no logon {Address book: Cannot read the address book " + Path("absent.vcf") +
                  u": No such file or directory}");
    WriteBytes(root / "blocked", "x");
    EXPECT_EQ(Read({root / "blocked" / "contacts.vcf", true}),
              u"no logon {Address book: Cannot create the address book " +
                  Path("blocked/contacts.vcf") + u": Not a directory}");
    Card("b.vcf", "A");
    EXPECT_EQ(Read(named), u"[A;A@x]");
    EXPECT_EQ(Read(named, "close"), u"");  // a closed session reads nothing
    EXPECT_EQ(Read(named, "remove").substr(0, 26), u"{Unable to access Folders:");
    // A folder's .vcf files in name order; a card cut short does not swallow the next file's.
    fs::create_directories(root / "book" / "sub.vcf");
    Card("book/b.vcf", "Second");
    Card("book/a.VCF", "First");
    WriteBytes(root / "book" / "notes.txt", "BEGIN:VCARD\nN:No;No\nEND:VCARD\n");
    WriteBytes(root / "book" / "c.vcf", "BEGIN:VCARD\nN:Cut;C\nEMAIL:c@x");
    Card("book/d.vcf", "Fourth");
    EXPECT_EQ(Read({root / "book", false}), u"[First;First@x][Second;Second@x][Fourth;Fourth@x]");
    fs::create_directory(root / "big");
    const std::string half(ContactsDatabase::kMaxBookSize / 2 + 1, ' ');
    WriteBytes(root / "big" / "a.vcf", half);
    WriteBytes(root / "big" / "b.vcf", half);
    EXPECT_EQ(Read({root / "big", false}),
              u"{Unable to get contacts: Cannot read the address book " + Path("big") +
                  u": File too large}");
}

TEST(OwnerIdentity, LoadsSavesAndCuts) {
    TemporaryFolder folder;
    const fs::path ini = folder.Path() / "korvani" / "device.ini";
    EXPECT_EQ(LoadOwnerIdentity(ini).name, u"");
    ASSERT_EQ(SaveOwnerIdentity({}, ini), 0);  // makes the folder and the file
    EXPECT_EQ(ReadBytes(ini), "[Owner]\nName=\nE-mail=\n");
    OwnerIdentity owner;
    owner.Set(u"José Raúl", u"jose@example.es");
    ASSERT_EQ(SaveOwnerIdentity(owner, ini), 0);
    EXPECT_EQ(LoadOwnerIdentity(ini).name + LoadOwnerIdentity(ini).email,
              u"José Raúljose@example.es");
    // Texts are cut at 127 units, never inside a surrogate pair.
    owner.Set(U(126, u'a') + u"\U0001F600", U(200, u'e'));
    EXPECT_EQ(owner.name + owner.email, U(126, u'a') + U(127, u'e'));
    WriteBytes(ini, "[Owner]\nName=" + std::string(300, 'x') + "\n");
    EXPECT_EQ(LoadOwnerIdentity(ini).name + LoadOwnerIdentity(ini).email, U(127, u'x'));
    // Saving keeps every other setting; a file too large to read is not overwritten.
    const std::string other = "\n[Contacts]\nAddressBook=/c.vcf\n";
    WriteBytes(
        ini, "; mine\n[Messaging]\nStores=/m/a\n\n[Owner]\nName=O\nPhone=1\nE-mail=o@x\n" + other);
    ASSERT_EQ(SaveOwnerIdentity({u"New", u"new@x"}, ini), 0);
    EXPECT_EQ(
        ReadBytes(ini),
        "; mine\n[Messaging]\nStores=/m/a\n\n[Owner]\nName=New\nPhone=1\nE-mail=new@x\n" + other);
    const std::string huge = "[Owner]\nName=" + std::string(DeviceSettings::kMaxFileSize, 'x');
    WriteBytes(ini, huge);
    EXPECT_NE(SaveOwnerIdentity({u"New", u"new@x"}, ini), 0);
    EXPECT_EQ(fs::file_size(ini), huge.size());
}

}  // namespace
