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

TEST_F(OwnerIdentityTest, MissingFileOrKeyGivesEmptyValues) {
    EXPECT_EQ(LoadOwnerIdentity(path_).name, u"");
    Write("[Owner]\nName=Ann\n");
    const OwnerIdentity owner = LoadOwnerIdentity(path_);
    EXPECT_EQ(owner.name, u"Ann");
    EXPECT_EQ(owner.email, u"");
}

TEST_F(OwnerIdentityTest, SavedIdentityLoadsBackAndCreatesTheFile) {
    ASSERT_EQ(SaveOwnerIdentity({}, path_), 0);
    EXPECT_EQ(Read(), "[Owner]\nName=\nE-mail=\n");
    OwnerIdentity owner;
    owner.Set(u"Jos\u00e9 Ra\u00fal", u"jose@example.es");
    ASSERT_EQ(SaveOwnerIdentity(owner, path_), 0);
    const OwnerIdentity loaded = LoadOwnerIdentity(path_);
    EXPECT_EQ(loaded.name, owner.name);
    EXPECT_EQ(loaded.email, owner.email);
}

TEST_F(OwnerIdentityTest, TextsAreCutAt127WithoutSplittingASurrogatePair) {
    OwnerIdentity owner;
    std::u16string name(126, u'a');
    name += u"\U0001F600";  // units 127 and 128
    owner.Set(name, std::u16string(200, u'e'));
    EXPECT_EQ(owner.name, std::u16string(126, u'a'));
    EXPECT_EQ(owner.email.size(), 127u);
    Write("[Owner]\nName=" + std::string(300, 'x') + "\n");
    EXPECT_EQ(LoadOwnerIdentity(path_).name.size(), 127u);
}

TEST_F(OwnerIdentityTest, SavingKeepsUnrelatedSettings) {
    const std::string before =
        "; my device\n[Messaging]\nStores=/m/a;/m/b\nSendCommand=msmtp -t\n\n[Owner]\n"
        "Name=Old\nPhone=123\nE-mail=old@x\n\n[Contacts]\nAddressBook=/c.vcf\n";
    Write(before);
    ASSERT_EQ(SaveOwnerIdentity({u"New", u"new@x"}, path_), 0);
    EXPECT_EQ(Read(),
              "; my device\n[Messaging]\nStores=/m/a;/m/b\nSendCommand=msmtp -t\n\n[Owner]\n"
              "Name=New\nPhone=123\nE-mail=new@x\n\n[Contacts]\nAddressBook=/c.vcf\n");
}

TEST_F(OwnerIdentityTest, UnreadableSettingsFileIsNotOverwritten) {
    Write("[Owner]\nName=" + std::string(DeviceSettings::kMaxFileSize, 'x') + "\n");
    const auto size = fs::file_size(path_);
    EXPECT_NE(SaveOwnerIdentity({u"New", u"new@x"}, path_), 0);
    EXPECT_EQ(fs::file_size(path_), size);
}

}  // namespace
