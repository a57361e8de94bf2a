#include "contacts/contacts_error.h"

#include "platform/error_report.h"
#include "platform/text_codec.h"

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
    text += SystemErrorText(code);
    return text;
}

void ShowAddressBookError(int code, std::u16string_view caption, std::u16string_view action,
                          const std::filesystem::path& path) {
    ShowErrorBox(
        {AddressBookErrorText(code, action, path), std::u16string(caption), ErrorBox::Icon::None});
}
