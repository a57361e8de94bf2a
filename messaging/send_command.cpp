#include "messaging/send_command.h"

#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <thread>

#include "platform/debug_sink.h"
#include "platform/error_report.h"
#include "platform/text_codec.h"

namespace {

using Clock = std::chrono::steady_clock;

int MillisecondsLeft(Clock::time_point deadline) {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
    return left.count() > 0 ? static_cast<int>(left.count()) : 0;
}

// Keeps the start of what the command writes to its standard error, and reads the
// rest away so that the command never blocks on a full pipe.
class ErrorOutput {
public:
    explicit ErrorOutput(int fd) : fd_(fd) {}
    ~ErrorOutput() { Close(); }
    ErrorOutput(const ErrorOutput&) = delete;
    ErrorOutput& operator=(const ErrorOutput&) = delete;

    [[nodiscard]] int fd() const { return fd_; }

    // Reads what is there now, without waiting.
    void Drain() {
        char buffer[1024];
        while (fd_ >= 0) {
            const ssize_t got = ::read(fd_, buffer, sizeof buffer);
            if (got < 0 && errno == EINTR) {
                continue;
            }
            if (got <= 0) {
                if (got == 0 || (errno != EAGAIN && errno != EWOULDBLOCK)) {
                    Close();
                }
                return;
            }
            const std::size_t room = SendCommandResult::kMaxErrorOutput - text_.size();
            text_.append(buffer, std::min(room, static_cast<std::size_t>(got)));
        }
    }

    // Waits up to `milliseconds` for output, then reads it.
    void WaitAndDrain(int milliseconds) {
        if (fd_ < 0) {
            std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
            return;
        }
        pollfd ready{fd_, POLLIN, 0};
        if (::poll(&ready, 1, milliseconds) > 0) {
            Drain();
        }
    }

    std::string Take() { return std::move(text_); }

private:
    void Close() {
        if (fd_ >= 0) {
            ::close(fd_);
            fd_ = -1;
        }
    }

    int fd_;
    std::string text_;
};

// Writes `message` to `fd` before `deadline`, reading the command's standard error
// meanwhile. A socket rather than a pipe carries the message, so that a command that
// exits without reading it gives EPIPE here instead of a SIGPIPE that would end the
// program.
int Feed(int fd, std::string_view message, Clock::time_point deadline, ErrorOutput& errors) {
    while (!message.empty()) {
        // A negative descriptor (the error output once closed) is left out by poll.
        pollfd ready[2] = {{fd, POLLOUT, 0}, {errors.fd(), POLLIN, 0}};
        const int polled = ::poll(ready, 2, MillisecondsLeft(deadline));
        if (polled == 0) {
            return ETIMEDOUT;
        }
        if (polled < 0) {
            if (errno == EINTR) {
                continue;
            }
            return errno;
        }
        if (ready[1].revents != 0) {
            errors.Drain();
        }
        if (ready[0].revents == 0) {
            continue;
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
int Reap(pid_t child, Clock::time_point deadline, ErrorOutput& errors, int& status) {
    for (;;) {
        const pid_t done = ::waitpid(child, &status, WNOHANG);
        if (done == child) {
            errors.Drain();
            return 0;
        }
        if (done < 0 && errno != EINTR) {
            return errno;
        }
        if (Clock::now() >= deadline) {
            ::kill(child, SIGKILL);
            ::waitpid(child, &status, 0);
            errors.Drain();
            return ETIMEDOUT;
        }
        errors.WaitAndDrain(10);
    }
}

// The pipe that carries the command's standard error: its read end does not block.
bool MakeErrorPipe(int ends[2]) {
    if (::pipe2(ends, O_CLOEXEC) != 0) {
        return false;
    }
    ::fcntl(ends[0], F_SETFL, ::fcntl(ends[0], F_GETFL) | O_NONBLOCK);
    return true;
}

// The first lines of a command's error output, each cut to a readable length.
std::u16string FirstLines(std::string_view output) {
    constexpr int kMaxLines = 5;
    constexpr std::size_t kMaxLineBytes = 160;
    std::u16string text;
    int lines = 0;
    std::size_t start = 0;
    while (start < output.size() && lines < kMaxLines) {
        std::size_t end = output.find('\n', start);
        if (end == std::string_view::npos) {
            end = output.size();
        }
        std::string_view line = output.substr(start, end - start);
        while (!line.empty() && (line.back() == '\r' || line.back() == ' ')) {
            line.remove_suffix(1);
        }
        if (!line.empty()) {
            text += u'\n';
            text += DecodeLine(line.substr(0, kMaxLineBytes));
            ++lines;
        }
        start = end + 1;
    }
    return text;
}

}  // namespace

SendCommandResult RunSendCommand(const std::string& command, std::string_view message,
                                 std::chrono::milliseconds timeout) {
    SendCommandResult result;
    const Clock::time_point deadline = Clock::now() + timeout;
    int sockets[2];
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, sockets) != 0) {
        result.error = errno;
        return result;
    }
    int errorPipe[2];
    if (!MakeErrorPipe(errorPipe)) {
        result.error = errno;
        ::close(sockets[0]);
        ::close(sockets[1]);
        return result;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, sockets[1], STDIN_FILENO);
    posix_spawn_file_actions_adddup2(&actions, errorPipe[1], STDERR_FILENO);
    char shell[] = "/bin/sh";
    char flag[] = "-c";
    std::string text = command;
    char* argv[] = {shell, flag, text.data(), nullptr};
    pid_t child = 0;
    const int spawned = ::posix_spawn(&child, shell, &actions, nullptr, argv, environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(sockets[1]);
    ::close(errorPipe[1]);
    ErrorOutput errors(errorPipe[0]);
    if (spawned != 0) {
        ::close(sockets[0]);
        result.error = spawned;
        return result;
    }
    const int fed = Feed(sockets[0], message, deadline, errors);
    ::close(sockets[0]);
    int status = 0;
    const int reaped = Reap(child, fed == ETIMEDOUT ? Clock::now() : deadline, errors, status);
    result.errorOutput = errors.Take();
    if (WIFEXITED(status)) {
        result.exitStatus = WEXITSTATUS(status);
    } else if (WIFSIGNALED(status)) {
        result.signal = WTERMSIG(status);
    }
    if (reaped != 0) {
        result.error = reaped;
    } else if (result.exitStatus == 0) {
        result.error = fed;
    } else {
        DebugOutput(u"Send command failed: " + DecodeLine(command) + u", status " +
                    DecodeLine(std::to_string(status)) + u"\n");
        result.error = kSendCommandFailed;
    }
    return result;
}

std::u16string DescribeSendCommandFailure(const SendCommandResult& result,
                                          std::chrono::milliseconds timeout) {
    std::string how;
    if (result.error == ETIMEDOUT) {
        const auto seconds = std::chrono::ceil<std::chrono::seconds>(timeout).count();
        how = "The send command did not finish within " + std::to_string(seconds) +
              " s and was stopped.";
    } else if (result.error == kSendCommandFailed && result.exitStatus > 0) {
        how = "The send command ended with exit status " + std::to_string(result.exitStatus) + ".";
    } else if (result.error == kSendCommandFailed) {
        how = "The send command was stopped by signal " + std::to_string(result.signal) + ".";
    } else if (result.exitStatus >= 0) {
        return u"The send command ended before it had read the whole message: " +
               SystemErrorText(result.error) + FirstLines(result.errorOutput);
    } else {
        return u"The send command could not be run: " + SystemErrorText(result.error) +
               FirstLines(result.errorOutput);
    }
    return DecodeLine(how) + FirstLines(result.errorOutput);
}
