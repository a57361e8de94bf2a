// Builds an inbox record from arbitrary message bytes and checks its limits.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "messaging/inbox_message.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const auto message = BuildInboxMessage(bytes, 0);
    if (message->sender.empty() || message->sender.size() > InboxMessage::kMaxSender ||
        message->subject.size() > InboxMessage::kMaxSubject || message->date != u"01.01" ||
        !message->body || message->body->size() > InboxMessage::kMaxRawBodyBytes * 2) {
        __builtin_trap();
    }
    return 0;
}
