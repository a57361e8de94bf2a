#pragma once

#include <optional>
#include <string>
#include <string_view>

// What the inbox needs of one received message, decoded to UTF-16. A field the
// message does not have is std::nullopt.
struct ParsedMail {
    // The address of the first mailbox of From (or else of Sender).
    std::optional<std::u16string> sender;
    // The decoded Subject.
    std::optional<std::u16string> subject;
    // The first text/plain part, its transfer encoding and charset decoded, with the
    // line ends as they are in the part.
    std::optional<std::u16string> plainText;
};

// Reads a message with GMime. Malformed or truncated bytes never fail: they give the
// fields that could be found. Multipart nesting is walked without recursion.
ParsedMail ParseMail(std::string_view bytes);
