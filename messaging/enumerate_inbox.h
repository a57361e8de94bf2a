#pragma once

#include <cstddef>
#include <filesystem>
#include <functional>
#include <memory>
#include <string_view>
#include <vector>

#include "messaging/inbox_message.h"
#include "platform/read_progress.h"

class MessageStore;

// Receives each message of the inbox; the callee owns it.
using InboxCallback = std::function<void(std::unique_ptr<InboxMessage>)>;

// Reads the Inbox of every store of `session`, in the order of the stores table and,
// within a store, in order of delivery, and hands each message to `callback`. The
// store is only read, never changed. A message file that cannot be read (one that
// another program has just moved, say) is left out. A store that cannot be read shows
// ShowSystemError with the failed step's caption and ends the walk; messages already
// handed over stay with the callee. With the session closed nothing is read: the
// failure is shown captioned "GetMsgStoresTable ".
void EnumerateInbox(const MessageStore& session, const InboxCallback& callback);

// What stopped a walk of the Inboxes: the errno value and the caption of the failed
// step for ShowSystemError; `code` 0 when nothing failed.
struct InboxReadFailure {
    int code = 0;
    std::u16string_view caption;
};

// Walks the Inbox of each of `stores` as EnumerateInbox walks the session's, but
// gives back the failure that ends the walk instead of showing it (no store at all
// fails as a closed session does), and tells
// `progress` (when set) the count of messages read after each one; the walk stops
// when it returns false. Touches no state but its own and the callback's, so it may
// run on any thread.
InboxReadFailure ReadInbox(const std::vector<std::filesystem::path>& stores,
                           const InboxCallback& callback, const ReadProgress& progress = {});

// Reads one message file: at most kMaxMessageBytes of it, and its modification time as
// the delivery time. Returns nullptr when the file cannot be opened or read.
inline constexpr std::size_t kMaxMessageBytes = std::size_t{1} << 20;
std::unique_ptr<InboxMessage> ReadInboxMessage(const std::filesystem::path& file);
