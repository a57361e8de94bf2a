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

std::u16string AddressBookErrorText(int code, std::u16string_view action,
                                    const std::filesystem::path& path) {
    std::u16string text = u"Cannot ";
    text += action;
    text += u" the address book";
    if (!path.empty()) {
        // A file name that is not UTF-8 is still shown, byte for character.
        text += u' ';
        text += DecodeLine(path.string());
    }
    text += u": ";
    text += ContactsErrorText(code);
    return text;
}

void ShowAddressBookError(int code, std::u16string_view caption, std::u16string_view action,
                          const std::filesystem::path& path) {
    ShowErrorBox(
        {AddressBookErrorText(code, action, path), std::u16string(caption), ErrorBox::Icon::None});
}
