#pragma once

#include <filesystem>

#include "ui/kit/dialog_controller.h"

struct OwnerIdentity;

class QLineEdit;
class QPushButton;
class QScrollArea;

// Settings: the owner's name and e-mail address, the mail stores, the send command
// and the address book, as the device settings file keeps them. "Done" (F1, Return)
// checks the form and saves it; "Cancel" (F2) leaves everything as it was. "Test"
// (Return or Space on it) sends a message from the owner to the owner through the
// send command typed. The form scrolls when it is taller than the window, always
// showing the focused field.
class SettingsDialog : public DialogController {
public:
    // `settingsPath` is the device settings file; it need not exist yet. `owner` is
    // the identity of the run, shown and, on a save, changed.
    SettingsDialog(QWidget* parent, std::filesystem::path settingsPath, OwnerIdentity& owner);
    ~SettingsDialog() override;

    // Fills the fields from the owner's identity and the settings file; ends after a
    // box when the file exists but cannot be read.
    void InitDialog() override;
    bool HandleCommand(int commandId) override;

    // Sends the test message through the send command field's command and says how it
    // went. Nothing is written to the settings file.
    void TestSendCommand();

    // The controls, owned by the dialog.
    [[nodiscard]] QLineEdit* nameEdit() const { return nameEdit_; }
    [[nodiscard]] QLineEdit* emailEdit() const { return emailEdit_; }
    [[nodiscard]] QLineEdit* storesEdit() const { return storesEdit_; }
    [[nodiscard]] QLineEdit* sendCommandEdit() const { return sendCommandEdit_; }
    [[nodiscard]] QPushButton* testButton() const { return testButton_; }
    [[nodiscard]] QLineEdit* addressBookEdit() const { return addressBookEdit_; }
    [[nodiscard]] QScrollArea* formScroll() const { return scroll_; }

private:
    // Checks the form and writes the values that changed into the settings file (read
    // again just before, so that nothing else in it is lost), then makes the name and
    // address the owner's. False after the box that says what went wrong.
    bool Save();

    std::filesystem::path settingsPath_;
    OwnerIdentity& owner_;
    QLineEdit* nameEdit_;
    QLineEdit* emailEdit_;
    QLineEdit* storesEdit_;
    QLineEdit* sendCommandEdit_;
    QPushButton* testButton_;
    QLineEdit* addressBookEdit_;
    QScrollArea* scroll_;
};

// Runs Settings over `parent` (null when it is the first screen of the run); returns
// true when the user saved.
bool RunSettingsDialog(QWidget* parent, const std::filesystem::path& settingsPath,
                       OwnerIdentity& owner);
