#pragma once

#include <cstddef>
#include <string_view>

// What a received message may hold before the MIME library is given it. The library
// reads an address group by recursion, one level for every ":" that opens a group, so
// a hostile header can exhaust the stack; it also builds one object for every part.
// These bounds keep far from either limit while leaving room for any real mail.
struct MailLimits {
    // The message's own header section, up to its first empty line.
    static constexpr std::size_t kMaxHeaderSectionBytes = std::size_t{256} << 10;
    // ":" in one address header (From, To, Cc, Bcc, Sender, Reply-To, with their
    // Resent- forms), its folded lines included: a bound on its group nesting.
    static constexpr std::size_t kMaxAddressHeaderColons = 64;
    // Content-Type fields naming a multipart or message type: a bound on the nesting of
    // multiparts and forwarded messages.
    static constexpr std::size_t kMaxContainerParts = 64;
    // Lines beginning with "--", the only lines that can start a part of a multipart:
    // a bound on the number of parts.
    static constexpr std::size_t kMaxBoundaryLines = 1000;
};

// True when `bytes` keeps within MailLimits. Every line of the message is looked at,
// whatever part it belongs to, so the headers of a forwarded message count as well as
// the message's own; a body line shaped like such a header counts too, which only
// errs on the safe side. Linear in the size of `bytes`.
bool WithinMailLimits(std::string_view bytes);
