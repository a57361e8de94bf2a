#include "contacts/owner_identity.h"

#include "platform/device_settings.h"
#include "platform/text_cut.h"

namespace {

constexpr std::u16string_view kSection = u"Owner";
constexpr std::u16string_view kNameKey = u"Name";
constexpr std::u16string_view kEmailKey = u"E-mail";

std::u16string ReadValue(const DeviceSettings& settings, std::u16string_view key) {
    const auto value = settings.Get(kSection, key);
    return value ? std::u16string(CutText(*value, kOwnerTextLength)) : std::u16string();
}

}  // namespace

void OwnerIdentity::Set(std::u16string_view newName, std::u16string_view newEmail) {
    name = CutText(newName, kOwnerTextLength);
    email = CutText(newEmail, kOwnerTextLength);
}

OwnerIdentity LoadOwnerIdentity(const std::filesystem::path& settingsPath) {
    DeviceSettings settings;
    if (settings.Load(settingsPath) != 0) {
        return {};
    }
    return {ReadValue(settings, kNameKey), ReadValue(settings, kEmailKey)};
}

int SaveOwnerIdentity(const OwnerIdentity& owner, const std::filesystem::path& settingsPath) {
    // Read the file again right before writing, so that whatever the user changed in
    // it during the run is kept.
    DeviceSettings settings;
    if (const int error = settings.Load(settingsPath); error != 0) {
        return error;
    }
    settings.Set(kSection, kNameKey, owner.name);
    settings.Set(kSection, kEmailKey, owner.email);
    return settings.Save();
}
