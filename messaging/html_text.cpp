#include "messaging/html_text.h"

#include <algorithm>
#include <array>
#include <optional>

namespace {

// The names of U+00A0 to U+00FF, in code order.
constexpr std::array<std::u16string_view, 96> kLatin1Names = {
    u"nbsp",   u"iexcl",  u"cent",   u"pound",  u"curren", u"yen",    u"brvbar", u"sect",
    u"uml",    u"copy",   u"ordf",   u"laquo",  u"not",    u"shy",    u"reg",    u"macr",
    u"deg",    u"plusmn", u"sup2",   u"sup3",   u"acute",  u"micro",  u"para",   u"middot",
    u"cedil",  u"sup1",   u"ordm",   u"raquo",  u"frac14", u"frac12", u"frac34", u"iquest",
    u"Agrave", u"Aacute", u"Acirc",  u"Atilde", u"Auml",   u"Aring",  u"AElig",  u"Ccedil",
    u"Egrave", u"Eacute", u"Ecirc",  u"Euml",   u"Igrave", u"Iacute", u"Icirc",  u"Iuml",
    u"ETH",    u"Ntilde", u"Ograve", u"Oacute", u"Ocirc",  u"Otilde", u"Ouml",   u"times",
    u"Oslash", u"Ugrave", u"Uacute", u"Ucirc",  u"Uuml",   u"Yacute", u"THORN",  u"szlig",
    u"agrave", u"aacute", u"acirc",  u"atilde", u"auml",   u"aring",  u"aelig",  u"ccedil",
    u"egrave", u"eacute", u"ecirc",  u"euml",   u"igrave", u"iacute", u"icirc",  u"iuml",
    u"eth",    u"ntilde", u"ograve", u"oacute", u"ocirc",  u"otilde", u"ouml",   u"divide",
    u"oslash", u"ugrave", u"uacute", u"ucirc",  u"uuml",   u"yacute", u"thorn",  u"yuml"};

struct NamedCharacter {
    std::u16string_view name;
    char32_t code;
};

constexpr std::array<NamedCharacter, 22> kOtherNames = {{
    {u"amp", U'&'},        {u"lt", U'<'},          {u"gt", U'>'},         {u"quot", U'"'},
    {u"apos", U'\''},      {u"hellip", U'\u2026'}, {u"ndash", U'\u2013'}, {u"mdash", U'\u2014'},
    {u"lsquo", U'\u2018'}, {u"rsquo", U'\u2019'},  {u"sbquo", U'\u201A'}, {u"ldquo", U'\u201C'},
    {u"rdquo", U'\u201D'}, {u"bdquo", U'\u201E'},  {u"bull", U'\u2022'},  {u"euro", U'\u20AC'},
    {u"trade", U'\u2122'}, {u"ensp", U'\u2002'},   {u"emsp", U'\u2003'},  {u"thinsp", U'\u2009'},
    {u"OElig", U'\u0152'}, {u"oelig", U'\u0153'},
}};

// Elements whose start and end each end a line of text.
constexpr std::array<std::u16string_view, 28> kBlockElements = {
    u"br",      u"p",      u"div",    u"tr",         u"li",     u"h1",   u"h2",
    u"h3",      u"h4",     u"h5",     u"h6",         u"table",  u"ul",   u"ol",
    u"dl",      u"dt",     u"dd",     u"blockquote", u"pre",    u"hr",   u"section",
    u"article", u"header", u"footer", u"address",    u"center", u"form", u"body"};

// Elements whose content is no text for the reader.
constexpr std::array<std::u16string_view, 3> kHiddenElements = {u"script", u"style", u"title"};

char16_t LowerAscii(char16_t c) {
    return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c - u'A' + u'a') : c;
}

bool IsAsciiLetter(char16_t c) {
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z');
}

bool IsAsciiDigit(char16_t c) {
    return c >= u'0' && c <= u'9';
}

bool IsHtmlSpace(char16_t c) {
    return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r' || c == u'\f';
}

int HexDigit(char16_t c) {
    if (IsAsciiDigit(c)) {
        return c - u'0';
    }
    c = LowerAscii(c);
    return c >= u'a' && c <= u'f' ? c - u'a' + 10 : -1;
}

template <std::size_t N>
bool Contains(const std::array<std::u16string_view, N>& names, std::u16string_view name) {
    return std::find(names.begin(), names.end(), name) != names.end();
}

// Where `needle` (lower case) starts in `text` at or after `from`, ignoring case.
std::size_t FindNoCase(std::u16string_view text, std::size_t from, std::u16string_view needle) {
    for (std::size_t i = from; i + needle.size() <= text.size(); ++i) {
        bool same = true;
        for (std::size_t k = 0; k < needle.size() && same; ++k) {
            same = LowerAscii(text[i + k]) == needle[k];
        }
        if (same) {
            return i;
        }
    }
    return std::u16string_view::npos;
}

std::optional<char32_t> NamedCode(std::u16string_view name) {
    const auto latin1 = std::find(kLatin1Names.begin(), kLatin1Names.end(), name);
    if (latin1 != kLatin1Names.end()) {
        return static_cast<char32_t>(0xA0 + (latin1 - kLatin1Names.begin()));
    }
    for (const NamedCharacter& named : kOtherNames) {
        if (named.name == name) {
            return named.code;
        }
    }
    return std::nullopt;
}

// Reads the character reference that starts at html[at] ("&"); gives its code and
// moves `at` past it, or gives nothing when it is none.
std::optional<char32_t> ReadReference(std::u16string_view html, std::size_t& at) {
    std::size_t i = at + 1;
    std::optional<char32_t> code;
    if (i < html.size() && html[i] == u'#') {
        const bool hex = i + 1 < html.size() && LowerAscii(html[i + 1]) == u'x';
        i += hex ? 2 : 1;
        char32_t value = 0;
        std::size_t digits = 0;
        for (; i < html.size(); ++i, ++digits) {
            const int digit =
                hex ? HexDigit(html[i]) : (IsAsciiDigit(html[i]) ? html[i] - u'0' : -1);
            if (digit < 0) {
                break;
            }
            // Past U+10FFFF the value only has to stay invalid.
            value = std::min<char32_t>(value * (hex ? 16 : 10) + static_cast<char32_t>(digit),
                                       0x110000);
        }
        if (digits == 0) {
            return std::nullopt;
        }
        const bool valid = value != 0 && value < 0x110000 && (value < 0xD800 || value > 0xDFFF);
        code = valid ? value : U'\uFFFD';
    } else {
        const std::size_t start = i;
        while (i < html.size() && i - start < 32 &&
               (IsAsciiLetter(html[i]) || IsAsciiDigit(html[i]))) {
            ++i;
        }
        if (i == start || i >= html.size() || html[i] != u';') {
            return std::nullopt;
        }
        code = NamedCode(html.substr(start, i - start));
        if (!code) {
            return std::nullopt;
        }
    }
    if (i < html.size() && html[i] == u';') {
        ++i;
    }
    at = i;
    return code;
}

// Builds the text, collapsing white space outside pre.
class TextWriter {
public:
    void Character(char32_t c) {
        if (c == U'\u00A0') {
            c = U' ';
        }
        if (preDepth_ == 0 && c < 0x80 && IsHtmlSpace(static_cast<char16_t>(c))) {
            if (!text_.empty() && text_.back() != u' ' && text_.back() != u'\n') {
                text_ += u' ';
            }
            return;
        }
        if (c == U'\r') {
            return;
        }
        if (c >= 0x10000) {
            text_ += static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10));
            text_ += static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF));
        } else {
            text_ += static_cast<char16_t>(c);
        }
    }

    // Ends the current line; an empty line is never started.
    void LineBreak() {
        if (!text_.empty() && text_.back() == u' ') {
            text_.pop_back();
        }
        if (!text_.empty() && text_.back() != u'\n') {
            text_ += u'\n';
        }
    }

    void EnterPre(bool entering) {
        if (entering) {
            ++preDepth_;
        } else if (preDepth_ > 0) {
            --preDepth_;
        }
    }

    std::u16string Take() { return std::move(text_); }

private:
    std::u16string text_;
    int preDepth_ = 0;
};

// Where the tag that starts at html[at] ("<") ends: just past its ">", quoted
// attribute values skipped; the end of the text when it has none.
std::size_t TagEnd(std::u16string_view html, std::size_t at) {
    char16_t quote = 0;
    for (std::size_t i = at + 1; i < html.size(); ++i) {
        if (quote != 0) {
            quote = html[i] == quote ? 0 : quote;
        } else if (html[i] == u'"' || html[i] == u'\'') {
            quote = html[i];
        } else if (html[i] == u'>') {
            return i + 1;
        }
    }
    return html.size();
}

}  // namespace

std::u16string HtmlToText(std::u16string_view html) {
    TextWriter writer;
    std::size_t i = 0;
    while (i < html.size()) {
        const char16_t c = html[i];
        if (c == u'&') {
            if (const std::optional<char32_t> code = ReadReference(html, i)) {
                writer.Character(*code);
            } else {
                writer.Character(c);
                ++i;
            }
            continue;
        }
        const bool closing = i + 1 < html.size() && html[i + 1] == u'/';
        const std::size_t nameStart = i + (closing ? 2 : 1);
        if (c != u'<' || nameStart >= html.size() ||
            (!IsAsciiLetter(html[nameStart]) && html[nameStart] != u'!' &&
             html[nameStart] != u'?')) {
            writer.Character(c);
            ++i;
            continue;
        }
        if (html.substr(i, 4) == u"<!--") {
            const std::size_t end = html.find(u"-->", i + 4);
            i = end == std::u16string_view::npos ? html.size() : end + 3;
            continue;
        }
        std::size_t nameEnd = nameStart;
        while (nameEnd < html.size() &&
               (IsAsciiLetter(html[nameEnd]) || IsAsciiDigit(html[nameEnd]))) {
            ++nameEnd;
        }
        std::u16string name(html.substr(nameStart, nameEnd - nameStart));
        std::transform(name.begin(), name.end(), name.begin(), LowerAscii);
        i = TagEnd(html, i);
        if (Contains(kBlockElements, name)) {
            writer.LineBreak();
        }
        if (name == u"pre") {
            writer.EnterPre(!closing);
        } else if (name == u"td" || name == u"th") {
            writer.Character(U' ');
        } else if (!closing && Contains(kHiddenElements, name)) {
            const std::size_t end = FindNoCase(html, i, u"</" + name);
            i = end == std::u16string_view::npos ? html.size() : TagEnd(html, end);
        }
    }
    return writer.Take();
}
