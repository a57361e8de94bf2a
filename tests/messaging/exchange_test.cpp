// A real exchange between two players: A's store pipes the move message to msmtp,
// which hands it over SMTP to a small server on 127.0.0.1 that delivers it into B's
// Inbox; B then finds it there.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <thread>

#include "messaging/enumerate_inbox.h"
#include "messaging/message_store.h"
#include "messaging/send_move_message.h"
#include "tests/support/messaging_test_support.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

// The SMTP server, started on a free port and stopped (killed if need be) at the end.
class SmtpServer {
public:
    SmtpServer(const fs::path& maildir) {
        int out[2];
        if (::pipe2(out, O_CLOEXEC) != 0) {
            return;
        }
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
        std::string python = "/usr/bin/python3";
        std::string script = KORVANI_SMTP_SERVER_SCRIPT;
        std::string folder = maildir.string();
        std::string lifetime = "60";
        char* argv[] = {python.data(), script.data(), folder.data(), lifetime.data(), nullptr};
        if (::posix_spawn(&pid_, python.c_str(), &actions, nullptr, argv, environ) != 0) {
            pid_ = -1;
        }
        posix_spawn_file_actions_destroy(&actions);
        ::close(out[1]);
        if (pid_ > 0) {
            port_ = ReadPort(out[0]);
        }
        ::close(out[0]);
    }

    ~SmtpServer() {
        if (pid_ <= 0) {
            return;
        }
        ::kill(pid_, SIGTERM);
        const Clock::time_point deadline = Clock::now() + std::chrono::seconds(5);
        int status = 0;
        while (::waitpid(pid_, &status, WNOHANG) == 0) {
            if (Clock::now() > deadline) {
                ::kill(pid_, SIGKILL);
                ::waitpid(pid_, &status, 0);
                break;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
    }

    SmtpServer(const SmtpServer&) = delete;
    SmtpServer& operator=(const SmtpServer&) = delete;

    // The port, or 0 when the server did not come up within ten seconds.
    int Port() const { return port_; }

private:
    static int ReadPort(int fd) {
        std::string line;
        const Clock::time_point deadline = Clock::now() + std::chrono::seconds(10);
        while (line.find('\n') == std::string::npos && Clock::now() < deadline) {
            pollfd ready{fd, POLLIN, 0};
            if (::poll(&ready, 1, 100) <= 0) {
                continue;
            }
            char buffer[64];
            const ssize_t got = ::read(fd, buffer, sizeof buffer);
            if (got <= 0) {
                break;
            }
            line.append(buffer, static_cast<std::size_t>(got));
        }
        return line.find('\n') == std::string::npos ? 0 : std::atoi(line.c_str());
    }

    pid_t pid_ = -1;
    int port_ = 0;
};

TEST(MailExchange, MoveSentByAArrivesInBsInbox) {
    TemporaryFolder folder;
    const fs::path storeA = folder.Path() / "alice";
    const fs::path storeB = folder.Path() / "bob";
    MakeMaildir(storeA);
    MakeMaildir(storeB);
    SmtpServer server(storeB);
    ASSERT_NE(server.Port(), 0) << "the SMTP server did not start (python3-aiosmtpd?)";

    // An empty configuration of our own keeps msmtp away from the user's.
    const fs::path config = folder.Path() / "msmtprc";
    WriteBytes(config, "");
    ASSERT_EQ(::chmod(config.c_str(), 0600), 0);
    MessagingSettings settingsA;
    settingsA.stores = {storeA};
    settingsA.sendCommand = "msmtp -C '" + config.string() +
                            "' --host=127.0.0.1 --port=" + std::to_string(server.Port()) +
                            " --auth=off --tls=off --from=alice@example.org -t";
    settingsA.sendTimeout = std::chrono::seconds(30);
    MessageStore sessionA;
    ASSERT_EQ(sessionA.Logon(settingsA), 0);

    ErrorBoxRecorder recorder;
    const MoveMessage move{u"bob@example.org", u"Move #12", u"12... Nf6", u"\u00c0 toi de jouer !"};
    ASSERT_EQ(SendMoveMessage(sessionA, move, u"Alice Martin", u"alice@example.org"),
              SendOutcome::Sent);
    EXPECT_TRUE(recorder.boxes.empty());
    EXPECT_EQ(MessageFiles(storeA / ".Sent").size(), 1u);

    // msmtp returns only after the server has accepted and delivered the message.
    MessagingSettings settingsB;
    settingsB.stores = {storeB};
    MessageStore sessionB;
    ASSERT_EQ(sessionB.Logon(settingsB), 0);
    std::vector<std::unique_ptr<InboxMessage>> inbox;
    EnumerateInbox(sessionB, [&](std::unique_ptr<InboxMessage> message) {
        inbox.push_back(std::move(message));
    });
    ASSERT_EQ(inbox.size(), 1u);
    EXPECT_EQ(inbox[0]->sender, u"alice@example.org");
    EXPECT_EQ(inbox[0]->subject, u"Move #12");
    ASSERT_TRUE(inbox[0]->body.has_value());
    const std::u16string& body = *inbox[0]->body;
    EXPECT_EQ(body.substr(0, body.find(u'\r')), u"12... Nf6");
    EXPECT_NE(body.find(u"\u00c0 toi de jouer !"), std::u16string::npos);
}

}  // namespace
