#include <gmime/gmime.h>

#include <algorithm>
#include <string>
#include <vector>

#include "messaging/gobject_ptr.h"
#include "messaging/html_text.h"
#include "messaging/mail_limits.h"
#include "messaging/parsed_mail.h"
#include "platform/text_codec.h"

namespace {

// More parts than any real message has; a bound on the walk for hostile ones.
constexpr std::size_t kMaxPartsVisited = 4096;

// GMime's texts are UTF-8, but a raw 8-bit header may come through as it was sent.
std::u16string FromGMimeText(const char* text) {
    return DecodeLine(text);
}

// The address of the first mailbox in `list`, looking one level into groups.
std::optional<std::u16string> FirstMailbox(InternetAddressList* list) {
    if (list == nullptr) {
        return std::nullopt;
    }
    for (int i = 0; i < internet_address_list_length(list); ++i) {
        InternetAddress* address = internet_address_list_get_address(list, i);
        if (INTERNET_ADDRESS_IS_MAILBOX(address)) {
            const char* text = internet_address_mailbox_get_addr(INTERNET_ADDRESS_MAILBOX(address));
            if (text != nullptr && text[0] != '\0') {
                return FromGMimeText(text);
            }
        } else if (INTERNET_ADDRESS_IS_GROUP(address)) {
            InternetAddressList* members =
                internet_address_group_get_members(INTERNET_ADDRESS_GROUP(address));
            for (int k = 0; members != nullptr && k < internet_address_list_length(members); ++k) {
                InternetAddress* member = internet_address_list_get_address(members, k);
                if (INTERNET_ADDRESS_IS_MAILBOX(member)) {
                    const char* text =
                        internet_address_mailbox_get_addr(INTERNET_ADDRESS_MAILBOX(member));
                    if (text != nullptr && text[0] != '\0') {
                        return FromGMimeText(text);
                    }
                }
            }
        }
    }
    return std::nullopt;
}

// True for a text/`subtype` part that the message shows inline, not as an attachment.
bool IsInlineText(GMimeObject* object, const char* subtype) {
    if (!GMIME_IS_TEXT_PART(object)) {
        return false;
    }
    GMimeContentType* type = g_mime_object_get_content_type(object);
    GMimeContentDisposition* disposition = g_mime_object_get_content_disposition(object);
    return type != nullptr && g_mime_content_type_is_type(type, "text", subtype) &&
           (disposition == nullptr || !g_mime_content_disposition_is_attachment(disposition));
}

// The first inline text/`subtype` part in document order, found with an explicit stack.
GMimeTextPart* FirstInlineTextPart(GMimeObject* root, const char* subtype) {
    std::vector<GMimeObject*> pending;
    if (root != nullptr) {
        pending.push_back(root);
    }
    for (std::size_t visited = 0; !pending.empty() && visited < kMaxPartsVisited; ++visited) {
        GMimeObject* object = pending.back();
        pending.pop_back();
        if (IsInlineText(object, subtype)) {
            return GMIME_TEXT_PART(object);
        }
        if (GMIME_IS_MULTIPART(object)) {
            GMimeMultipart* multipart = GMIME_MULTIPART(object);
            for (int i = g_mime_multipart_get_count(multipart) - 1; i >= 0; --i) {
                pending.push_back(g_mime_multipart_get_part(multipart, i));
            }
        } else if (GMIME_IS_MESSAGE_PART(object)) {
            GMimeMessage* inner = g_mime_message_part_get_message(GMIME_MESSAGE_PART(object));
            if (inner != nullptr && g_mime_message_get_mime_part(inner) != nullptr) {
                pending.push_back(g_mime_message_get_mime_part(inner));
            }
        }
    }
    return nullptr;
}

std::u16string PartText(GMimeTextPart* part) {
    GMemoryPtr<char> text(g_mime_text_part_get_text(part));
    return text ? FromGMimeText(text.get()) : std::u16string();
}

// The text the reader is meant to see, or nothing when the message has none.
std::optional<std::u16string> BodyText(GMimeMessage* message) {
    GMimeObject* root = g_mime_message_get_mime_part(message);
    if (GMimeTextPart* plain = FirstInlineTextPart(root, "plain")) {
        return PartText(plain);
    }
    if (GMimeTextPart* html = FirstInlineTextPart(root, "html")) {
        return HtmlToText(PartText(html));
    }
    return std::nullopt;
}

char LowerAscii(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// True when `line` starts the field `name` (given in lower case): the name in any
// letter case, then its colon.
bool StartsField(std::string_view line, std::string_view name) {
    if (line.size() <= name.size() || line[name.size()] != ':') {
        return false;
    }
    for (std::size_t i = 0; i < name.size(); ++i) {
        if (LowerAscii(line[i]) != name[i]) {
            return false;
        }
    }
    return true;
}

// The value of the first field `name` (in lower case) of `header`, its folded lines
// joined; std::nullopt when the header has no such field.
std::optional<std::string> FieldValue(std::string_view header, std::string_view name) {
    std::optional<std::string> value;
    std::size_t start = 0;
    while (start < header.size()) {
        std::size_t end = header.find('\n', start);
        if (end == std::string_view::npos) {
            end = header.size();
        }
        std::string_view line = header.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') {
            line.remove_suffix(1);
        }
        const bool continued = !line.empty() && (line.front() == ' ' || line.front() == '\t');
        if (value && !continued) {
            break;
        }
        if (value) {
            *value += line;
        } else if (StartsField(line, name)) {
            value.emplace(line.substr(name.size() + 1));
        }
        start = end + 1;
    }
    return value;
}

// True for the bytes that an address written plainly holds: no blank, no control
// character, nothing outside ASCII, none of the characters that quote, comment,
// group or list.
bool IsPlainAddressByte(char c) {
    const auto byte = static_cast<unsigned char>(c);
    return byte > ' ' && byte < 0x7F &&
           std::string_view("\"(),:;<>[\\]").find(c) == std::string_view::npos;
}

// True when a dot starts, ends or doubles a part of an address: GMime drops or refuses
// such a dot, so the plain reading leaves the address to it.
bool HasStrayDot(std::string_view part) {
    return part.front() == '.' || part.back() == '.' || part.find("..") != std::string_view::npos;
}

// The address of a field value written in one of the two plain forms that nearly all
// mail uses, "local@domain" and "Some Name <local@domain>" (a name of plain words),
// which GMime would read to the same address; std::nullopt for any other value, which
// GMime then reads.
std::optional<std::string_view> PlainAddress(std::string_view value) {
    const std::size_t start = value.find_first_not_of(" \t");
    const std::size_t end = value.find_last_not_of(" \t");
    if (start == std::string_view::npos) {
        return std::nullopt;
    }
    value = value.substr(start, end - start + 1);
    std::string_view address = value;
    if (value.back() == '>') {
        const std::size_t open = value.find('<');
        const std::string_view name = value.substr(0, open);
        const bool plainName = std::all_of(name.begin(), name.end(), [](char c) {
            return c == ' ' || (IsPlainAddressByte(c) && c != '@');
        });
        if (open == std::string_view::npos || !plainName) {
            return std::nullopt;
        }
        address = value.substr(open + 1, value.size() - open - 2);
    }
    const std::size_t at = address.find('@');
    const bool plain = std::all_of(address.begin(), address.end(), IsPlainAddressByte);
    if (!plain || at == 0 || at == std::string_view::npos || at + 1 == address.size() ||
        address.find('@', at + 1) != std::string_view::npos || HasStrayDot(address.substr(0, at)) ||
        HasStrayDot(address.substr(at + 1))) {
        return std::nullopt;
    }
    return address;
}

// The first mailbox of the address field `name` (in lower case) of `header`.
std::optional<std::u16string> FieldMailbox(std::string_view header, std::string_view name) {
    const std::optional<std::string> value = FieldValue(header, name);
    if (!value) {
        return std::nullopt;
    }
    if (const std::optional<std::string_view> plain = PlainAddress(*value)) {
        return DecodeLine(*plain);
    }
    GObjectPtr<InternetAddressList> list(internet_address_list_parse(nullptr, value->c_str()));
    return FirstMailbox(list.get());
}

}  // namespace

std::optional<std::u16string> ParseSenderAddress(std::string_view header) {
    if (!WithinMailLimits(header)) {
        return std::nullopt;
    }
    EnsureGMime();
    if (std::optional<std::u16string> sender = FieldMailbox(header, "from")) {
        return sender;
    }
    return FieldMailbox(header, "sender");
}

std::optional<ParsedMail> ParseMail(std::string_view bytes) {
    if (!WithinMailLimits(bytes)) {
        return std::nullopt;
    }
    EnsureGMime();
    ParsedMail mail;
    // The stream copies the bytes; GMime never writes to them.
    GObjectPtr<GMimeStream> stream(g_mime_stream_mem_new_with_buffer(bytes.data(), bytes.size()));
    GObjectPtr<GMimeParser> parser(g_mime_parser_new_with_stream(stream.get()));
    g_mime_parser_set_format(parser.get(), GMIME_FORMAT_MESSAGE);
    GObjectPtr<GMimeMessage> message(g_mime_parser_construct_message(parser.get(), nullptr));
    if (message == nullptr) {
        return mail;
    }
    mail.sender = FirstMailbox(g_mime_message_get_from(message.get()));
    if (!mail.sender) {
        mail.sender = FirstMailbox(g_mime_message_get_sender(message.get()));
    }
    if (const char* subject = g_mime_message_get_subject(message.get())) {
        mail.subject = FromGMimeText(subject);
    }
    mail.bodyText = BodyText(message.get());
    return mail;
}
