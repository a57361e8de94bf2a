// Builds an inbox record from arbitrary message bytes, as the inbox list does for every
// file of the Inbox (the MIME library reads every address header on the way: From, To,
// Cc and the others, forwarded messages included), and checks its limits.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "messaging/inbox_message.h"
#include "messaging/mail_limits.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const auto message = BuildInboxMessage(bytes, 0);
    if (message->sender.empty() || message->sender.size() > InboxMessage::kMaxSender ||
        message->subject.size() > InboxMessage::kMaxSubject || message->date != u"01.01") {
        __builtin_trap();
    }
    // A message beyond the limits is listed as unreadable, any other with a body.
    if (WithinMailLimits(bytes)) {
        if (!message->body || message->body->size() > InboxMessage::kMaxRawBodyBytes * 2) {
            __builtin_trap();
        }
    } else if (message->body || message->sender != u"Unknown" || message->subject != u"Error") {
        __builtin_trap();
    }
    return 0;
}
