#include <gmime/gmime.h>

#include "messaging/gobject_ptr.h"
#include "messaging/outgoing_mail.h"
#include "platform/text_codec.h"

namespace {

// A header text as UTF-8 with every control character (line breaks included) turned
// into a blank.
std::string HeaderText(std::u16string_view text) {
    std::u16string clean(text);
    for (char16_t& c : clean) {
        if (c < 0x20 || c == 0x7F) {
            c = u' ';
        }
    }
    return EncodeUtf8(clean);
}

// The domain for the Message-ID: the sender's, or a reserved one.
std::string MessageIdDomain(const std::string& address) {
    const std::size_t at = address.rfind('@');
    std::string domain = at == std::string::npos ? std::string() : address.substr(at + 1);
    for (char c : domain) {
        const bool allowed = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
                             (c >= '0' && c <= '9') || c == '.' || c == '-';
        if (!allowed) {
            return "korvani.invalid";
        }
    }
    return domain.empty() ? "korvani.invalid" : domain;
}

void AddMailbox(InternetAddressList* list, const std::string& name, const std::string& address) {
    GObjectPtr<InternetAddress> mailbox(
        internet_address_mailbox_new(name.empty() ? nullptr : name.c_str(), address.c_str()));
    // Without a charset GMime would pick one from the text and may label a Latin-1-only
    // name as iso-8859-1; the whole message is UTF-8.
    internet_address_set_charset(mailbox.get(), "utf-8");
    internet_address_list_add(list, mailbox.get());
}

// The body's lines end with LF, the Unix convention: GMime writes LF, and the mail
// transport makes CR LF of it.
std::string BodyBytes(std::u16string_view body) {
    std::u16string lines;
    lines.reserve(body.size());
    for (std::size_t i = 0; i < body.size(); ++i) {
        if (body[i] == u'\r') {
            lines += u'\n';
            if (i + 1 < body.size() && body[i + 1] == u'\n') {
                ++i;
            }
        } else {
            lines += body[i];
        }
    }
    return EncodeUtf8(lines);
}

GObjectPtr<GMimeTextPart> BodyPart(std::u16string_view body) {
    const std::string utf8 = BodyBytes(body);
    GObjectPtr<GMimeTextPart> part(g_mime_text_part_new_with_subtype("plain"));
    // g_mime_text_part_set_text would relabel Latin-1-only text as iso-8859-1: build
    // the UTF-8 content from a data wrapper and set the charset ourselves.
    GObjectPtr<GMimeStream> stream(g_mime_stream_mem_new_with_buffer(utf8.data(), utf8.size()));
    GObjectPtr<GMimeDataWrapper> content(
        g_mime_data_wrapper_new_with_stream(stream.get(), GMIME_CONTENT_ENCODING_DEFAULT));
    g_mime_part_set_content(GMIME_PART(part.get()), content.get());
    g_mime_text_part_set_charset(part.get(), "utf-8");
    // Without an explicit encoding GMime would send the UTF-8 bytes as raw 8-bit.
    g_mime_part_set_content_encoding(GMIME_PART(part.get()),
                                     GMIME_CONTENT_ENCODING_QUOTEDPRINTABLE);
    return part;
}

}  // namespace

std::string ComposeMail(const OutgoingMail& mail) {
    EnsureGMime();
    GObjectPtr<GMimeMessage> message(g_mime_message_new(TRUE));
    const std::string fromAddress = HeaderText(mail.fromAddress);
    AddMailbox(g_mime_message_get_from(message.get()), HeaderText(mail.fromName), fromAddress);
    for (const std::u16string& recipient : mail.to) {
        AddMailbox(g_mime_message_get_addresses(message.get(), GMIME_ADDRESS_TYPE_TO), "",
                   HeaderText(recipient));
    }
    g_mime_message_set_subject(message.get(), HeaderText(mail.subject).c_str(), "utf-8");
    GDateTime* date = g_date_time_new_from_unix_utc(mail.date);
    g_mime_message_set_date(message.get(), date);
    g_date_time_unref(date);
    GMemoryPtr<char> id(g_mime_utils_generate_message_id(MessageIdDomain(fromAddress).c_str()));
    g_mime_message_set_message_id(message.get(), id.get());
    g_mime_message_set_mime_part(message.get(), GMIME_OBJECT(BodyPart(mail.body).get()));

    GObjectPtr<GMimeStream> out(g_mime_stream_mem_new());
    g_mime_object_write_to_stream(GMIME_OBJECT(message.get()), nullptr, out.get());
    GByteArray* bytes = g_mime_stream_mem_get_byte_array(GMIME_STREAM_MEM(out.get()));
    return {reinterpret_cast<const char*>(bytes->data), bytes->len};
}
