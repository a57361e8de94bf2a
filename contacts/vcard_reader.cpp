#include "contacts/vcard_reader.h"

#include <algorithm>
#include <optional>
#include <string>

#include "contacts/charset_text.h"
#include "platform/text_codec.h"

namespace {

char LowerAscii(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c;
}

bool EqualsNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (LowerAscii(a[i]) != LowerAscii(b[i])) {
            return false;
        }
    }
    return true;
}

bool ContainsNoCase(std::string_view text, std::string_view word) {
    for (std::size_t i = 0; i + word.size() <= text.size(); ++i) {
        if (EqualsNoCase(text.substr(i, word.size()), word)) {
            return true;
        }
    }
    return false;
}

std::string_view TrimBlanks(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) {
        text.remove_prefix(1);
    }
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) {
        text.remove_suffix(1);
    }
    return text;
}

// Where the property's name and parameters end: the first ":" outside double quotes.
std::size_t FindValueColon(std::string_view line) {
    bool quoted = false;
    for (std::size_t i = 0; i < line.size(); ++i) {
        if (line[i] == '"') {
            quoted = !quoted;
        } else if (line[i] == ':' && !quoted) {
            return i;
        }
    }
    return std::string_view::npos;
}

// Splits the physical lines of `bytes` into logical lines: a line that starts with a
// blank or a tab continues the one before, and so does the line after a
// quoted-printable line that ends with "=" (a soft line break of vCard 2.1).
class LogicalLines {
public:
    explicit LogicalLines(std::string_view bytes) : bytes_(bytes) {}

    // vCard 2.1 folds a line at a blank that stays part of the value; 3.0 and 4.0 add
    // the blank and drop it when unfolding.
    void KeepFoldingBlank(bool keep) { keepFoldingBlank_ = keep; }

    // The next logical line, or std::nullopt at the end of the text.
    std::optional<std::string> Next() {
        std::optional<std::string_view> physical = NextPhysical();
        if (!physical) {
            return std::nullopt;
        }
        std::string line(*physical);
        const std::size_t colon = FindValueColon(line);
        const bool quotedPrintable =
            colon != std::string::npos &&
            ContainsNoCase(std::string_view(line).substr(0, colon), "QUOTED-PRINTABLE");
        for (;;) {
            const bool softBreak = quotedPrintable && !line.empty() && line.back() == '=';
            const std::optional<std::string_view> next = PeekPhysical();
            if (!next) {
                break;
            }
            if (softBreak) {
                line.pop_back();
                line += *next;
            } else if (!next->empty() && (next->front() == ' ' || next->front() == '\t')) {
                line += keepFoldingBlank_ ? *next : next->substr(1);
            } else {
                break;
            }
            NextPhysical();
        }
        return line;
    }

private:
    [[nodiscard]] std::optional<std::string_view> PeekPhysical() const {
        if (position_ >= bytes_.size()) {
            return std::nullopt;
        }
        std::size_t end = bytes_.find_first_of("\r\n", position_);
        if (end == std::string_view::npos) {
            end = bytes_.size();
        }
        return bytes_.substr(position_, end - position_);
    }

    std::optional<std::string_view> NextPhysical() {
        const std::optional<std::string_view> line = PeekPhysical();
        if (!line) {
            return std::nullopt;
        }
        position_ += line->size();
        if (position_ < bytes_.size() && bytes_[position_] == '\r') {
            ++position_;
        }
        if (position_ < bytes_.size() && bytes_[position_] == '\n') {
            ++position_;
        }
        return line;
    }

    std::string_view bytes_;
    std::size_t position_ = 0;
    bool keepFoldingBlank_ = false;
};

int HexValue(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    c = LowerAscii(c);
    return c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
}

std::string DecodeQuotedPrintable(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '=' && i + 2 < text.size() && HexValue(text[i + 1]) >= 0 &&
            HexValue(text[i + 2]) >= 0) {
            out += static_cast<char>(HexValue(text[i + 1]) * 16 + HexValue(text[i + 2]));
            i += 2;
        } else {
            out += text[i];
        }
    }
    return out;
}

std::u16string DecodeCharset(std::string_view bytes, std::string_view charset) {
    if (!charset.empty()) {
        if (std::optional<std::u16string> text = DecodeCharsetText(bytes, charset)) {
            return std::move(*text);
        }
    }
    // No charset, one the system does not know, or bytes not valid in it: what the rest
    // of the program reads too.
    return DecodeLine(bytes);
}

// How much a property is preferred among its kind: 1 most, up to 100 (PREF=n of vCard
// 4.0, where TYPE=pref of 3.0 and the bare PREF of 2.1 count as 1); kNoPreference when
// it says nothing.
constexpr int kNoPreference = 101;

int PreferenceOf(std::string_view key, std::string_view value, bool hasValue) {
    if (EqualsNoCase(key, "PREF")) {
        if (!hasValue) {
            return 1;
        }
        int rank = 0;
        for (const char c : value) {
            if (c < '0' || c > '9' || rank > 100) {
                return kNoPreference;
            }
            rank = rank * 10 + (c - '0');
        }
        return rank >= 1 && rank <= 100 ? rank : kNoPreference;
    }
    if (EqualsNoCase(key, "TYPE")) {
        // A list of types, such as "INTERNET,pref" or "work,pref".
        std::size_t start = 0;
        while (start <= value.size()) {
            const std::size_t comma = std::min(value.find(',', start), value.size());
            if (EqualsNoCase(TrimBlanks(value.substr(start, comma - start)), "pref")) {
                return 1;
            }
            start = comma + 1;
        }
    }
    return kNoPreference;
}

std::string_view Unquoted(std::string_view value) {
    if (value.size() >= 2 && value.front() == '"' && value.back() == '"') {
        return value.substr(1, value.size() - 2);
    }
    return value;
}

// One property line, split into its name (without group) and its decoded value.
struct Property {
    std::string name;
    std::u16string value;
    int preference = kNoPreference;
};

std::optional<Property> ParseProperty(std::string_view line) {
    const std::size_t colon = FindValueColon(line);
    if (colon == std::string_view::npos) {
        return std::nullopt;
    }
    const std::string_view head = line.substr(0, colon);
    std::string_view rawValue = line.substr(colon + 1);
    std::size_t semicolon = head.find(';');
    std::string_view name = head.substr(0, semicolon);
    if (const std::size_t dot = name.rfind('.'); dot != std::string_view::npos) {
        name.remove_prefix(dot + 1);
    }
    bool quotedPrintable = false;
    std::string_view charset;
    int preference = kNoPreference;
    while (semicolon != std::string_view::npos) {
        const std::size_t next = head.find(';', semicolon + 1);
        const std::string_view parameter = head.substr(semicolon + 1, next - semicolon - 1);
        const std::size_t equals = parameter.find('=');
        const std::string_view key = TrimBlanks(parameter.substr(0, equals));
        const bool hasValue = equals != std::string_view::npos;
        const std::string_view value =
            hasValue ? Unquoted(TrimBlanks(parameter.substr(equals + 1))) : key;
        if (EqualsNoCase(value, "QUOTED-PRINTABLE")) {
            quotedPrintable = true;
        } else if (EqualsNoCase(key, "CHARSET")) {
            charset = value;
        } else {
            preference = std::min(preference, PreferenceOf(key, value, hasValue));
        }
        semicolon = next;
    }
    std::string decoded;
    if (quotedPrintable) {
        decoded = DecodeQuotedPrintable(rawValue);
        rawValue = decoded;
    }
    return Property{std::string(TrimBlanks(name)), DecodeCharset(rawValue, charset), preference};
}

// Splits a structured value at its unescaped ";" and resolves the escapes of each
// component (\\ \, \; \: and \n for a line break).
std::vector<std::u16string> SplitComponents(std::u16string_view value) {
    std::vector<std::u16string> components(1);
    for (std::size_t i = 0; i < value.size(); ++i) {
        const char16_t c = value[i];
        if (c == u'\\' && i + 1 < value.size()) {
            const char16_t escaped = value[++i];
            components.back() += escaped == u'n' || escaped == u'N' ? u'\n' : escaped;
        } else if (c == u';') {
            components.emplace_back();
        } else {
            components.back() += c;
        }
    }
    return components;
}

// Resolves the escapes of an unstructured value; a bare ";" stays as it is.
std::u16string Unescape(std::u16string_view value) {
    std::u16string text;
    for (std::size_t i = 0; i < value.size(); ++i) {
        if (value[i] == u'\\' && i + 1 < value.size()) {
            const char16_t escaped = value[++i];
            text += escaped == u'n' || escaped == u'N' ? u'\n' : escaped;
        } else {
            text += value[i];
        }
    }
    const std::size_t first = text.find_first_not_of(u" \t");
    const std::size_t last = text.find_last_not_of(u" \t");
    return first == std::u16string::npos ? std::u16string() : text.substr(first, last - first + 1);
}

// True when the property is `name`:VCARD.
bool IsCardMark(const Property& property, std::string_view name) {
    return EqualsNoCase(property.name, name) &&
           EqualsNoCase(TrimBlanks(EncodeUtf8(property.value)), "VCARD");
}

}  // namespace

std::vector<Contact> ReadVCards(std::string_view bytes) {
    std::vector<Contact> contacts;
    LogicalLines lines(bytes);
    int depth = 0;
    Contact card;
    std::u16string formattedName;
    int emailPreference = kNoPreference + 1;
    while (std::optional<std::string> line = lines.Next()) {
        const std::optional<Property> property = ParseProperty(*line);
        if (!property) {
            continue;
        }
        if (IsCardMark(*property, "BEGIN")) {
            if (++depth == 1) {
                card = Contact();
                formattedName.clear();
                emailPreference = kNoPreference + 1;
                lines.KeepFoldingBlank(false);
            }
        } else if (IsCardMark(*property, "END")) {
            if (depth == 1) {
                // A card that names nobody in N (4.0 makes N optional) goes by its FN.
                if (card.firstName.empty() && card.lastName.empty()) {
                    card.lastName = formattedName;
                }
                contacts.push_back(std::move(card));
                card = Contact();
            }
            depth = depth > 0 ? depth - 1 : 0;
        } else if (depth != 1) {
            continue;
        } else if (EqualsNoCase(property->name, "VERSION")) {
            lines.KeepFoldingBlank(Unescape(property->value) == u"2.1");
        } else if (EqualsNoCase(property->name, "N")) {
            const std::vector<std::u16string> parts = SplitComponents(property->value);
            card.lastName = parts[0];
            card.firstName = parts.size() > 1 ? parts[1] : std::u16string();
        } else if (EqualsNoCase(property->name, "FN")) {
            formattedName = Unescape(property->value);
        } else if (EqualsNoCase(property->name, "EMAIL") &&
                   property->preference < emailPreference) {
            // The most preferred address, else the first; an empty one is none.
            std::u16string email = Unescape(property->value);
            if (!email.empty()) {
                card.email = std::move(email);
                emailPreference = property->preference;
            }
        }
    }
    return contacts;
}
