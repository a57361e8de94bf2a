#pragma once

#include <cstdint>
#include <ctime>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "platform/read_progress.h"

// The newest message of each sender in the Inboxes of the mail stores, found from the
// messages' headers alone: what tells the games list that an answer is waiting.
class NewestMessages {
public:
    // One message file and its delivery time (the file's modification time).
    struct Message {
        std::filesystem::path file;
        std::time_t delivered = 0;
        long deliveredNanos = 0;
    };

    // Keeps the message file `file`, delivered at `delivered` (and `deliveredNanos`),
    // as the message from `sender` (UTF-8) when none is kept yet or it comes later in
    // the Inbox's order (by delivery time, then by file name) than the one kept.
    void Offer(std::string_view sender, std::time_t delivered, long deliveredNanos,
               std::string_view file);

    // The newest message from `address` (blanks around it ignored, letters compared
    // without regard to case); null when there is none. Valid while this object lives.
    const Message* From(std::u16string_view address) const;

    // The newest message from `address` when it was delivered on a later day (UTC)
    // than `day` (days since 1970-01-01, see DayOfGameDate in game/exchange_rules); null otherwise.
    const Message* NewerThan(std::u16string_view address, std::int64_t day) const;

    std::size_t senderCount() const { return bySender_.size(); }

private:
    // Keyed by the address in UTF-8 with its ASCII letters in lower case.
    std::unordered_map<std::string, Message> bySender_;
};

// Reads the sender of each message in the Inbox of every one of `stores` (at most
// MailLimits::kMaxHeaderSectionBytes of its header, see ParseSenderAddress) and keeps
// the newest message per sender. Only reads: nothing in the stores changes. A store,
// a message or a header that cannot be read is passed over; the messages flagged
// trashed are not looked at. `progress`, when set, is told the count of messages read
// after each one and stops the reading when it returns false. With `cacheFile` set,
// the messages that the SenderCache there knows are not opened, and the cache is
// written again when this reading found it out of date (unless it was stopped).
// Touches no state but its own and that file, so it may run on any thread.
NewestMessages ReadNewestMessages(const std::vector<std::filesystem::path>& stores,
                                  const ReadProgress& progress = {},
                                  const std::filesystem::path& cacheFile = {});
