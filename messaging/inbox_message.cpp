#include "messaging/inbox_message.h"

#include <cstdio>

#include "messaging/parsed_mail.h"
#include "platform/text_codec.h"
#include "platform/text_cut.h"

namespace {

// Every line end (CR LF, LF or CR alone) as CR LF.
template <typename Char>
std::basic_string<Char> WithCrLf(std::basic_string_view<Char> text) {
    std::basic_string<Char> out;
    out.reserve(text.size() + text.size() / 16);
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == Char('\r') || text[i] == Char('\n')) {
            if (text[i] == Char('\r') && i + 1 < text.size() && text[i + 1] == Char('\n')) {
                ++i;
            }
            out += Char('\r');
            out += Char('\n');
        } else {
            out += text[i];
        }
    }
    return out;
}

// Decodes 8-bit text line by line: a line that is valid UTF-8 as UTF-8, any other
// line as Windows-1252.
std::u16string DecodeLines(std::string_view bytes) {
    std::u16string text;
    std::size_t start = 0;
    while (start <= bytes.size()) {
        std::size_t end = bytes.find('\n', start);
        if (end == std::string_view::npos) {
            text += DecodeLine(bytes.substr(start));
            break;
        }
        text += DecodeLine(bytes.substr(start, end - start));
        text += u'\n';
        start = end + 1;
    }
    return text;
}

// The body of a message without a text/plain part: the text after the header.
std::u16string RawBody(std::string_view bytes) {
    bytes = bytes.substr(0, InboxMessage::kMaxRawBodyBytes);
    bytes = bytes.substr(0, bytes.find('\0'));
    const std::string crlf = WithCrLf(bytes);
    std::string_view text = crlf;
    const std::size_t headerEnd = text.find("\r\n\r\n");
    if (headerEnd != std::string_view::npos) {
        text.remove_prefix(headerEnd + 4);
    }
    return WithCrLf<char16_t>(DecodeLines(text));
}

std::u16string DeliveryDate(std::optional<std::time_t> deliveryTime) {
    std::tm fields{};
    if (!deliveryTime || ::gmtime_r(&*deliveryTime, &fields) == nullptr) {
        return u"??";
    }
    char text[16];
    static_cast<void>(
        std::snprintf(text, sizeof text, "%02d.%02d", fields.tm_mon + 1, fields.tm_mday));
    return DecodeUtf8Line(text);
}

}  // namespace

std::unique_ptr<InboxMessage> BuildInboxMessage(std::string_view bytes,
                                                std::optional<std::time_t> deliveryTime) {
    auto message = std::make_unique<InboxMessage>();
    message->date = DeliveryDate(deliveryTime);
    const std::optional<ParsedMail> mail = ParseMail(bytes);
    if (!mail) {
        // Too hostile to be read at all: listed as unreadable, without a body.
        message->sender = u"Unknown";
        message->subject = u"Error";
        return message;
    }
    message->sender = mail->sender && !mail->sender->empty()
                          ? std::u16string(CutText(*mail->sender, InboxMessage::kMaxSender))
                          : u"Unknown";
    message->subject = mail->subject
                           ? std::u16string(CutText(*mail->subject, InboxMessage::kMaxSubject))
                           : u"Error";
    if (mail->bodyText) {
        // The dialog reads the body as a C string: it ends at the first NUL.
        std::u16string_view text = *mail->bodyText;
        text = text.substr(0, text.find(u'\0'));
        const std::u16string crlf = WithCrLf(text);
        message->body = std::u16string(CutText(crlf, InboxMessage::kMaxBodyCharacters));
    } else {
        message->body = RawBody(bytes);
    }
    return message;
}
