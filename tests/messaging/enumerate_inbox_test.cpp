#include "messaging/enumerate_inbox.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <map>
#include <string>

#include "messaging/message_store.h"
#include "tests/support/messaging_test_support.h"

namespace {

namespace fs = std::filesystem;

// Puts a message into `folder` (a maildir's new/ or cur/) delivered at `when`.
void Deliver(const fs::path& file, const std::string& subject, std::time_t when) {
    WriteBytes(file, "From: p@example.org\nSubject: " + subject + "\n\nbody of " + subject + "\n");
    const timespec times[2] = {{when, 0}, {when, 0}};
    ASSERT_EQ(::utimensat(AT_FDCWD, file.c_str(), times, 0), 0);
}

// Every file of the tree with its size and modification time.
std::map<fs::path, std::pair<std::uintmax_t, long>> Snapshot(const fs::path& root) {
    std::map<fs::path, std::pair<std::uintmax_t, long>> files;
    for (const auto& entry : fs::recursive_directory_iterator(root)) {
        struct stat info {};
        ::stat(entry.path().c_str(), &info);
        files[entry.path()] = {entry.is_regular_file() ? entry.file_size() : 0,
                               info.st_mtim.tv_sec * 1000000000L + info.st_mtim.tv_nsec};
    }
    return files;
}

class EnumerateInboxTest : public ::testing::Test {
protected:
    std::vector<std::unique_ptr<InboxMessage>> Enumerate() {
        std::vector<std::unique_ptr<InboxMessage>> messages;
        EnumerateInbox(session_, [&](std::unique_ptr<InboxMessage> message) {
            messages.push_back(std::move(message));
        });
        return messages;
    }

    std::vector<std::u16string> Subjects() {
        std::vector<std::u16string> subjects;
        for (const auto& message : Enumerate()) {
            subjects.push_back(message->subject);
        }
        return subjects;
    }

    TemporaryFolder folder_;
    MessageStore session_;
    ErrorBoxRecorder recorder_;
};

TEST_F(EnumerateInboxTest, StoresInTableOrderMessagesByDelivery) {
    const fs::path a = folder_.Path() / "a";
    const fs::path b = folder_.Path() / "b";
    MakeMaildir(a);
    MakeMaildir(b);
    Deliver(a / "cur" / "2.x:2,S", "a-late", 2000000);
    Deliver(a / "new" / "1.x", "a-early", 1000000);
    Deliver(b / "new" / "9.x", "b-second", 3000000);
    Deliver(b / "new" / "8.x", "b-first", 3000000);
    // Drafts and other folders of the store are not the Inbox.
    MakeMaildir(a / ".Drafts");
    Deliver(a / ".Drafts" / "cur" / "3.x:2,D", "draft", 500);
    MessagingSettings settings;
    settings.stores = {a, b};
    ASSERT_EQ(session_.Logon(settings), 0);
    EXPECT_EQ(Subjects(),
              (std::vector<std::u16string>{u"a-early", u"a-late", u"b-first", u"b-second"}));
    EXPECT_TRUE(recorder_.boxes.empty());
}

TEST_F(EnumerateInboxTest, ReadingNeverChangesTheStore) {
    const fs::path a = folder_.Path() / "a";
    MakeMaildir(a);
    Deliver(a / "new" / "1.x", "one", 1000000);
    Deliver(a / "cur" / "2.x:2,", "two", 1000001);
    MessagingSettings settings;
    settings.stores = {a};
    ASSERT_EQ(session_.Logon(settings), 0);
    const auto before = Snapshot(folder_.Path());
    EXPECT_EQ(Enumerate().size(), 2u);
    EXPECT_EQ(Snapshot(folder_.Path()), before);
}

TEST_F(EnumerateInboxTest, MessageCarriesDeliveryDate) {
    const fs::path a = folder_.Path() / "a";
    MakeMaildir(a);
    Deliver(a / "new" / "1.x", "one", 1765323000);  // 9 December 2025, UTC
    MessagingSettings settings;
    settings.stores = {a};
    ASSERT_EQ(session_.Logon(settings), 0);
    const auto messages = Enumerate();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0]->date, u"12.09");
    EXPECT_EQ(messages[0]->sender, u"p@example.org");
    EXPECT_EQ(*messages[0]->body, u"body of one\r\n");
}

TEST_F(EnumerateInboxTest, EntriesThatAreNoInboxMessageAreLeftOut) {
    const fs::path a = folder_.Path() / "a";
    MakeMaildir(a);
    Deliver(a / "new" / "1.x", "one", 1000000);
    Deliver(a / "new" / "2.x:2,ST", "trashed", 1000000);
    // A cur/ that is a link to a folder outside the store is not followed.
    const fs::path outside = folder_.Path() / "outside";
    MakeMaildir(outside);
    Deliver(outside / "cur" / "3.x:2,S", "outside", 1000000);
    fs::remove(a / "cur");
    fs::create_directory_symlink(outside / "cur", a / "cur");
    fs::create_directory(a / "new" / "0.folder");
    fs::create_symlink(a / "absent", a / "new" / "0.dangling");
    fs::create_symlink(a / "new" / "1.x", a / "new" / "0.link");
    fs::create_symlink(a / "new" / "0.fifo", a / "new" / "0.fifo-link");
    WriteBytes(a / "new" / ".hidden", "Subject: hidden\n\n");
    // Opening a pipe for reading would wait for a writer.
    ASSERT_EQ(::mkfifo((a / "new" / "0.fifo").c_str(), 0600), 0);
    MessagingSettings settings;
    settings.stores = {a};
    ASSERT_EQ(session_.Logon(settings), 0);
    EXPECT_EQ(Subjects(), (std::vector<std::u16string>{u"one"}));
}

TEST_F(EnumerateInboxTest, StoreGoneEndsTheWalkAfterEarlierStores) {
    const fs::path a = folder_.Path() / "a";
    const fs::path b = folder_.Path() / "b";
    const fs::path c = folder_.Path() / "c";
    for (const fs::path& root : {a, b, c}) {
        MakeMaildir(root);
        Deliver(root / "new" / "1.x", root.filename().string(), 1000000);
    }
    MessagingSettings settings;
    settings.stores = {a, b, c};
    ASSERT_EQ(session_.Logon(settings), 0);
    fs::remove_all(b);
    EXPECT_EQ(Subjects(), (std::vector<std::u16string>{u"a"}));
    ASSERT_EQ(recorder_.boxes.size(), 1u);
    EXPECT_EQ(recorder_.boxes[0].caption, u"Unable to open Message Store");
}

TEST_F(EnumerateInboxTest, InboxWithoutItsFoldersIsReported) {
    const fs::path a = folder_.Path() / "a";
    MakeMaildir(a);
    MessagingSettings settings;
    settings.stores = {a};
    ASSERT_EQ(session_.Logon(settings), 0);
    fs::remove_all(a / "cur");
    EXPECT_TRUE(Subjects().empty());
    ASSERT_EQ(recorder_.boxes.size(), 1u);
    EXPECT_EQ(recorder_.boxes[0].caption, u"Unable to get Inbox folder ID");
}

TEST_F(EnumerateInboxTest, ClosedSessionReadsNothing) {
    EXPECT_TRUE(Enumerate().empty());
    ASSERT_EQ(recorder_.boxes.size(), 1u);
    EXPECT_EQ(recorder_.boxes[0].caption, u"GetMsgStoresTable ");
}

TEST(ReadInboxMessage, ReadsAtMostTheLimit) {
    TemporaryFolder folder;
    WriteBytes(folder.Path() / "big",
               "Content-Type: image/gif\n\n" + std::string(kMaxMessageBytes * 2, 'x'));
    const auto message = ReadInboxMessage(folder.Path() / "big");
    ASSERT_NE(message, nullptr);
    EXPECT_EQ(message->body->size(), InboxMessage::kMaxRawBodyBytes - 25);
    EXPECT_EQ(ReadInboxMessage(folder.Path() / "absent"), nullptr);
}

}  // namespace
