#include "messaging/send_command.h"

#include <poll.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <thread>

#include "platform/debug_sink.h"
#include "platform/text_codec.h"

namespace {

using Clock = std::chrono::steady_clock;

int MillisecondsLeft(Clock::time_point deadline) {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
    return left.count() > 0 ? static_cast<int>(left.count()) : 0;
}

// Writes `message` to `fd` before `deadline`. A socket rather than a pipe carries the
// message, so that a command that exits without reading it gives EPIPE here instead
// of a SIGPIPE that would end the program.
int Feed(int fd, std::string_view message, Clock::time_point deadline) {
    while (!message.empty()) {
        pollfd ready{fd, POLLOUT, 0};
        const int polled = ::poll(&ready, 1, MillisecondsLeft(deadline));
        if (polled == 0) {
            return ETIMEDOUT;
        }
        if (polled < 0) {
            if (errno == EINTR) {
                continue;
            }
            return errno;
        }
        const ssize_t sent = ::send(fd, message.data(), message.size(), MSG_NOSIGNAL);
        if (sent < 0) {
            if (errno == EINTR || errno == EAGAIN) {
                continue;
            }
            return errno;
        }
        message.remove_prefix(static_cast<std::size_t>(sent));
    }
    return 0;
}

// Waits for `child` until `deadline`, then kills it. Gives its wait status.
int Reap(pid_t child, Clock::time_point deadline, int& status) {
    for (;;) {
        const pid_t done = ::waitpid(child, &status, WNOHANG);
        if (done == child) {
            return 0;
        }
        if (done < 0 && errno != EINTR) {
            return errno;
        }
        if (Clock::now() >= deadline) {
            ::kill(child, SIGKILL);
            ::waitpid(child, &status, 0);
            return ETIMEDOUT;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

}  // namespace

int RunSendCommand(const std::string& command, std::string_view message,
                   std::chrono::milliseconds timeout) {
    const Clock::time_point deadline = Clock::now() + timeout;
    int sockets[2];
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, sockets) != 0) {
        return errno;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, sockets[1], STDIN_FILENO);
    char shell[] = "/bin/sh";
    char flag[] = "-c";
    std::string text = command;
    char* argv[] = {shell, flag, text.data(), nullptr};
    pid_t child = 0;
    const int spawned = ::posix_spawn(&child, shell, &actions, nullptr, argv, environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(sockets[1]);
    if (spawned != 0) {
        ::close(sockets[0]);
        return spawned;
    }
    const int fed = Feed(sockets[0], message, deadline);
    ::close(sockets[0]);
    int status = 0;
    const int reaped = Reap(child, fed == ETIMEDOUT ? Clock::now() : deadline, status);
    if (reaped != 0) {
        return reaped;
    }
    if (WIFEXITED(status) && WEXITSTATUS(status) == 0) {
        return fed;
    }
    DebugOutput(u"Send command failed: " + DecodeLine(command) + u", status " +
                DecodeLine(std::to_string(status)) + u"\n");
    return kSendCommandFailed;
}
