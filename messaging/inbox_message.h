#pragma once

#include <cstddef>
#include <ctime>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

// One received message as the inbox list shows it. Every value is a copy: the record
// keeps nothing of the store.
class InboxMessage {
public:
    static constexpr std::size_t kMaxSender = 63;
    static constexpr std::size_t kMaxSubject = 127;
    // A body is read into a fixed buffer of 32,768 bytes: at most 16,383 UTF-16
    // characters of decoded text, or 32,767 bytes of raw message text.
    static constexpr std::size_t kMaxBodyCharacters = 16383;
    static constexpr std::size_t kMaxRawBodyBytes = 32767;

    ~InboxMessage() = default;

    std::u16string sender;               // at most kMaxSender characters, or "Unknown"
    std::u16string subject;              // at most kMaxSubject characters, or "Error"
    std::u16string date;                 // delivery date "MM.DD" in UTC, or "??"
    std::optional<std::u16string> body;  // lines end with CR LF; may be absent
};

// Builds the record of the message whose bytes are `bytes`, delivered at
// `deliveryTime` (std::nullopt when unknown). The body is the decoded text the message
// shows (see ParsedMail::bodyText) or, without one, the text after the message's
// header (the whole text when it has no empty line), read as UTF-8 or Windows-1252
// line by line up to the first NUL. Either way its line ends become CR LF, as the
// phone's store gave them. A message beyond MailLimits is listed as unreadable: sender
// "Unknown", subject "Error" and no body. Never fails; the caller owns the result.
std::unique_ptr<InboxMessage> BuildInboxMessage(std::string_view bytes,
                                                std::optional<std::time_t> deliveryTime);
