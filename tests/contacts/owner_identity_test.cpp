#include "contacts/owner_identity.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "platform/device_settings.h"

namespace {

namespace fs = std::filesystem;

class OwnerIdentityTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string pattern = (fs::temp_directory_path() / "korvani-owner-XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        folder_ = pattern;
        path_ = folder_ / "korvani" / "device.ini";
        SetOwnerIdentity(u"stale", u"stale@x");
    }
    void TearDown() override { fs::remove_all(folder_); }

    void Write(const std::string& bytes) {
        fs::create_directories(path_.parent_path());
        std::ofstream(path_, std::ios::binary) << bytes;
    }
    std::string Read() const {
        std::ifstream in(path_, std::ios::binary);
        std::ostringstream text;
        text << in.rdbuf();
        return text.str();
    }

    fs::path folder_;
    fs::path path_;
};

TEST_F(OwnerIdentityTest, NoSettingsFileGivesEmptyIdentity) {
    LoadOwnerIdentity(path_);
    EXPECT_EQ(OwnerName(), u"");
    EXPECT_EQ(OwnerEmail(), u"");
}

TEST_F(OwnerIdentityTest, MissingKeyGivesEmptyValue) {
    Write("[Owner]\nName=Ann\n");
    LoadOwnerIdentity(path_);
    EXPECT_EQ(OwnerName(), u"Ann");
    EXPECT_EQ(OwnerEmail(), u"");
}

TEST_F(OwnerIdentityTest, SavingWithoutFileCreatesItWithEmptyValues) {
    LoadOwnerIdentity(path_);
    ASSERT_EQ(SaveOwnerIdentity(path_), 0);
    EXPECT_EQ(Read(), "[Owner]\nName=\nE-mail=\n");
}

TEST_F(OwnerIdentityTest, SetThenSaveThenLoadRoundTrips) {
    LoadOwnerIdentity(path_);
    SetOwnerIdentity(u"Jos\u00e9 Ra\u00fal", u"jose@example.es");
    ASSERT_EQ(SaveOwnerIdentity(path_), 0);
    SetOwnerIdentity(u"", u"");
    LoadOwnerIdentity(path_);
    EXPECT_EQ(OwnerName(), u"Jos\u00e9 Ra\u00fal");
    EXPECT_EQ(OwnerEmail(), u"jose@example.es");
}

TEST_F(OwnerIdentityTest, LongTextsAreCutAt127) {
    const std::u16string longName(130, u'n');
    SetOwnerIdentity(longName, std::u16string(200, u'e'));
    EXPECT_EQ(OwnerName(), longName.substr(0, 127));
    EXPECT_EQ(OwnerEmail().size(), 127u);
    ASSERT_EQ(SaveOwnerIdentity(path_), 0);
    Write(Read());
    SetOwnerIdentity(u"", u"");
    LoadOwnerIdentity(path_);
    EXPECT_EQ(OwnerName(), longName.substr(0, 127));
}

TEST_F(OwnerIdentityTest, LongValueInFileIsCutWhenLoaded) {
    Write("[Owner]\nName=" + std::string(300, 'x') + "\n");
    LoadOwnerIdentity(path_);
    EXPECT_EQ(OwnerName().size(), 127u);
}

TEST_F(OwnerIdentityTest, CutNeverSplitsASurrogatePair) {
    std::u16string name(126, u'a');
    name += u"\U0001F600";  // units 127 and 128
    SetOwnerIdentity(name, u"");
    EXPECT_EQ(OwnerName(), std::u16string(126, u'a'));
}

TEST_F(OwnerIdentityTest, SavingKeepsUnrelatedSettings) {
    const std::string before =
        "; my device\n[Messaging]\nStores=/m/a;/m/b\nSendCommand=msmtp -t\n\n[Owner]\n"
        "Name=Old\nPhone=123\nE-mail=old@x\n\n[Contacts]\nAddressBook=/c.vcf\n";
    Write(before);
    SetOwnerIdentity(u"New", u"new@x");
    ASSERT_EQ(SaveOwnerIdentity(path_), 0);
    EXPECT_EQ(Read(),
              "; my device\n[Messaging]\nStores=/m/a;/m/b\nSendCommand=msmtp -t\n\n[Owner]\n"
              "Name=New\nPhone=123\nE-mail=new@x\n\n[Contacts]\nAddressBook=/c.vcf\n");
}

TEST_F(OwnerIdentityTest, UnreadableSettingsFileIsNotOverwritten) {
    Write("[Owner]\nName=" + std::string(DeviceSettings::kMaxFileSize, 'x') + "\n");
    const auto size = fs::file_size(path_);
    SetOwnerIdentity(u"New", u"new@x");
    EXPECT_NE(SaveOwnerIdentity(path_), 0);
    EXPECT_EQ(fs::file_size(path_), size);
}

struct TurnCase {
    std::u16string owner;
    std::u16string player;
    bool ownersTurn;
};

class OwnerTurnTest : public ::testing::TestWithParam<TurnCase> {};

TEST_P(OwnerTurnTest, ComparesNamesWithoutRegardToCase) {
    SetOwnerIdentity(GetParam().owner, u"ignored@x");
    EXPECT_EQ(IsOwnerToMove(GetParam().player), GetParam().ownersTurn);
}

INSTANTIATE_TEST_SUITE_P(
    Names, OwnerTurnTest,
    ::testing::Values(TurnCase{u"Ann Smith", u"Ann Smith", true},
                      TurnCase{u"ann SMITH", u"Ann Smith", true},
                      TurnCase{u"\u00c9lise", u"\u00e9LISE", true},
                      TurnCase{u"\u0141ukasz", u"\u0142UKASZ", true},
                      TurnCase{u"\u0418\u0432\u0430\u043d", u"\u0438\u0412\u0410\u041d", true},
                      TurnCase{u"Ann", u"Anne", false}, TurnCase{u"Ann", u"Bob", false},
                      TurnCase{u"", u"", true}, TurnCase{u"\u00d7", u"\u00f7", false}));

}  // namespace
