#include "contacts/owner_identity.h"

#include "platform/device_settings.h"
#include "platform/text_cut.h"

namespace {

constexpr std::u16string_view kSection = u"Owner";
constexpr std::u16string_view kNameKey = u"Name";
constexpr std::u16string_view kEmailKey = u"E-mail";

std::u16string& NameBuffer() {
    static std::u16string name;
    return name;
}

std::u16string& EmailBuffer() {
    static std::u16string email;
    return email;
}

// Lower case of the letters of the alphabets a name is likely to use.
char16_t FoldCase(char16_t c) {
    if ((c >= u'A' && c <= u'Z') || (c >= 0xC0 && c <= 0xDE && c != 0xD7)) {
        return static_cast<char16_t>(c + 32);
    }
    // Latin Extended-A pairs capitals and small letters as even and odd neighbours;
    // the dotted and dotless i (U+0130, U+0131) are no such pair.
    if (c >= 0x100 && c <= 0x137 && c != 0x130 && c % 2 == 0) {
        return static_cast<char16_t>(c + 1);
    }
    if (c >= 0x139 && c <= 0x148 && c % 2 == 1) {
        return static_cast<char16_t>(c + 1);
    }
    if (c >= 0x14A && c <= 0x177 && c % 2 == 0) {
        return static_cast<char16_t>(c + 1);
    }
    if (c == 0x178) {
        return 0xFF;
    }
    if (c >= 0x179 && c <= 0x17E && c % 2 == 1) {
        return static_cast<char16_t>(c + 1);
    }
    if (c >= 0x391 && c <= 0x3A9 && c != 0x3A2) {
        return static_cast<char16_t>(c + 32);
    }
    if (c >= 0x410 && c <= 0x42F) {
        return static_cast<char16_t>(c + 32);
    }
    if (c >= 0x400 && c <= 0x40F) {
        return static_cast<char16_t>(c + 80);
    }
    return c;
}

std::u16string ReadValue(const DeviceSettings& settings, std::u16string_view key) {
    const auto value = settings.Get(kSection, key);
    return value ? std::u16string(CutText(*value, kOwnerTextLength)) : std::u16string();
}

}  // namespace

const std::u16string& OwnerName() {
    return NameBuffer();
}

const std::u16string& OwnerEmail() {
    return EmailBuffer();
}

void LoadOwnerIdentity(const std::filesystem::path& settingsPath) {
    DeviceSettings settings;
    if (settings.Load(settingsPath) != 0) {
        NameBuffer().clear();
        EmailBuffer().clear();
        return;
    }
    NameBuffer() = ReadValue(settings, kNameKey);
    EmailBuffer() = ReadValue(settings, kEmailKey);
}

int SaveOwnerIdentity(const std::filesystem::path& settingsPath) {
    // Read the file again right before writing, so that whatever the user changed in
    // it during the run is kept.
    DeviceSettings settings;
    if (const int error = settings.Load(settingsPath); error != 0) {
        return error;
    }
    settings.Set(kSection, kNameKey, NameBuffer());
    settings.Set(kSection, kEmailKey, EmailBuffer());
    return settings.Save();
}

void SetOwnerIdentity(std::u16string_view name, std::u16string_view email) {
    NameBuffer() = CutText(name, kOwnerTextLength);
    EmailBuffer() = CutText(email, kOwnerTextLength);
}

bool IsOwnerToMove(std::u16string_view playerToMove) {
    return EqualsIgnoringLetterCase(NameBuffer(), playerToMove);
}

bool EqualsIgnoringLetterCase(std::u16string_view a, std::u16string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (FoldCase(a[i]) != FoldCase(b[i])) {
            return false;
        }
    }
    return true;
}
