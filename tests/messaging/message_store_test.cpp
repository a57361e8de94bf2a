#include "messaging/message_store.h"

#include <gtest/gtest.h>

#include "tests/support/messaging_test_support.h"
#include "platform/device_settings.h"

namespace {

namespace fs = std::filesystem;

MessagingSettings SettingsFrom(const TemporaryFolder& folder, const std::string& ini) {
    WriteBytes(folder.Path() / "device.ini", ini);
    DeviceSettings settings;
    EXPECT_EQ(settings.Load(folder.Path() / "device.ini"), 0);
    return ReadMessagingSettings(settings, folder.Path() / "data");
}

TEST(MessagingSettings, DefaultIsOneStoreInTheDataFolder) {
    TemporaryFolder folder;
    const MessagingSettings settings = SettingsFrom(folder, "[Owner]\nName=A\n");
    ASSERT_EQ(settings.stores.size(), 1u);
    EXPECT_EQ(settings.stores[0], folder.Path() / "data" / "Mail");
    EXPECT_TRUE(settings.isDefault);
    EXPECT_EQ(settings.sendCommand, "");
}

TEST(MessagingSettings, ListedStoresAndSendCommand) {
    TemporaryFolder folder;
    const MessagingSettings settings =
        SettingsFrom(folder, "[Messaging]\nStores= /m/a ;; /m/b;\nSendCommand = msmtp -t -i \n");
    EXPECT_EQ(settings.stores, (std::vector<fs::path>{"/m/a", "/m/b"}));
    EXPECT_FALSE(settings.isDefault);
    EXPECT_EQ(settings.sendCommand, "msmtp -t -i");
}

TEST(MessagingSettings, NoDataFolderGivesNoDefaultStore) {
    DeviceSettings settings;
    const MessagingSettings messaging = ReadMessagingSettings(settings, {});
    EXPECT_TRUE(messaging.stores.empty());
    MessageStore session;
    EXPECT_NE(session.Logon(messaging), 0);
}

TEST(MessageStoreLogon, DefaultStoreIsCreatedOnFirstUse) {
    TemporaryFolder folder;
    MessageStore session;
    ASSERT_EQ(session.Logon(SettingsFrom(folder, "")), 0);
    EXPECT_TRUE(session.IsOpen());
    for (const char* sub : {"new", "cur", "tmp"}) {
        EXPECT_TRUE(fs::is_directory(folder.Path() / "data" / "Mail" / sub)) << sub;
    }
}

TEST(MessageStoreLogon, MissingListedStoreIsNotCreated) {
    TemporaryFolder folder;
    MessageStore session;
    MessagingSettings settings;
    settings.stores = {folder.Path() / "absent"};
    EXPECT_NE(session.Logon(settings), 0);
    EXPECT_FALSE(session.IsOpen());
    EXPECT_FALSE(fs::exists(folder.Path() / "absent"));
}

TEST(MessageStoreLogon, StoresThatOpenAreKeptInOrder) {
    TemporaryFolder folder;
    MakeMaildir(folder.Path() / "b");
    MakeMaildir(folder.Path() / "a");
    MessagingSettings settings;
    settings.stores = {folder.Path() / "b", folder.Path() / "gone", folder.Path() / "a"};
    MessageStore session;
    ASSERT_EQ(session.Logon(settings), 0);
    EXPECT_EQ(session.Stores(), (std::vector<fs::path>{folder.Path() / "b", folder.Path() / "a"}));
    session.Release();
    EXPECT_FALSE(session.IsOpen());
}

TEST(MessageStoreLogon, NoStoreListedFails) {
    MessageStore session;
    EXPECT_NE(session.Logon(MessagingSettings{}), 0);
    EXPECT_FALSE(session.IsOpen());
}

}  // namespace
