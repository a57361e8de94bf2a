#pragma once

#include <string_view>

#include "messaging/move_message.h"

class MessageStore;

// What became of a move message.
enum class SendOutcome {
    // Not submitted in every store; the failure has been shown.
    Failed,
    // Waiting in the outbox of every store: no send command is set.
    Queued,
    // Handed to the send command, once, and filed in Sent of every store.
    Sent,
};

// Creates the move message in the Drafts folder of every store of `session`, from
// `senderName` and `senderAddress` (the owner's), and submits it to the store's
// outbox. With a send command set, the message is then piped to it once, however
// many stores there are, and filed in every store's Sent when the command succeeds.
// A failure is shown with an error box captioned with the failed step, the walk
// ending there; messages already submitted in earlier stores stay submitted, and a
// message the send command refused stays in the outboxes. A message that could not be
// written whole is removed, never submitted. With the session closed nothing is
// touched: the failure is shown captioned "GetMsgStoresTable ". An empty sender
// address is refused before any store is touched, so that no message goes out
// without a From address.
SendOutcome SendMoveMessage(const MessageStore& session, const MoveMessage& message,
                            std::u16string_view senderName, std::u16string_view senderAddress);
