#include "contacts/contacts_error.h"

#include <cstdio>
#include <system_error>

#include "platform/error_report.h"
#include "platform/text_codec.h"

std::u16string ContactsErrorText(int code) {
    std::string message = std::system_category().message(code);
    if (message.empty() || message.starts_with("Unknown error")) {
        char buffer[32];
        static_cast<void>(
            std::snprintf(buffer, sizeof buffer, "Err : 0x%08X", static_cast<unsigned>(code)));
        message = buffer;
    }
    return DecodeUtf8Line(message);
}

void ShowContactsError(int code, std::u16string_view caption) {
    ShowErrorBox({ContactsErrorText(code), std::u16string(caption), ErrorBox::Icon::None});
}
