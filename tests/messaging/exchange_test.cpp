// A real exchange: A's store pipes the move message to msmtp, which hands it over SMTP
// to a small server on 127.0.0.1 that delivers it into B's Inbox, where B finds it.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <memory>

#include "messaging/enumerate_inbox.h"
#include "messaging/message_store.h"
#include "messaging/send_move_message.h"
#include "tests/support/messaging_test_support.h"

namespace {

namespace fs = std::filesystem;

TEST(MailExchange, MoveSentByAArrivesInBsInbox) {
    TemporaryFolder folder;
    const fs::path storeA = folder.Path() / "alice", storeB = folder.Path() / "bob";
    MakeMaildir(storeA);
    MakeMaildir(storeB);
    // The SMTP server prints its port, or ends (closing its pipe) when it cannot start; it
    // stops on its own after a minute, and is stopped at the end of the test.
    int out[2];
    ASSERT_EQ(::pipe(out), 0);
    const pid_t server = ::fork();
    if (server == 0) {
        ::dup2(out[1], STDOUT_FILENO);
        ::execl("/usr/bin/python3", "python3", KORVANI_SMTP_SERVER_SCRIPT, storeB.c_str(), "60",
                static_cast<char*>(nullptr));
        ::_exit(127);
    }
    ASSERT_GT(server, 0);
    const std::shared_ptr<void> stop(nullptr, [server](void*) {
        ::kill(server, SIGTERM);
        ::waitpid(server, nullptr, 0);
    });
    ::close(out[1]);
    char port[32] = "";
    ASSERT_GT(::read(out[0], port, sizeof port - 1), 0) << "no SMTP server (python3-aiosmtpd?)";
    ::close(out[0]);
    // An empty configuration of our own keeps msmtp away from the user's.
    const fs::path config = folder.Path() / "msmtprc";
    WriteBytes(config, "");
    ASSERT_EQ(::chmod(config.c_str(), 0600), 0);
    MessagingSettings settings;
    settings.stores = {storeA};
    settings.sendCommand = "msmtp -C '" + config.string() +
                           "' --host=127.0.0.1 --port=" + std::to_string(std::atoi(port)) +
                           " --auth=off --tls=off --from=alice@example.org -t";
    MessageStore sessionA, sessionB;
    ASSERT_EQ(sessionA.Logon(settings), 0);
    ErrorBoxRecorder recorder;
    const MoveMessage move{u"bob@example.org", u"Move #12", u"12... Nf6", u"\u00c0 toi !"};
    ASSERT_EQ(SendMoveMessage(sessionA, move, u"Alice Martin", u"alice@example.org"),
              SendOutcome::Sent);
    EXPECT_TRUE(recorder.boxes.empty() && MessageFiles(storeA / ".Sent").size() == 1u);
    // msmtp returns only after the server has accepted and delivered the message.
    settings.stores = {storeB};
    ASSERT_EQ(sessionB.Logon(settings), 0);
    std::vector<std::u16string> inbox;
    EnumerateInbox(sessionB, [&](std::unique_ptr<InboxMessage> message) {
        inbox.push_back(message->sender + u" | " + message->subject + u" | " +
                        message->body.value_or(u"-"));
    });
    EXPECT_EQ(inbox, std::vector<std::u16string>{
                         u"alice@example.org | Move #12 | 12... Nf6\r\n\r\n\u00c0 toi !\r\n"});
}

}  // namespace
