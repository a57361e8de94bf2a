#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

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
