// Received mail: one message as the inbox lists it (hostile shapes among them), the
// Inbox walk over the stores, each sender's newest message, and the stores' settings.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <map>

#include "messaging/enumerate_inbox.h"
#include "messaging/inbox_message.h"
#include "messaging/message_store.h"
#include "messaging/move_text.h"
#include "messaging/newest_messages.h"
#include "messaging/parsed_mail.h"
#include "messaging/sender_cache.h"
#include "platform/device_settings.h"
#include "tests/support/messaging_test_support.h"

namespace {

namespace fs = std::filesystem;
using U = std::u16string;

// 9 December 2025, 23:30 UTC: still the 9th in UTC, whatever the local zone.
constexpr std::time_t kNinth = 1765323000;
constexpr std::time_t kDay = 86400;

std::string Repeated(const std::string& piece, int count) {
    std::string text;
    while (count-- > 0) {
        text += piece;
    }
    return text;
}

// Each row: the message (or "@file" of tests/data/mail), and its listing as
// "sender | subject | date | body", "-" for no body.
struct MailRow {
    const char* name;
    std::string text;
    U listing;
    std::optional<std::time_t> when = kNinth;
};

std::vector<MailRow> MailRows() {
    const std::string e4 = "Subject: s\n\n1. e4\n", octet = "Content-Type: image/gif\n\n";
    const std::string groups = Repeated("g:", 300000) + "a@b.c;;;";
    std::string nested = "From: deep@example.org\nSubject: Deep\n";
    for (int i = 0; i < 3000; ++i) {
        const std::string b = "b" + std::to_string(i);
        nested += "Content-Type: multipart/mixed; boundary=" + b + "\n\n--" + b + "\n";
    }
    const U unread = u"Unknown | Error | 12.09 | -";
    // clang-format off
    return {
        {"qp_utf8", "@qp_utf8_body_encoded_subject.eml", u"andre@example.fr | Coup n°12 — à toi | 12.09 | 12... Nf6\r\n\r\nJ’ai hésité longtemps — ton tour !\r\n"},
        {"base64_latin1", "@base64_latin1_body.eml", u"alice@example.org | Move #3 | 12.09 | 3. e4\r\n\r\nCafé par"},
        {"no_sender", "@no_sender_no_subject.eml", u"Unknown | Error | 12.09 | 5. O-O\r\n"},
        {"html_only", "@html_only.eml", u"html@example.org | Html only | 12.09 | 7. Qd2\r\nSûr & certain\u202f? Bob\r\n"},
        {"text_attachment_not_the_body", "@plain_attachment_html_body.eml", u"bob@example.org | Move and game | 12.09 | 2... Nc6\r\n"},
        {"header_then_e5", "@header_line_then_e5.eml", u"Unknown | e5 | 12.09 | e5"},
        {"no_empty_line", "@raw_without_empty_line.eml", u"Unknown | Error | 12.09 | garbage line without colon\r\nand more text 9. Kg1\r\n"},
        {"html_reference_and_quoted_gt", "Content-Type: text/html\n\n<p title=\"a>b\">caf&#233;</p>", u"Unknown | Error | 12.09 | café\r\n"},
        {"plain_after_html", "@multipart_plain_after_html.eml", u"multi@example.org | Parts | 12.09 | 14. Rfe1"},
        {"forwarded", "@forwarded_rfc822.eml", u"fwd@example.org | Fwd | 12.09 | 21... Kh8"},
        {"sender_in_group", "@sender_in_group.eml", u"white@example.org | Group | 12.09 | 1. e4\r\n"},
        {"plus_kept", "From: Pat <pat+chess@example.org>\n" + e4, u"pat+chess@example.org | s | 12.09 | 1. e4\r\n"},
        {"apostrophe_kept", "From: sean.o'brien@example.ie\n" + e4, u"sean.o'brien@example.ie | s | 12.09 | 1. e4\r\n"},
        {"long_fields_cut", "From: " + std::string(99, 's') + "@x.org\nSubject: " + std::string(200, 'S') + "\n\n" + std::string(40000, 'b'), U(63, u's') + u" | " + U(127, u'S') + u" | 12.09 | " + U(16383, u'b')},
        {"raw_cut_at_buffer", octet + std::string(40000, 'h'), u"Unknown | Error | 12.09 | " + U(InboxMessage::kMaxRawBodyBytes - octet.size(), u'h')},
        {"raw_ends_at_nul", octet + std::string("ab\0cd", 5), u"Unknown | Error | 12.09 | ab"},
        {"raw_windows1252_by_line", octet + "d\xc3\xa9j\xc3\xa0\ncaf\xe9\n", u"Unknown | Error | 12.09 | déjà\r\ncafé\r\n"},
        {"text_ends_at_nul", std::string("Content-Type: text/plain\r\n\r\n1. e4\r\nrest\0x", 41), u"Unknown | Error | 12.09 | 1. e4\r\nrest"},
        {"delivery_unknown", e4, u"Unknown | s | ?? | 1. e4\r\n", std::nullopt},
        {"date_month_first", e4, u"Unknown | s | 05.03 | 1. e4\r\n", 1714696200},
        {"date_in_utc", e4, u"Unknown | s | 12.31 | 1. e4\r\n", 1704067199},
        // Shapes the MIME library must never be given.
        {"group_in_from", "From: " + groups + "\n" + e4, unread},
        {"group_in_to", "To: " + groups + "\n" + e4, unread},
        {"group_in_folded_cc", "Cc: x:\n\t" + groups + "\n" + e4, unread},
        {"group_forwarded", "Content-Type: message/rfc822\n\nFrom: " + groups + "\n" + e4, unread},
        {"nested_multiparts", nested + "Content-Type: text/plain\n\nbottom\n", unread},
        {"nested_forwarded", Repeated("Content-Type: message/rfc822\n\n", 100) + e4, unread},
        {"many_parts", "Content-Type: multipart/mixed; boundary=p\n\n" + Repeated("--p\n\nx\n", 2000), unread},
        {"huge_header", Repeated("X-Pad: padding\n", 20000) + e4, unread},
    };
    // clang-format on
}

TEST(InboxMessage, ListsEveryShapeOfMail) {
    for (const MailRow& row : MailRows()) {
        SCOPED_TRACE(row.name);
        const std::string text =
            row.text.starts_with('@')
                ? ReadBytes(fs::path(KORVANI_TEST_DATA_DIR) / "mail" / row.text.substr(1))
                : row.text;
        const auto message = BuildInboxMessage(text, row.when);
        EXPECT_EQ(message->sender + u" | " + message->subject + u" | " + message->date + u" | " +
                      message->body.value_or(u"-"),
                  row.listing);
    }
}

// The header-only reading of the sender (its own reading of plain addresses) agrees with
// the whole message's parse.
TEST(ParseSenderAddress, AgreesWithTheWholeMessagesSender) {
    // clang-format off
    for (const std::string header : {"From: bob@example.net\n", "From: Bob Durand <Bob@Example.net>\n", "from:   <bob@example.net>  \r\nTo: alice@example.org\r\n",
             "From: \"Durand, Bob\" <bob@example.net>\n", "From: =?UTF-8?Q?Bj=C3=B6rn?= <bjorn@example.se>\n", "From: bob@example.net (Bob Durand)\n",
             "From: Bob\n Durand\n <bob@example.net>\n", "From: Chess friends: bob@example.net, carol@example.org;\n",
             "Sender: carol@example.org\nFrom: undisclosed\n", "From: a@b@c\n", "Subject: no sender\n",
             "From: @example.net\n", "From: bob@\n", "From: b@x <c@example.org>\n", "From: Bob <bob@example.net\n", "From: <>\n", "From: @ <c@example.org>\n",
             "From: bob@example.net.\n", "From: Bob <bob@example.net.>\n", "From: bob.@x.org\n", "From: Bob <a@b..c>\n", "From: a@.b\n"}) {
        // clang-format on
        const std::optional<ParsedMail> whole = ParseMail(header + "\nbody\n");
        ASSERT_TRUE(whole.has_value()) << header;
        EXPECT_EQ(ParseSenderAddress(header), whole->sender) << header;
    }
}

TEST(SplitBodyIntoLines, DropsBlanksAndEndsLinesAtCr) {
    // clang-format off
    for (const auto& [body, lines] : std::vector<std::pair<U, U>>{{u"12... Nf6\r\n\r\nGood luck\r\n", u"[12... Nf6][Good luck]"},
             {u" \t\r\n  e4  \t\r\n\r\n \r\n d5 ", u"[e4][d5]"}, {u"Nf6\nGood luck", u"[Nf6\nGood luck]"}, {u"a\rb", u"[a][b]"}, {u" \r\n\t\r\n ", u""}, {u"", u""}}) {
        // clang-format on
        EXPECT_EQ(Joined(SplitBodyIntoLines(body)), lines);
    }
}

// Puts a message into `file` delivered at `when`.
void Deliver(const fs::path& file, const std::string& from, const std::string& subject,
             std::time_t when) {
    WriteBytes(file, "From: " + from + "\nSubject: " + subject + "\n\n" + subject + "\n");
    const timespec times[2] = {{when, 0}, {when, 0}};
    ASSERT_EQ(::utimensat(AT_FDCWD, file.c_str(), times, 0), 0);
}

class InboxTest : public ::testing::Test {
protected:
    fs::path Store(const std::string& name) {
        MakeMaildir(folder_.Path() / name);
        return folder_.Path() / name;
    }
    void Open(std::vector<fs::path> stores) {
        MessagingSettings settings;
        settings.stores = std::move(stores);
        ASSERT_EQ(session_.Logon(settings), 0);
    }
    std::vector<U> Subjects() {
        std::vector<U> subjects;
        EnumerateInbox(session_, [&](std::unique_ptr<InboxMessage> message) {
            subjects.push_back(message->subject + u" " + message->date + u" " + message->sender +
                               u" " + message->body.value_or(u"-"));
        });
        return subjects;
    }
    // Every file of the tree with its size and modification time.
    std::map<fs::path, std::pair<std::uintmax_t, long>> Snapshot() {
        std::map<fs::path, std::pair<std::uintmax_t, long>> files;
        for (const auto& entry : fs::recursive_directory_iterator(folder_.Path())) {
            struct stat info {};
            ::lstat(entry.path().c_str(), &info);
            files[entry.path()] = {info.st_size,
                                   info.st_mtim.tv_sec * 1000000000L + info.st_mtim.tv_nsec};
        }
        return files;
    }

    TemporaryFolder folder_;
    MessageStore session_;
    ErrorBoxRecorder recorder_;
};

TEST_F(InboxTest, StoresInOrderMessagesByDeliveryLeavingOutWhatIsNoInboxMessage) {
    const fs::path a = Store("a"), b = Store("b"), outside = Store("outside");
    Deliver(a / "cur" / "2.x:2,S", "p@x.org", "a-late", kNinth + kDay);
    Deliver(a / "new" / "1.x", "p@x.org", "a-early", kNinth);
    Deliver(b / "new" / "9.x", "q@x.org", "b-second", kNinth);
    Deliver(b / "new" / "8.x", "q@x.org", "b-first", kNinth);
    MakeMaildir(a / ".Drafts");
    Deliver(a / ".Drafts" / "cur" / "3.x:2,D", "p@x.org", "draft", 500);
    Deliver(b / "new" / "2.x:2,ST", "q@x.org", "trashed", kNinth);
    // A cur/ linked to a folder outside the store is not followed, nor are links,
    // folders, hidden files or pipes (opening a pipe would wait for a writer).
    Deliver(outside / "cur" / "3.x:2,S", "q@x.org", "outside", kNinth);
    fs::remove(b / "cur");
    fs::create_directory_symlink(outside / "cur", b / "cur");
    fs::create_directory(b / "new" / "0.folder");
    fs::create_symlink(b / "absent", b / "new" / "0.dangling");
    fs::create_symlink(b / "new" / "9.x", b / "new" / "0.link");
    fs::create_symlink(b / "new" / "0.fifo", b / "new" / "0.fifo-link");
    WriteBytes(b / "new" / ".hidden", "Subject: hidden\n\n");
    ASSERT_EQ(::mkfifo((b / "new" / "0.fifo").c_str(), 0600), 0);
    Open({a, b});
    const auto before = Snapshot();
    EXPECT_EQ(Subjects(),
              (std::vector<U>{
                  u"a-early 12.09 p@x.org a-early\r\n", u"a-late 12.10 p@x.org a-late\r\n",
                  u"b-first 12.09 q@x.org b-first\r\n", u"b-second 12.09 q@x.org b-second\r\n"}));
    EXPECT_TRUE(recorder_.boxes.empty());
    EXPECT_EQ(Snapshot(), before);  // reading never changes the store
}

TEST_F(InboxTest, WhatCannotBeReadIsReported) {
    const fs::path a = Store("a"), b = Store("b"), c = Store("c");
    for (const fs::path& root : {a, b, c}) {
        Deliver(root / "new" / "1.x", "p@x.org", root.filename().string(), kNinth);
    }
    const auto walk = [&] {
        U seen = Joined(Subjects());
        for (const ErrorBox& box : recorder_.boxes) {
            seen += u" box " + box.caption;
        }
        recorder_.boxes.clear();
        return seen;
    };
    EXPECT_EQ(walk(), u" box GetMsgStoresTable ");
    Open({a, b, c});
    fs::remove_all(b);  // a store gone ends the walk after the earlier stores
    EXPECT_EQ(walk(), u"[a 12.09 p@x.org a\r\n] box Unable to open Message Store");
    fs::remove_all(a / "cur");
    EXPECT_EQ(walk(), u" box Unable to get Inbox folder ID");
}

TEST_F(InboxTest, ReadsAtMostTheLimitAndStopsWhenAsked) {
    // A file beyond what is read is still listed (its body cut as any other).
    WriteBytes(folder_.Path() / "big", "Content-Type: image/gif\n\n" + std::string(2 << 20, 'x'));
    EXPECT_NE(ReadInboxMessage(folder_.Path() / "big"), nullptr);
    EXPECT_EQ(ReadInboxMessage(folder_.Path() / "absent"), nullptr);
    const fs::path a = Store("a");
    for (const char* name : {"1.a", "2.a", "3.a"}) {
        Deliver(a / "new" / name, "bob@example.net", name, kNinth);
    }
    std::vector<std::size_t> counts;
    const InboxReadFailure failure = ReadInbox(
        {a}, [&](std::unique_ptr<InboxMessage>) { counts.push_back(0); },
        [&](std::size_t read) {
            counts.push_back(read);
            return read < 2;
        });
    EXPECT_EQ(failure.code, 0);
    EXPECT_EQ(counts, (std::vector<std::size_t>{0, 1, 0, 2}));
}

// Each sender's newest message, the trashed left out; the senders' cache spares opening
// a message again (a message file never changes under its name).
TEST_F(InboxTest, NewestMessageOfEachSender) {
    const fs::path a = Store("a"), cache = folder_.Path() / "cache" / "senders";
    Deliver(a / "new" / "1.a", "Bob <bob@example.net>", "s", kNinth - 2 * kDay);
    Deliver(a / "cur" / "2.a:2,S", "bob@example.net", "s", kNinth);
    Deliver(a / "cur" / "3.a:2,S", "Carol <carol@example.org>", "s", kNinth - kDay);
    Deliver(a / "cur" / "4.a:2,ST", "bob@example.net", "s", kNinth + kDay);
    std::vector<std::size_t> counts;
    const NewestMessages newest = ReadNewestMessages(
        {a},
        [&](std::size_t read) {
            counts.push_back(read);
            return true;
        },
        cache);
    EXPECT_EQ(counts, (std::vector<std::size_t>{1, 2, 3}));
    EXPECT_EQ(newest.senderCount(), 2u);
    EXPECT_EQ(fs::status(cache).permissions(), fs::perms::owner_read | fs::perms::owner_write);
    ASSERT_NE(newest.From(u" BOB@example.NET "), nullptr);
    EXPECT_EQ(newest.From(u" BOB@example.NET ")->file, a / "cur" / "2.a:2,S");
    EXPECT_EQ(newest.NewerThan(u"bob@example.net", kNinth / kDay - 1),
              newest.From(u"bob@example.net"));
    EXPECT_EQ(newest.NewerThan(u"bob@example.net", kNinth / kDay), nullptr);
    EXPECT_EQ(newest.From(u"dave@example.com"), nullptr);
    EXPECT_EQ(ReadNewestMessages({a}, [](std::size_t read) { return read < 1; }).senderCount(), 1u);
    Deliver(a / "cur" / "2.a:2,S", "dave@example.com", "s", kNinth);
    fs::remove(a / "cur" / "3.a:2,S");
    const NewestMessages cached = ReadNewestMessages({a}, {}, cache);
    EXPECT_TRUE(cached.From(u"bob@example.net") && !cached.From(u"dave@example.com") &&
                !cached.From(u"carol@example.org"));
    fs::rename(a / "cur" / "2.a:2,S", a / "cur" / "2.b:2,S");
    EXPECT_NE(ReadNewestMessages({a}, {}, cache).From(u"dave@example.com"), nullptr);
    SenderCache saved = SenderCache::Load(cache);
    EXPECT_EQ(saved.Use((a / "cur" / "2.a:2,S").string()), nullptr);
    ASSERT_NE(saved.Use((a / "cur" / "2.b:2,S").string()), nullptr);
    ASSERT_NE(saved.Use((a / "new" / "1.a").string()), nullptr);
    EXPECT_FALSE(saved.OutOfDate());
    WriteBytes(cache, "1 2\tbob@example.net\t" + (a / "cur" / "2.b:2,S").string() + "\n");
    EXPECT_EQ(SenderCache::Load(cache).Use((a / "cur" / "2.b:2,S").string()), nullptr);
    WriteBytes(a / "new" / "5.a", "\nFrom: eve@example.com\n");  // no header: a body names nobody
    EXPECT_EQ(ReadNewestMessages({a}, {}).From(u"eve@example.com"), nullptr);
}

TEST_F(InboxTest, SettingsAndLogon) {
    WriteBytes(folder_.Path() / "device.ini",
               "[Messaging]\nStores= /m/a ;; /m/b;\nSendCommand = msmtp -t -i \n");
    DeviceSettings device;
    ASSERT_EQ(device.Load(folder_.Path() / "device.ini"), 0);
    MessagingSettings listed = ReadMessagingSettings(device, folder_.Path());
    EXPECT_EQ(listed.stores, (std::vector<fs::path>{"/m/a", "/m/b"}));
    EXPECT_TRUE(!listed.isDefault && listed.sendCommand == "msmtp -t -i");
    EXPECT_NE(session_.Logon(ReadMessagingSettings(DeviceSettings{}, {})), 0);  // no store
    // The default store is made on first use; a listed one never is.
    const MessagingSettings fallback = ReadMessagingSettings(DeviceSettings{}, folder_.Path());
    EXPECT_EQ(fallback.stores, std::vector<fs::path>{folder_.Path() / "Mail"});
    EXPECT_TRUE(fallback.isDefault && fallback.sendCommand.empty());
    ASSERT_EQ(session_.Logon(fallback), 0);
    EXPECT_TRUE(fs::is_directory(folder_.Path() / "Mail" / "new") &&
                fs::is_directory(folder_.Path() / "Mail" / "cur"));
    listed.stores = {folder_.Path() / "absent"};
    EXPECT_NE(session_.Logon(listed), 0);
    EXPECT_FALSE(session_.IsOpen() || fs::exists(folder_.Path() / "absent"));
    const fs::path b = Store("b"), a = Store("a");
    Open({b, folder_.Path() / "gone", a});
    EXPECT_EQ(session_.Stores(), (std::vector<fs::path>{b, a}));
    session_.Release();
    EXPECT_FALSE(session_.IsOpen());
}

}  // namespace
