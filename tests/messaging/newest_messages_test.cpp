// The newest message of each sender, read from the headers (and the senders' cache),
// and the days a game's dates name.
#include "messaging/newest_messages.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <string>
#include <vector>

#include "messaging/enumerate_inbox.h"
#include "messaging/parsed_mail.h"
#include "messaging/sender_cache.h"
#include "tests/support/messaging_test_support.h"
#include "platform/text_codec.h"

namespace {

namespace fs = std::filesystem;

constexpr std::time_t kDay = 86400;
// 1 June 2025, 12:00 UTC, a Sunday.
constexpr std::time_t kJuneFirst = 1748779200;

std::int64_t DayNumber(std::time_t time) {
    return time / kDay;
}

// Puts a message from `from` (a From field's value) into `file`, delivered at `when`.
void Deliver(const fs::path& file, const std::string& from, std::time_t when) {
    WriteBytes(file,
               "Received: by mx.example.org\nFrom: " + from + "\nSubject: 12... Nf6\n\nNf6\n");
    const timespec times[2] = {{when, 0}, {when, 0}};
    ASSERT_EQ(::utimensat(AT_FDCWD, file.c_str(), times, 0), 0);
}

// The sender as the whole message's parse finds it is the oracle for the header-only
// reading, plain forms and GMime's alike.
TEST(ParseSenderAddress, AgreesWithTheWholeMessagesSender) {
    const std::vector<std::string> headers = {
        "From: bob@example.net\n",
        "From: Bob Durand <Bob@Example.net>\n",
        "from:   <bob@example.net>  \r\nTo: alice@example.org\r\n",
        "From: \"Durand, Bob\" <bob@example.net>\n",
        "From: =?UTF-8?Q?Bj=C3=B6rn?= <bjorn@example.se>\n",
        "From: bob@example.net (Bob Durand)\n",
        "From: Bob\n Durand\n <bob@example.net>\n",
        "From: Chess friends: bob@example.net, carol@example.org;\n",
        "Sender: carol@example.org\nFrom: undisclosed\n",
        "From: a@b@c\n",
        "Subject: no sender\n",
    };
    for (const std::string& header : headers) {
        const std::optional<ParsedMail> whole = ParseMail(header + "\nbody\n");
        ASSERT_TRUE(whole.has_value()) << header;
        EXPECT_EQ(ParseSenderAddress(header), whole->sender) << header;
    }
}

class NewestMessagesTest : public ::testing::Test {
protected:
    void SetUp() override {
        store_ = folder_.Path() / "Mail";
        MakeMaildir(store_);
    }

    TemporaryFolder folder_;
    fs::path store_;
};

TEST_F(NewestMessagesTest, KeepsEachSendersNewestMessageAndTellsItsCount) {
    Deliver(store_ / "new" / "1.a", "Bob <bob@example.net>", kJuneFirst - 2 * kDay);
    Deliver(store_ / "cur" / "2.a:2,S", "bob@example.net", kJuneFirst);
    Deliver(store_ / "cur" / "3.a:2,S", "Carol <carol@example.org>", kJuneFirst - kDay);
    Deliver(store_ / "cur" / "4.a:2,ST", "bob@example.net", kJuneFirst + kDay);
    std::vector<std::size_t> counts;
    const NewestMessages newest = ReadNewestMessages({store_}, [&](std::size_t read) {
        counts.push_back(read);
        return true;
    });
    EXPECT_EQ(counts, (std::vector<std::size_t>{1, 2, 3}));
    EXPECT_EQ(newest.senderCount(), 2u);
    ASSERT_NE(newest.From(u" BOB@example.NET "), nullptr);
    EXPECT_EQ(newest.From(u"bob@example.net")->file, store_ / "cur" / "2.a:2,S");
    EXPECT_EQ(newest.NewerThan(u"bob@example.net", DayNumber(kJuneFirst) - 1),
              newest.From(u"bob@example.net"));
    EXPECT_EQ(newest.NewerThan(u"bob@example.net", DayNumber(kJuneFirst)), nullptr);
    EXPECT_EQ(newest.From(u"dave@example.com"), nullptr);

    const NewestMessages stopped =
        ReadNewestMessages({store_}, [](std::size_t read) { return read < 1; });
    EXPECT_EQ(stopped.senderCount(), 1u);
}

TEST_F(NewestMessagesTest, CachedMessagesAreNotOpenedAgainAndGoneOnesAreDropped) {
    const fs::path cache = folder_.Path() / "cache" / "senders";
    Deliver(store_ / "new" / "1.a", "bob@example.net", kJuneFirst);
    Deliver(store_ / "new" / "2.a", "carol@example.org", kJuneFirst);
    ASSERT_EQ(ReadNewestMessages({store_}, {}, cache).senderCount(), 2u);
    // A message file never changes under its name: what the cache says is taken.
    Deliver(store_ / "new" / "1.a", "dave@example.com", kJuneFirst);
    fs::remove(store_ / "new" / "2.a");
    const NewestMessages cached = ReadNewestMessages({store_}, {}, cache);
    EXPECT_NE(cached.From(u"bob@example.net"), nullptr);
    EXPECT_EQ(cached.From(u"dave@example.com"), nullptr);
    EXPECT_EQ(cached.From(u"carol@example.org"), nullptr);
    // Read afresh, the renamed message shows what it holds; the cache follows.
    fs::rename(store_ / "new" / "1.a", store_ / "new" / "1.b");
    EXPECT_NE(ReadNewestMessages({store_}, {}, cache).From(u"dave@example.com"), nullptr);
    SenderCache saved = SenderCache::Load(cache);
    EXPECT_EQ(saved.Use((store_ / "new" / "1.a").string()), nullptr);
    ASSERT_NE(saved.Use((store_ / "new" / "1.b").string()), nullptr);
    EXPECT_FALSE(saved.OutOfDate());
    // A file that is not a cache is no cache.
    WriteBytes(cache, "1 2\tbob@example.net\t" + (store_ / "new" / "1.b").string() + "\n");
    EXPECT_EQ(SenderCache::Load(cache).Use((store_ / "new" / "1.b").string()), nullptr);
}

TEST_F(NewestMessagesTest, ReadInboxTellsEachMessageAndStopsWhenAsked) {
    for (const char* name : {"1.a", "2.a", "3.a"}) {
        Deliver(store_ / "new" / name, "bob@example.net", kJuneFirst);
    }
    std::vector<std::size_t> counts;
    std::size_t handed = 0;
    const InboxReadFailure failure = ReadInbox(
        {store_}, [&](std::unique_ptr<InboxMessage>) { ++handed; },
        [&](std::size_t read) {
            counts.push_back(read);
            return read < 2;
        });
    EXPECT_EQ(failure.code, 0);
    EXPECT_EQ(counts, (std::vector<std::size_t>{1, 2}));
    EXPECT_EQ(handed, 2u);
    EXPECT_EQ(ReadInbox({}, [](std::unique_ptr<InboxMessage>) {}).caption, u"GetMsgStoresTable ");
}

}  // namespace
