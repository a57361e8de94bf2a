#pragma once

#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

class DeviceSettings;

// How the mail stores are set up, from [Messaging] of device.ini.
struct MessagingSettings {
    // Maildir++ roots, in the order of the stores table.
    std::vector<std::filesystem::path> stores;
    // True for the default store, which is created when missing; listed stores must
    // exist.
    bool isDefault = false;
    // A sendmail-compatible command a submitted message is piped to; empty for none.
    std::string sendCommand;
    // How long the send command may run before it is killed.
    std::chrono::milliseconds sendTimeout{std::chrono::seconds(60)};
};

// Reads Stores= (paths separated by ";", blanks around each trimmed, empty ones
// skipped) and SendCommand= from [Messaging] of `settings`. Without stores listed,
// the one store is Mail in `dataFolder` (see DeviceSettings::DataFolder), or none when
// `dataFolder` is empty.
MessagingSettings ReadMessagingSettings(const DeviceSettings& settings,
                                        const std::filesystem::path& dataFolder);

// The session with the mail stores, held from start-up to exit. A store is a Maildir++
// root: the Inbox is the root maildir, Drafts ".Drafts", the outbox ".Outbox" and sent
// mail ".Sent". While the session is not open, sending and reading never touch a store.
class MessageStore {
public:
    MessageStore() = default;
    ~MessageStore() = default;

    // Opens the stores of `settings`: the default store is created when missing, a
    // listed store is kept when its root is a maildir and dropped otherwise. Returns 0
    // when at least one store is open, else the errno value of the first failure
    // (ENOENT when no store is listed) with the session left closed.
    int Logon(const MessagingSettings& settings);

    [[nodiscard]] bool IsOpen() const { return !stores_.empty(); }

    // The stores table: the open stores' roots in the order they were listed.
    [[nodiscard]] const std::vector<std::filesystem::path>& Stores() const { return stores_; }

    [[nodiscard]] const std::string& SendCommand() const { return sendCommand_; }
    [[nodiscard]] std::chrono::milliseconds SendTimeout() const { return sendTimeout_; }

    // Closes the session.
    void Release();

private:
    std::vector<std::filesystem::path> stores_;
    std::string sendCommand_;
    std::chrono::milliseconds sendTimeout_{0};
};
