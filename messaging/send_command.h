#pragma once

#include <chrono>
#include <string>
#include <string_view>

// The code a send command's failure is reported with when the command ran but did not
// exit with 0 (E_FAIL, shown as "Err 0x80004005").
inline constexpr int kSendCommandFailed = static_cast<int>(0x80004005u);

// Runs `command` with /bin/sh -c, writes `message` to its standard input and waits for
// it, at most `timeout` in all: a command still running then is killed. Returns 0
// when it exited with 0; ETIMEDOUT after the timeout; kSendCommandFailed for another
// exit status or a signal; an errno value when it could not be started or fed.
int RunSendCommand(const std::string& command, std::string_view message,
                   std::chrono::milliseconds timeout);
