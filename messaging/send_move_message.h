#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

class MessageStore;

// A composed move message as the Send move dialog reads it from its fields. Longer
// texts are cut at the lengths below when the message is sent.
struct MoveMessage {
    static constexpr std::size_t kMaxTo = 127;
    static constexpr std::size_t kMaxSubject = 63;
    static constexpr std::size_t kMaxMoveText = 31;
    static constexpr std::size_t kMaxAdditionalText = 255;

    std::u16string to;  // recipients, separated by blanks or ";"
    std::u16string subject;
    std::u16string moveText;        // the numbered move, "20. Nf3" or "20... Nf3"
    std::u16string additionalText;  // the user's own words, may be empty
};

// Splits an address text into pieces: blanks are skipped, a piece runs up to the next
// blank or ";", and one separator after it is stepped over. Empty pieces are kept
// ("a;;b" gives three); a separator at the very end adds none ("a;" gives one).
std::vector<std::u16string> SplitAddressText(std::u16string_view text);

// The body of the move message: the move text, CR LF CR LF, then the additional text.
// The phone's store added a NUL after it; a mail body carries none.
std::u16string MoveMessageBody(std::u16string_view moveText, std::u16string_view additionalText);

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
