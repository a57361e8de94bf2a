#include "messaging/send_move_message.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <optional>
#include <string>

#include "messaging/inbox_message.h"
#include "messaging/maildir.h"
#include "messaging/message_store.h"
#include "tests/support/messaging_test_support.h"

namespace {

namespace fs = std::filesystem;

class SendMoveMessageTest : public ::testing::Test {
protected:
    // Opens a session on `count` new stores.
    void OpenStores(int count, const std::string& sendCommand = "") {
        MessagingSettings settings;
        for (int i = 0; i < count; ++i) {
            const fs::path root = folder_.Path() / ("store" + std::to_string(i));
            MakeMaildir(root);
            settings.stores.push_back(root);
        }
        settings.sendCommand = sendCommand;
        settings.sendTimeout = std::chrono::seconds(20);
        ASSERT_EQ(session_.Logon(settings), 0);
    }

    fs::path Store(int i) const { return folder_.Path() / ("store" + std::to_string(i)); }

    SendOutcome Send(const MoveMessage& message) {
        return SendMoveMessage(session_, message, u"Ann Smith", u"ann@example.org");
    }

    // The bytes of the one message in the first store's Outbox.
    std::string Submitted() const { return ReadBytes(MessageFiles(Store(0) / ".Outbox").at(0)); }

    // One error box was shown, with `caption` and, when given, `text`.
    void ExpectOneBox(std::u16string_view caption, std::optional<std::u16string> text = {}) {
        ASSERT_EQ(recorder_.boxes.size(), 1u);
        EXPECT_EQ(recorder_.boxes[0].caption, caption);
        if (text) {
            EXPECT_EQ(recorder_.boxes[0].text, *text);
        }
    }

    TemporaryFolder folder_;
    MessageStore session_;
    ErrorBoxRecorder recorder_;
};

const MoveMessage kMove{u"bob@example.org; carol@example.org", u"Move #12", u"12. e4",
                        u"Good luck"};

TEST_F(SendMoveMessageTest, EveryStoreGetsTheMessageSubmitted) {
    OpenStores(2);
    ASSERT_EQ(Send(kMove), SendOutcome::Queued);
    EXPECT_TRUE(recorder_.boxes.empty());
    std::string first;
    for (int i = 0; i < 2; ++i) {
        EXPECT_TRUE(MessageFiles(Store(i) / ".Drafts").empty());
        const auto outbox = MessageFiles(Store(i) / ".Outbox");
        ASSERT_EQ(outbox.size(), 1u) << i;
        EXPECT_TRUE(fs::is_empty(Store(i) / ".Drafts" / "tmp"));
        const std::string bytes = ReadBytes(outbox[0]);
        if (i == 0) {
            first = bytes;
        } else {
            EXPECT_EQ(bytes, first);
        }
    }
}

TEST_F(SendMoveMessageTest, MessageHasTheHeadersAndTheBodyLayout) {
    OpenStores(1);
    ASSERT_EQ(Send(kMove), SendOutcome::Queued);
    const std::string bytes = Submitted();
    for (const char* expected :
         {"From: Ann Smith <ann@example.org>\n", "To: bob@example.org, carol@example.org\n",
          "Subject: Move #12\n", "Date: ", "\nMessage-Id: <", "@example.org>\n",
          "MIME-Version: 1.0\n", "Content-Type: text/plain; charset=utf-8\n",
          "Content-Transfer-Encoding: quoted-printable\n", "\n\n12. e4\n\nGood luck"}) {
        EXPECT_NE(bytes.find(expected), std::string::npos) << expected << "\n" << bytes;
    }
    EXPECT_EQ(bytes.find('\r'), std::string::npos);
    EXPECT_EQ(bytes.find('\0'), std::string::npos);
}

TEST_F(SendMoveMessageTest, NonAsciiTextsAreUtf8AndReadBack) {
    OpenStores(1);
    const MoveMessage move{u"bob@example.org", u"Coup n\u00b012", u"12... Cf6",
                           u"Caf\u00e9 cr\u00e8me \u2014 \u00e0 toi"};
    ASSERT_EQ(SendMoveMessage(session_, move, u"Jos\u00e9", u"jose@example.es"),
              SendOutcome::Queued);
    const std::string bytes = Submitted();
    // Latin-1-only texts keep the UTF-8 label.
    EXPECT_EQ(bytes.find("iso-8859-1"), std::string::npos) << bytes;
    EXPECT_NE(bytes.find("From: =?UTF-8?"), std::string::npos) << bytes;
    EXPECT_NE(bytes.find("Caf=C3=A9"), std::string::npos) << bytes;
    const auto message = BuildInboxMessage(bytes, std::nullopt);
    EXPECT_EQ(message->sender, u"jose@example.es");
    EXPECT_EQ(message->subject, u"Coup n\u00b012");
    // A mail body ends with a line break of its own.
    EXPECT_EQ(*message->body, u"12... Cf6\r\n\r\nCaf\u00e9 cr\u00e8me \u2014 \u00e0 toi\r\n");
}

TEST_F(SendMoveMessageTest, TrailingBlankOfAnnotatedMoveAndEmptyTextSurvive) {
    OpenStores(1);
    ASSERT_EQ(Send({u"bob@example.org", u"Move #12", u"12. e4 ", u""}), SendOutcome::Queued);
    const std::string bytes = Submitted();
    EXPECT_EQ(*BuildInboxMessage(bytes, std::nullopt)->body, u"12. e4 \r\n\r\n");
}

TEST_F(SendMoveMessageTest, TextsAreCutAtTheirLengths) {
    OpenStores(1);
    const MoveMessage move{u"bob@example.org", std::u16string(80, u's'), std::u16string(40, u'm'),
                           std::u16string(300, u'a')};
    ASSERT_EQ(Send(move), SendOutcome::Queued);
    const auto message = BuildInboxMessage(Submitted(), std::nullopt);
    EXPECT_EQ(message->subject, std::u16string(63, u's'));
    EXPECT_EQ(*message->body,
              std::u16string(31, u'm') + u"\r\n\r\n" + std::u16string(255, u'a') + u"\r\n");
}

TEST_F(SendMoveMessageTest, EmptyPiecesAreNotWrittenAsRecipients) {
    OpenStores(1);
    ASSERT_EQ(Send({u"bob@example.org;;carol@example.org", u"s", u"1. e4", u""}),
              SendOutcome::Queued);
    const std::string bytes = Submitted();
    EXPECT_NE(bytes.find("To: bob@example.org, carol@example.org\n"), std::string::npos) << bytes;
}

TEST_F(SendMoveMessageTest, NoRecipientIsRefusedBeforeTouchingTheStore) {
    OpenStores(1);
    for (const char16_t* to : {u"", u" ; ", u"bob@example.org\nBcc: eve@example.org"}) {
        recorder_.boxes.clear();
        EXPECT_EQ(Send({to, u"s", u"1. e4", u""}), SendOutcome::Failed);
        ExpectOneBox(u"CEMAPI_SetMessageRecipients");
    }
    EXPECT_FALSE(fs::exists(Store(0) / ".Drafts"));
    EXPECT_FALSE(fs::exists(Store(0) / ".Outbox"));
}

TEST_F(SendMoveMessageTest, ClosedSessionFailsWithoutTouchingAnything) {
    EXPECT_EQ(Send(kMove), SendOutcome::Failed);
    ExpectOneBox(u"GetMsgStoresTable ", u"Err 0x80004005");
    EXPECT_TRUE(fs::is_empty(folder_.Path()));
}

TEST_F(SendMoveMessageTest, StoreGoneAfterLogonEndsTheWalkKeepingEarlierStores) {
    OpenStores(2);
    fs::remove_all(Store(1));
    EXPECT_EQ(Send(kMove), SendOutcome::Failed);
    ExpectOneBox(u"Unable to open Message Store");
    EXPECT_EQ(MessageFiles(Store(0) / ".Outbox").size(), 1u);
}

TEST_F(SendMoveMessageTest, DraftsThatCannotBeMadeAreReported) {
    OpenStores(1);
    WriteBytes(Store(0) / ".Drafts", "not a folder");
    EXPECT_EQ(Send(kMove), SendOutcome::Failed);
    ExpectOneBox(u"Unable to get Draft folder ID");
}

TEST_F(SendMoveMessageTest, MessageThatCannotBeWrittenWholeIsNeverSubmitted) {
    OpenStores(1);
    ASSERT_EQ(Maildir(Store(0) / ".Drafts").Create(), 0);
    {
        const FileSizeLimit limit(100);
        EXPECT_EQ(Send(kMove), SendOutcome::Failed);
    }
    ExpectOneBox(u"SetMessageProps/Message/OpenProperty", SystemErrorText(EFBIG));
    EXPECT_TRUE(fs::is_empty(Store(0) / ".Drafts" / "tmp"));
    EXPECT_TRUE(MessageFiles(Store(0) / ".Drafts").empty());
    EXPECT_FALSE(fs::exists(Store(0) / ".Outbox"));
}

TEST_F(SendMoveMessageTest, SendCommandRunsOnceAndEveryStoreFilesTheMessageInSent) {
    const fs::path piped = folder_.Path() / "piped.eml";
    const fs::path runs = folder_.Path() / "runs";
    OpenStores(2, "cat >> '" + piped.string() + "'; echo run >> '" + runs.string() + "'");
    ASSERT_EQ(Send(kMove), SendOutcome::Sent);
    EXPECT_TRUE(recorder_.boxes.empty());
    EXPECT_EQ(ReadBytes(runs), "run\n");
    for (int i = 0; i < 2; ++i) {
        EXPECT_TRUE(MessageFiles(Store(i) / ".Outbox").empty());
        const auto sent = MessageFiles(Store(i) / ".Sent");
        ASSERT_EQ(sent.size(), 1u);
        EXPECT_NE(sent[0].filename().string().find(":2,S"), std::string::npos);
        EXPECT_EQ(ReadBytes(piped), ReadBytes(sent[0]));
        // Each folder is marked as a Maildir++ folder of its store.
        for (const char* folder : {".Drafts", ".Outbox", ".Sent"}) {
            EXPECT_TRUE(fs::is_regular_file(Store(i) / folder / "maildirfolder")) << folder;
        }
    }
}

TEST_F(SendMoveMessageTest, FailingSendCommandIsDescribedAndLeavesTheMessageInTheOutbox) {
    OpenStores(1, "cat > /dev/null; echo 'smtp: 550 relay denied' >&2; echo second >&2; exit 3");
    EXPECT_EQ(Send(kMove), SendOutcome::Failed);
    ExpectOneBox(u"Unable to send message",
                 u"The send command ended with exit status 3.\nsmtp: 550 relay denied\nsecond\n"
                 u"The message stays in the Outbox.");
    EXPECT_EQ(MessageFiles(Store(0) / ".Outbox").size(), 1u);
    EXPECT_TRUE(MessageFiles(Store(0) / ".Sent").empty());
}

TEST_F(SendMoveMessageTest, EmptySenderAddressIsRefusedBeforeTouchingTheStore) {
    OpenStores(1);
    EXPECT_EQ(SendMoveMessage(session_, kMove, u"Ann Smith", u" "), SendOutcome::Failed);
    ExpectOneBox(u"Unable to send message");
    EXPECT_FALSE(fs::exists(Store(0) / ".Drafts"));
}

TEST_F(SendMoveMessageTest, HangingSendCommandIsKilledAfterItsTimeout) {
    MessagingSettings settings;
    MakeMaildir(Store(0));
    settings.stores = {Store(0)};
    settings.sendCommand = "exec sleep 30";
    settings.sendTimeout = std::chrono::milliseconds(200);
    ASSERT_EQ(session_.Logon(settings), 0);
    EXPECT_EQ(Send(kMove), SendOutcome::Failed);
    ExpectOneBox(u"Unable to send message",
                 u"The send command did not finish within 1 s and was stopped.\n"
                 u"The message stays in the Outbox.");
    EXPECT_EQ(MessageFiles(Store(0) / ".Outbox").size(), 1u);
}

TEST_F(SendMoveMessageTest, CommandThatCannotRunIsReported) {
    OpenStores(1, "/nonexistent/korvani-sendmail -t");
    EXPECT_EQ(Send(kMove), SendOutcome::Failed);
    ExpectOneBox(u"Unable to send message");
}

}  // namespace
