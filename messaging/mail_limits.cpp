#include "messaging/mail_limits.h"

#include <algorithm>
#include <array>

namespace {

char LowerAscii(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool EqualsNoCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return LowerAscii(x) == LowerAscii(y);
           });
}

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() && EqualsNoCase(text.substr(0, prefix.size()), prefix);
}

// The field name of a header line, as the MIME library reads it: the text before the
// first ":", holding no blank and no control character. Empty for any other line.
std::string_view FieldName(std::string_view line) {
    const std::size_t colon = line.find(':');
    if (colon == std::string_view::npos || colon == 0) {
        return {};
    }
    const std::string_view name = line.substr(0, colon);
    const bool valid = std::none_of(name.begin(), name.end(), [](char c) {
        return static_cast<unsigned char>(c) <= ' ' || c == 0x7F;
    });
    return valid ? name : std::string_view();
}

bool IsAddressField(std::string_view name) {
    static constexpr std::array<std::string_view, 6> kAddressFields = {"From", "Sender", "Reply-To",
                                                                       "To",   "Cc",     "Bcc"};
    if (StartsWithNoCase(name, "Resent-")) {
        name.remove_prefix(7);
    }
    return std::any_of(kAddressFields.begin(), kAddressFields.end(),
                       [name](std::string_view field) { return EqualsNoCase(name, field); });
}

// True when a Content-Type value names a type that holds other parts.
bool IsContainerType(std::string_view value) {
    const std::size_t start = value.find_first_not_of(" \t");
    if (start == std::string_view::npos) {
        return false;
    }
    value.remove_prefix(start);
    return StartsWithNoCase(value, "multipart/") || StartsWithNoCase(value, "message/");
}

bool IsEmptyLine(std::string_view line) {
    return line.empty() || line == "\r";
}

// Counts what the limits bound, one line at a time; false once a limit is passed.
class LimitScan {
public:
    bool Line(std::string_view line) {
        const bool continued = !line.empty() && (line.front() == ' ' || line.front() == '\t');
        std::string_view value = line;
        if (!continued) {
            value = StartField(line);
        } else if (contentTypePending_ &&
                   line.find_first_not_of(" \t\r") != std::string_view::npos) {
            // A Content-Type whose value starts on its folded line.
            CountContainer(line);
        }
        if (inAddressField_) {
            addressColons_ += static_cast<std::size_t>(std::count(value.begin(), value.end(), ':'));
        }
        if (line.starts_with("--")) {
            ++boundaryLines_;
        }
        return addressColons_ <= MailLimits::kMaxAddressHeaderColons &&
               containers_ <= MailLimits::kMaxContainerParts &&
               boundaryLines_ <= MailLimits::kMaxBoundaryLines;
    }

private:
    // Starts a new field (or a line that is none); gives the text after its name.
    std::string_view StartField(std::string_view line) {
        const std::string_view name = FieldName(line);
        inAddressField_ = !name.empty() && IsAddressField(name);
        contentTypePending_ = false;
        addressColons_ = 0;
        if (name.empty()) {
            return line;
        }
        const std::string_view value = line.substr(name.size() + 1);
        if (EqualsNoCase(name, "Content-Type")) {
            if (value.find_first_not_of(" \t\r") == std::string_view::npos) {
                contentTypePending_ = true;
            } else {
                CountContainer(value);
            }
        }
        return value;
    }

    void CountContainer(std::string_view value) {
        contentTypePending_ = false;
        if (IsContainerType(value)) {
            ++containers_;
        }
    }

    bool inAddressField_ = false;
    bool contentTypePending_ = false;
    std::size_t addressColons_ = 0;
    std::size_t containers_ = 0;
    std::size_t boundaryLines_ = 0;
};

}  // namespace

bool WithinMailLimits(std::string_view bytes) {
    LimitScan scan;
    bool inHeaderSection = true;
    std::size_t start = 0;
    while (start < bytes.size()) {
        std::size_t end = bytes.find('\n', start);
        if (end == std::string_view::npos) {
            end = bytes.size();
        }
        const std::string_view line = bytes.substr(start, end - start);
        if (inHeaderSection && IsEmptyLine(line)) {
            inHeaderSection = false;
        }
        if (inHeaderSection && end > MailLimits::kMaxHeaderSectionBytes) {
            return false;
        }
        if (!scan.Line(line)) {
            return false;
        }
        start = end + 1;
    }
    return true;
}
