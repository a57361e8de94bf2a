#include "messaging/message_store.h"

#include <cerrno>

#include "messaging/maildir.h"
#include "platform/debug_sink.h"
#include "platform/device_settings.h"
#include "platform/text_codec.h"

namespace {

std::u16string_view TrimBlanks(std::u16string_view text) {
    while (!text.empty() && (text.front() == u' ' || text.front() == u'\t')) {
        text.remove_prefix(1);
    }
    while (!text.empty() && (text.back() == u' ' || text.back() == u'\t')) {
        text.remove_suffix(1);
    }
    return text;
}

}  // namespace

MessagingSettings ReadMessagingSettings(const DeviceSettings& settings,
                                        const std::filesystem::path& dataFolder) {
    MessagingSettings result;
    const std::u16string listed = settings.Get(u"Messaging", u"Stores").value_or(u"");
    std::size_t start = 0;
    while (start <= listed.size()) {
        std::size_t end = listed.find(u';', start);
        if (end == std::u16string::npos) {
            end = listed.size();
        }
        const std::u16string_view store =
            TrimBlanks(std::u16string_view(listed).substr(start, end - start));
        if (!store.empty()) {
            result.stores.emplace_back(EncodeUtf8(store));
        }
        start = end + 1;
    }
    // Without a data folder (no HOME) there is no default store: a relative path
    // would put one in whatever folder the program was started from.
    if (result.stores.empty() && !dataFolder.empty()) {
        result.stores.push_back(dataFolder / "Mail");
        result.isDefault = true;
    }
    result.sendCommand =
        EncodeUtf8(TrimBlanks(settings.Get(u"Messaging", u"SendCommand").value_or(u"")));
    return result;
}

int MessageStore::Logon(const MessagingSettings& settings) {
    Release();
    int firstError = settings.stores.empty() ? ENOENT : 0;
    for (const std::filesystem::path& root : settings.stores) {
        const Maildir inbox(root);
        int error = settings.isDefault ? inbox.Create() : 0;
        if (error == 0) {
            error = inbox.Check();
        }
        if (error == 0) {
            stores_.push_back(root);
        } else {
            DebugOutput(u"Mail store not opened: " + DecodeLine(root.string()) + u"\n");
            firstError = firstError != 0 ? firstError : error;
        }
    }
    if (stores_.empty()) {
        return firstError;
    }
    sendCommand_ = settings.sendCommand;
    sendTimeout_ = settings.sendTimeout;
    return 0;
}

void MessageStore::Release() {
    stores_.clear();
    sendCommand_.clear();
    sendTimeout_ = std::chrono::milliseconds(0);
}
