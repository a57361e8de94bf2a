// Builds an inbox record from arbitrary message bytes, as the inbox list does for every
// file of the Inbox (the MIME library reads every address header on the way: From, To,
// Cc and the others, forwarded messages included), and checks its limits; reads the
// sender from the same bytes taken as a header, as the games list's marks do.
#include <pthread.h>

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "messaging/inbox_message.h"
#include "messaging/mail_limits.h"
#include "messaging/parsed_mail.h"

namespace {

// Each input is read on a thread with this small a stack, so that a recursion the input
// can deepen shows as a stack overflow at a size the fuzzer reaches, long before it
// would on the program's own 8 MiB stack (an 81 KB address header did not overflow
// that one here, yet did on the screen's thread of the program).
constexpr std::size_t kStackBytes = std::size_t{1} << 20;

void* CheckMessage(void* input) {
    const std::string_view bytes = *static_cast<const std::string_view*>(input);
    const auto sender = ParseSenderAddress(bytes.substr(0, MailLimits::kMaxHeaderSectionBytes));
    if (sender && sender->empty()) {
        __builtin_trap();
    }
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
    return nullptr;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view bytes(reinterpret_cast<const char*>(data), size);
    pthread_attr_t attributes;
    pthread_attr_init(&attributes);
    pthread_attr_setstacksize(&attributes, kStackBytes);
    pthread_t reader;
    if (pthread_create(&reader, &attributes, CheckMessage, &bytes) != 0) {
        __builtin_trap();
    }
    pthread_join(reader, nullptr);
    pthread_attr_destroy(&attributes);
    return 0;
}
