// Reads arbitrary text as device.ini: the text must come back byte for byte, and a
// value set must read back as set, whatever the rest of the file holds.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/device_settings.h"

namespace {

// What Get gives for a value that Set wrote: line breaks and NULs as blanks, blanks
// and tabs around it removed.
std::u16string Expected(std::u16string value) {
    for (char16_t& c : value) {
        if (c == u'\r' || c == u'\n' || c == u'\0') {
            c = u' ';
        }
    }
    const std::size_t first = value.find_first_not_of(u" \t");
    if (first == std::u16string::npos) {
        return {};
    }
    return value.substr(first, value.find_last_not_of(u" \t") - first + 1);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    DeviceSettings settings;
    settings.ReadText(bytes);
    if (settings.Text() != bytes) {
        __builtin_trap();
    }
    static_cast<void>(settings.Get(u"Owner", u"Name"));
    // The value: the input's last bytes, one character each.
    const std::string_view tail = bytes.substr(size > 40 ? size - 40 : 0);
    std::u16string value;
    for (const char c : tail) {
        value += static_cast<char16_t>(static_cast<unsigned char>(c));
    }
    settings.Set(u"Owner", u"E-mail", value);
    DeviceSettings again;
    again.ReadText(settings.Text());
    if (again.Get(u"Owner", u"E-mail") != Expected(value)) {
        __builtin_trap();
    }
    return 0;
}
