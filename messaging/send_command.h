#pragma once

#include <chrono>
#include <string>
#include <string_view>

// The code a send command's failure is reported with when the command ran but did not
// exit with 0 (E_FAIL, shown as "Err 0x80004005").
inline constexpr int kSendCommandFailed = static_cast<int>(0x80004005u);

// How a run of the send command ended.
struct SendCommandResult {
    // 0 when it exited with 0; ETIMEDOUT when it was killed after the timeout;
    // kSendCommandFailed for another exit status or a signal; an errno value when it
    // could not be started or fed.
    int error = 0;
    int exitStatus = -1;  // the exit status when it exited, else -1
    int signal = 0;       // the signal that ended it, else 0
    // The start of what it wrote to its standard error, at most kMaxErrorOutput bytes.
    std::string errorOutput;

    static constexpr std::size_t kMaxErrorOutput = 4096;
};

// Runs `command` with /bin/sh -c, writes `message` to its standard input and waits for
// it, at most `timeout` in all: a command still running then is killed. Its standard
// error is read all along, so that it never blocks on a full pipe.
SendCommandResult RunSendCommand(const std::string& command, std::string_view message,
                                 std::chrono::milliseconds timeout);

// What the error box says of a failed run of the send command: how it ended (its exit
// status, the signal, the timeout, or why it could not run) and the first lines of its
// standard error. The command line itself is left out: it may carry a password.
std::u16string DescribeSendCommandFailure(const SendCommandResult& result,
                                          std::chrono::milliseconds timeout);
