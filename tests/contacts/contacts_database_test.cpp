#include "contacts/contacts_database.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "contacts/contacts_error.h"
#include "platform/device_settings.h"
#include "platform/error_report.h"
#include "platform/text_codec.h"

namespace {

namespace fs = std::filesystem;

class ContactsDatabaseTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string pattern = (fs::temp_directory_path() / "korvani-contacts-XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        folder_ = pattern;
        previous_ = SetErrorBoxHandler([this](const ErrorBox& box) { boxes_.push_back(box); });
    }
    void TearDown() override {
        SetErrorBoxHandler(std::move(previous_));
        fs::remove_all(folder_);
    }

    void WriteCard(const fs::path& path, const std::string& last, const std::string& email) {
        std::ofstream(path, std::ios::binary) << "BEGIN:VCARD\r\nVERSION:3.0\r\nN:" << last
                                              << ";F\r\nEMAIL:" << email << "\r\nEND:VCARD\r\n";
    }

    fs::path folder_;
    std::vector<ErrorBox> boxes_;
    ErrorBoxHandler previous_;
};

TEST_F(ContactsDatabaseTest, DefaultBookIsCreatedEmptyOnFirstUse) {
    DeviceSettings settings;
    const AddressBookPlace place = FindAddressBook(settings, folder_ / "data" / "korvani");
    EXPECT_TRUE(place.isDefault);
    ContactsDatabase database;
    ASSERT_EQ(database.Logon(place), 0);
    EXPECT_TRUE(fs::is_regular_file(folder_ / "data" / "korvani" / "contacts.vcf"));
    const auto items = database.GetContacts();
    ASSERT_NE(items, nullptr);
    EXPECT_EQ(items->Count(), 0);
    EXPECT_TRUE(boxes_.empty());
}

TEST_F(ContactsDatabaseTest, NoDataFolderGivesNoDefaultBook) {
    DeviceSettings settings;
    const AddressBookPlace place = FindAddressBook(settings, {});
    EXPECT_TRUE(place.path.empty());
    ContactsDatabase database;
    EXPECT_NE(database.Logon(place), 0);
    EXPECT_FALSE(database.IsUsable());
    ASSERT_EQ(boxes_.size(), 1u);
    EXPECT_EQ(boxes_[0].caption, u"Address book");
}

TEST_F(ContactsDatabaseTest, NamedBookComesFromTheSettings) {
    std::ofstream(folder_ / "device.ini")
        << "[Contacts]\nAddressBook=" << (folder_ / "book.vcf").string() << "\n";
    DeviceSettings settings;
    ASSERT_EQ(settings.Load(folder_ / "device.ini"), 0);
    const AddressBookPlace place = FindAddressBook(settings, folder_);
    EXPECT_FALSE(place.isDefault);
    EXPECT_EQ(place.path, folder_ / "book.vcf");
}

TEST_F(ContactsDatabaseTest, MissingNamedBookLeavesSessionUnusable) {
    ContactsDatabase database;
    EXPECT_NE(database.Logon({folder_ / "absent.vcf", false}), 0);
    EXPECT_FALSE(database.IsUsable());
    ASSERT_EQ(boxes_.size(), 1u);
    EXPECT_EQ(boxes_[0].caption, u"Address book");
    EXPECT_EQ(boxes_[0].text, u"Cannot read the address book " +
                                  DecodeLine((folder_ / "absent.vcf").string()) +
                                  u": No such file or directory");
    EXPECT_EQ(boxes_[0].icon, ErrorBox::Icon::None);
    // An unusable session reads nothing and shows nothing more.
    EXPECT_EQ(database.GetContacts(), nullptr);
    EXPECT_EQ(boxes_.size(), 1u);
}

TEST_F(ContactsDatabaseTest, DefaultBookThatCannotBeCreatedIsReported) {
    std::ofstream(folder_ / "blocked") << "x";
    ContactsDatabase database;
    EXPECT_NE(database.Logon({folder_ / "blocked" / "contacts.vcf", true}), 0);
    EXPECT_FALSE(database.IsUsable());
    ASSERT_EQ(boxes_.size(), 1u);
    EXPECT_EQ(boxes_[0].caption, u"Address book");
    EXPECT_EQ(boxes_[0].text, u"Cannot create the address book " +
                                  DecodeLine((folder_ / "blocked" / "contacts.vcf").string()) +
                                  u": Not a directory");
}

TEST_F(ContactsDatabaseTest, ItemsAreOneBasedAndBounded) {
    std::ofstream(folder_ / "book.vcf", std::ios::binary)
        << "BEGIN:VCARD\nN:A;a\nEMAIL:a@x\nEND:VCARD\nBEGIN:VCARD\nN:B;b\nEND:VCARD\n";
    ContactsDatabase database;
    ASSERT_EQ(database.Logon({folder_ / "book.vcf", false}), 0);
    const auto items = database.GetContacts();
    ASSERT_NE(items, nullptr);
    ASSERT_EQ(items->Count(), 2);
    EXPECT_EQ(items->Item(0), nullptr);
    EXPECT_EQ(items->Item(3), nullptr);
    EXPECT_EQ(items->Item(1)->lastName, u"A");
    EXPECT_EQ(items->Item(2)->email, u"");
}

TEST_F(ContactsDatabaseTest, FolderBookReadsItsVcfFilesByName) {
    fs::create_directories(folder_ / "book" / "sub.vcf");
    WriteCard(folder_ / "book" / "b.vcf", "Second", "b@x");
    WriteCard(folder_ / "book" / "a.VCF", "First", "a@x");
    std::ofstream(folder_ / "book" / "notes.txt") << "BEGIN:VCARD\nN:No;No\nEND:VCARD\n";
    // A card cut short in one file does not swallow the next file's card.
    std::ofstream(folder_ / "book" / "c.vcf") << "BEGIN:VCARD\nN:Cut;C\nEMAIL:c@x";
    WriteCard(folder_ / "book" / "d.vcf", "Fourth", "d@x");
    ContactsDatabase database;
    ASSERT_EQ(database.Logon({folder_ / "book", false}), 0);
    const auto items = database.GetContacts();
    ASSERT_NE(items, nullptr);
    ASSERT_EQ(items->Count(), 3);
    EXPECT_EQ(items->Item(1)->lastName, u"First");
    EXPECT_EQ(items->Item(2)->lastName, u"Second");
    EXPECT_EQ(items->Item(3)->lastName, u"Fourth");
}

TEST_F(ContactsDatabaseTest, BookRemovedAfterLogonIsReported) {
    WriteCard(folder_ / "book.vcf", "A", "a@x");
    ContactsDatabase database;
    ASSERT_EQ(database.Logon({folder_ / "book.vcf", false}), 0);
    fs::remove(folder_ / "book.vcf");
    EXPECT_EQ(database.GetContacts(), nullptr);
    ASSERT_EQ(boxes_.size(), 1u);
    EXPECT_EQ(boxes_[0].caption, u"Unable to access Folders");
}

TEST_F(ContactsDatabaseTest, OversizedBookIsRefused) {
    fs::create_directories(folder_ / "book");
    const std::string half(ContactsDatabase::kMaxBookSize / 2 + 1, ' ');
    std::ofstream(folder_ / "book" / "a.vcf") << half;
    std::ofstream(folder_ / "book" / "b.vcf") << half;
    ContactsDatabase database;
    ASSERT_EQ(database.Logon({folder_ / "book", false}), 0);
    EXPECT_EQ(database.GetContacts(), nullptr);
    ASSERT_EQ(boxes_.size(), 1u);
    EXPECT_EQ(boxes_[0].caption, u"Unable to get contacts");
}

TEST_F(ContactsDatabaseTest, ClosedSessionReadsNothing) {
    WriteCard(folder_ / "book.vcf", "A", "a@x");
    ContactsDatabase database;
    ASSERT_EQ(database.Logon({folder_ / "book.vcf", false}), 0);
    database.Close();
    EXPECT_EQ(database.GetContacts(), nullptr);
    EXPECT_TRUE(boxes_.empty());
}

}  // namespace
