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
    // The text the reader is meant to see: the first text/plain part that is not an
    // attachment or, without one, the text of the first such text/html part (see
    // HtmlToText); its transfer encoding and charset decoded, with the line ends as
    // they are in the part.
    std::optional<std::u16string> bodyText;
};

// Reads a message with GMime. Malformed or truncated bytes never fail: they give the
// fields that could be found. Multipart nesting is walked without recursion. Returns
// std::nullopt, without giving the bytes to GMime at all, for a message beyond
// MailLimits (see WithinMailLimits).
std::optional<ParsedMail> ParseMail(std::string_view bytes);

// The sender's address of a message from its header section alone (its bytes up to
// the first empty line): the first mailbox of From, or else of Sender, as ParseMail
// finds it, with GMime given only those two fields. std::nullopt when the header has
// neither, or lies beyond MailLimits.
std::optional<std::u16string> ParseSenderAddress(std::string_view header);
