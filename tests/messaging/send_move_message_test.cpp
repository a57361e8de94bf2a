// The move message: its recipients and body, how it is filed in every store and handed
// to the send command, and each way sending fails.
#include "messaging/send_move_message.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <functional>
#include <regex>

#include "messaging/inbox_message.h"
#include "messaging/maildir.h"
#include "messaging/message_store.h"
#include "tests/support/messaging_test_support.h"

namespace {

namespace fs = std::filesystem;
using U = std::u16string;

TEST(SplitAddressText, GivesThePieces) {
    // clang-format off
    for (const auto& [text, pieces] : std::vector<std::pair<U, U>>{{u"a@x;b@y", u"[a@x][b@y]"}, {u"a@x; b@y", u"[a@x][b@y]"},
             {u"a@x;;b@y", u"[a@x][][b@y]"}, {u"a@x;", u"[a@x]"}, {u"a@x b@y", u"[a@x][b@y]"}, {u"  a@x  ", u"[a@x]"}, {u"", u""},
             {u"   ", u""}, {u";", u"[]"}, {u"a@x;;", u"[a@x][]"}, {u"a@x ;b@y", u"[a@x][][b@y]"}}) {
        // clang-format on
        EXPECT_EQ(Joined(SplitAddressText(text)), pieces);
    }
    EXPECT_EQ(MoveMessageBody(u"20. Nf3", u"Your move"), u"20. Nf3\r\n\r\nYour move");
    EXPECT_EQ(MoveMessageBody(u"12. e4 ", u""), u"12. e4 \r\n\r\n");
}

const MoveMessage kMove{u"bob@example.org;;carol@example.org", u"Move #12", u"12. e4",
                        u"Good luck"};

class SendMoveMessageTest : public ::testing::Test {
public:
    fs::path Store(int i) const { return folder_.Path() / ("store" + std::to_string(i)); }
    void Open(int stores, const std::string& command = "",
              std::chrono::milliseconds timeout = std::chrono::seconds(20)) {
        MessagingSettings settings;
        for (int i = 0; i < stores; ++i) {
            MakeMaildir(Store(i));
            settings.stores.push_back(Store(i));
        }
        settings.sendCommand = command;
        settings.sendTimeout = timeout;
        ASSERT_EQ(session_.Logon(settings), 0);
    }
    SendOutcome Send(const MoveMessage& message, std::u16string_view from = u"ann@example.org") {
        return SendMoveMessage(session_, message, u"Ann Smith", from);
    }
    std::size_t Count(int store, const char* folder) const {
        return MessageFiles(Store(store) / folder).size();
    }

    TemporaryFolder folder_;
    MessageStore session_;
    ErrorBoxRecorder recorder_;
};

TEST_F(SendMoveMessageTest, EveryStoreGetsTheSameMessageInItsOutbox) {
    Open(2);
    ASSERT_EQ(Send(kMove), SendOutcome::Queued);
    EXPECT_TRUE(recorder_.boxes.empty());
    ASSERT_TRUE(Count(0, ".Outbox") == 1u && Count(1, ".Outbox") == 1u);
    const std::string bytes = ReadBytes(MessageFiles(Store(0) / ".Outbox")[0]);
    EXPECT_EQ(ReadBytes(MessageFiles(Store(1) / ".Outbox")[0]), bytes);
    EXPECT_TRUE(Count(0, ".Drafts") == 0u && fs::is_empty(Store(0) / ".Drafts" / "tmp"));
    // Empty pieces of the To text are no recipients.
    // clang-format off
    for (const char* expected : {"From: Ann Smith <ann@example.org>\n", "To: bob@example.org, carol@example.org\n", "Subject: Move #12\n", "Date: ",
             "MIME-Version: 1.0\n", "Content-Type: text/plain; charset=utf-8\n",
             "Content-Transfer-Encoding: quoted-printable\n", "\n\n12. e4\n\nGood luck"}) {
        // clang-format on
        EXPECT_NE(bytes.find(expected), std::string::npos) << expected << "\n" << bytes;
    }
    EXPECT_EQ(bytes.find_first_of(std::string("\r\0", 2)), std::string::npos);
    EXPECT_TRUE(std::regex_search(bytes, std::regex("\nMessage-Id: <[^@>\n]+@example\\.org>\n")));
}

TEST_F(SendMoveMessageTest, MessageReadsBackAsWritten) {
    // Latin-1-only texts keep the UTF-8 label; a body ends with a line break.
    // clang-format off
    const std::pair<MoveMessage, U> rows[] = {
        {{u"b@x", u"Coup n°12", u"12... Cf6", u"Café — à toi"}, u"Coup n°12 | 12... Cf6\r\n\r\nCafé — à toi\r\n"},
        {{u"b@x", u"Move #12", u"12. e4 ", u""}, u"Move #12 | 12. e4 \r\n\r\n"},
        {{u"b@x", U(80, u's'), U(40, u'm'), U(300, u'a')}, U(63, u's') + u" | " + U(31, u'm') + u"\r\n\r\n" + U(255, u'a') + u"\r\n"},
    };
    // clang-format on
    Open(1);
    for (const auto& [move, listing] : rows) {
        ASSERT_EQ(SendMoveMessage(session_, move, u"José", u"jose@example.es"),
                  SendOutcome::Queued);
        const auto outbox = MessageFiles(Store(0) / ".Outbox");
        ASSERT_EQ(outbox.size(), 1u);
        const std::string bytes = ReadBytes(outbox[0]);
        fs::remove(outbox[0]);
        EXPECT_NE(bytes.find("From: =?UTF-8?"), std::string::npos) << bytes;
        EXPECT_EQ(bytes.find("iso-8859-1"), std::string::npos) << bytes;
        const auto message = BuildInboxMessage(bytes, std::nullopt);
        EXPECT_EQ(message->sender, u"jose@example.es");
        EXPECT_EQ(message->subject + u" | " + *message->body, listing);
    }
}

TEST_F(SendMoveMessageTest, SendCommandRunsOnceAndEveryStoreFilesTheMessageInSent) {
    const fs::path piped = folder_.Path() / "piped.eml", runs = folder_.Path() / "runs";
    Open(2, "cat >> '" + piped.string() + "'; echo run >> '" + runs.string() + "'");
    ASSERT_EQ(Send(kMove), SendOutcome::Sent);
    EXPECT_TRUE(recorder_.boxes.empty());
    EXPECT_EQ(ReadBytes(runs), "run\n");
    for (int i = 0; i < 2; ++i) {
        EXPECT_EQ(Count(i, ".Outbox"), 0u);
        const auto sent = MessageFiles(Store(i) / ".Sent");
        ASSERT_EQ(sent.size(), 1u);
        EXPECT_TRUE(sent[0].filename().string().ends_with(":2,S"));
        EXPECT_EQ(ReadBytes(piped), ReadBytes(sent[0]));
        for (const char* folder : {".Drafts", ".Outbox", ".Sent"}) {
            EXPECT_TRUE(fs::is_regular_file(Store(i) / folder / "maildirfolder")) << folder;
        }
    }
}

// Each way a send fails: the box the user sees and what is left in the first store.
TEST_F(SendMoveMessageTest, FailuresAreReportedAndLeaveTheStoreAsSaid) {
    struct Row {
        const char* name;
        int stores;  // 0: no session
        std::string command;
        char fault;  // 'g' second store gone, 'd' Drafts a file, 'f' files of 100 bytes at most,
                     // 't' a timeout of 200 ms
        U to, from, caption, text;
        int outbox;  // messages in the first store's Outbox; -1: no Outbox made
    };
    const U to = kMove.to, ok = u"a@x", failed = u"Unable to send message";
    // clang-format off
    const Row rows[] = {
        {"closed", 0, "", 0, to, ok, u"GetMsgStoresTable ", u"Err 0x80004005", -1},
        {"no recipient", 1, "", 0, u" ; ", ok, u"CEMAPI_SetMessageRecipients", {}, -1},
        {"header in To", 1, "", 0, u"b@x\nBcc: e@x", ok, u"CEMAPI_SetMessageRecipients", {}, -1},
        {"no sender", 1, "", 0, to, u" ", failed, {}, -1},
        {"store gone", 2, "", 'g', to, ok, u"Unable to open Message Store", {}, 1},
        {"no drafts", 1, "", 'd', to, ok, u"Unable to get Draft folder ID", {}, -1},
        {"not written whole", 1, "", 'f', to, ok, u"SetMessageProps/Message/OpenProperty", SystemErrorText(EFBIG), -1},
        {"command fails", 1, "cat >/dev/null; echo 'smtp: 550 relay' >&2; echo 2 >&2; exit 3", 0, to, ok, failed, u"The send command ended with exit status 3.\nsmtp: 550 relay\n2\nThe message stays in the Outbox.", 1},
        {"command hangs", 1, "exec sleep 30", 't', to, ok, failed, u"The send command did not finish within 1 s and was stopped.\nThe message stays in the Outbox.", 1},
        {"command cannot run", 1, "/nonexistent/send -t", 0, to, ok, failed, {}, 1},
    };
    // clang-format on
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        fs::remove_all(Store(0));
        fs::remove_all(Store(1));
        session_.Release();
        recorder_.boxes.clear();
        if (row.stores > 0) {
            Open(row.stores, row.command,
                 row.fault == 't' ? std::chrono::milliseconds(200) : std::chrono::seconds(20));
        }
        if (row.fault == 'g') {
            fs::remove_all(Store(1));
        } else if (row.fault == 'd') {
            WriteBytes(Store(0) / ".Drafts", "not a folder");
        } else if (row.fault == 'f') {
            ASSERT_EQ(Maildir(Store(0) / ".Drafts").Create(), 0);
        }
        {
            std::optional<FileSizeLimit> limit;
            if (row.fault == 'f') {
                limit.emplace(100);
            }
            EXPECT_EQ(SendMoveMessage(session_, {row.to, u"s", u"1. e4", u""}, u"Ann", row.from),
                      SendOutcome::Failed);
        }
        ASSERT_EQ(recorder_.boxes.size(), 1u);
        EXPECT_EQ(recorder_.boxes[0].caption, row.caption);
        EXPECT_TRUE(row.text.empty() || recorder_.boxes[0].text == row.text)
            << std::string(row.text.begin(), row.text.end());
        EXPECT_EQ(fs::exists(Store(0) / ".Outbox"), row.outbox >= 0);
        EXPECT_EQ(Count(0, ".Outbox"), static_cast<std::size_t>(std::max(row.outbox, 0)));
        EXPECT_EQ(Count(0, ".Sent") + Count(0, ".Drafts"), 0u);
    }
}

}  // namespace
