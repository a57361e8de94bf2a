#pragma once

#include <string_view>

#include "messaging/move_message.h"

class MessageStore;

// Creates the move message in the Drafts folder of every store of `session`, from
// `senderName` and `senderAddress` (the owner's), and submits it to the store's
// outbox; with a send command set, the submitted message is piped to it and filed in
// Sent when the command succeeds. Returns true when the message was submitted in every
// store (also when there is none); false after a failure, which has been shown with
// ShowSystemError and the failed step's caption, the walk ending there. Messages
// already submitted in earlier stores stay submitted. A message that could not be
// written whole is removed, never submitted. With the session closed nothing is
// touched: the failure is shown captioned "GetMsgStoresTable ".
bool SendMoveMessage(const MessageStore& session, const MoveMessage& message,
                     std::u16string_view senderName, std::u16string_view senderAddress);
