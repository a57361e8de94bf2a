#pragma once

#include <cstddef>
#include <filesystem>
#include <functional>
#include <memory>

#include "messaging/inbox_message.h"

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

// Reads one message file: at most kMaxMessageBytes of it, and its modification time as
// the delivery time. Returns nullptr when the file cannot be opened or read.
inline constexpr std::size_t kMaxMessageBytes = std::size_t{1} << 20;
std::unique_ptr<InboxMessage> ReadInboxMessage(const std::filesystem::path& file);
