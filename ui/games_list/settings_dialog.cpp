#include "ui/games_list/settings_dialog.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QScrollArea>
#include <QVBoxLayout>
#include <cerrno>
#include <ctime>

#include "contacts/owner_identity.h"
#include "messaging/message_store.h"
#include "messaging/outgoing_mail.h"
#include "messaging/send_command.h"
#include "platform/device_settings.h"
#include "platform/error_report.h"
#include "platform/text_codec.h"
#include "resources/resource_ids.h"
#include "ui/kit/message_boxes.h"
#include "ui/kit/run_dialog.h"
#include "ui/kit/wait_cursor.h"

namespace {

const QString kCaption = QStringLiteral("Settings");

// Where each field is kept in the settings file.
struct SettingKey {
    std::u16string_view section;
    std::u16string_view key;
};
constexpr SettingKey kNameKey{u"Owner", u"Name"};
constexpr SettingKey kEmailKey{u"Owner", u"E-mail"};
constexpr SettingKey kStoresKey{u"Messaging", u"Stores"};
constexpr SettingKey kSendCommandKey{u"Messaging", u"SendCommand"};
constexpr SettingKey kAddressBookKey{u"Contacts", u"AddressBook"};

QLineEdit* AddField(QVBoxLayout& layout, const QString& label, const QString& name) {
    QWidget* form = layout.parentWidget();
    auto* text = new QLabel(label, form);
    text->setWordWrap(true);
    layout.addWidget(text);
    auto* edit = new QLineEdit(form);
    edit->setObjectName(name);
    text->setBuddy(edit);
    layout.addWidget(edit);
    return edit;
}

QString Value(const DeviceSettings& settings, SettingKey where) {
    return QString::fromStdU16String(settings.Get(where.section, where.key).value_or(u""));
}

QString FieldText(const QLineEdit& edit) {
    return edit.text().trimmed();
}

// Sets `where` to `value` unless it already holds it (a missing key holds the empty
// text), so that saving leaves untouched what the user did not change.
void SetIfChanged(DeviceSettings& settings, SettingKey where, const QString& value) {
    if (Value(settings, where) != value) {
        settings.Set(where.section, where.key, value.toStdU16String());
    }
}

QString PathText(const std::filesystem::path& path) {
    return QString::fromStdU16String(DecodeLine(path.string()));
}

QString ErrorText(int code) {
    return QString::fromStdU16String(SystemErrorText(code));
}

void ShowInformation(QWidget* owner, const QString& text) {
    QMessageBox box(QMessageBox::Information, kCaption, text, QMessageBox::Ok, owner);
    box.exec();
}

}  // namespace

SettingsDialog::SettingsDialog(QWidget* parent, std::filesystem::path settingsPath,
                               OwnerIdentity& owner)
    : DialogController(parent), settingsPath_(std::move(settingsPath)), owner_(owner) {
    setWindowTitle(kCaption);
    auto* form = new QWidget;
    auto* layout = new QVBoxLayout(form);
    layout->setContentsMargins(4, 2, 4, 2);
    layout->setSpacing(1);
    nameEdit_ = AddField(*layout, QStringLiteral("Your name :"), QStringLiteral("name"));
    emailEdit_ = AddField(*layout, QStringLiteral("Your email :"), QStringLiteral("email"));
    nameEdit_->setMaxLength(static_cast<int>(kOwnerTextLength));
    emailEdit_->setMaxLength(static_cast<int>(kOwnerTextLength));
    storesEdit_ = AddField(*layout, QStringLiteral("Mail folders (Maildir, separated by ;) :"),
                           QStringLiteral("stores"));

    layout->addWidget(new QLabel(QStringLiteral("Send command :"), form));
    auto* sendRow = new QHBoxLayout;
    sendCommandEdit_ = new QLineEdit(form);
    sendCommandEdit_->setObjectName(QStringLiteral("sendCommand"));
    sendCommandEdit_->setPlaceholderText(QStringLiteral("msmtp -t"));
    testButton_ = new QPushButton(QStringLiteral("Test"), form);
    testButton_->setObjectName(QStringLiteral("test"));
    testButton_->setAutoDefault(false);
    sendRow->addWidget(sendCommandEdit_, 1);
    sendRow->addWidget(testButton_);
    layout->addLayout(sendRow);
    connect(testButton_, &QPushButton::clicked, this, [this] { TestSendCommand(); });

    addressBookEdit_ = AddField(*layout, QStringLiteral("Address book (vCard file or folder) :"),
                                QStringLiteral("addressBook"));
    layout->addStretch(1);

    const std::filesystem::path data = DeviceSettings::DataFolder();
    if (!data.empty()) {
        storesEdit_->setPlaceholderText(PathText(data / "Mail"));
        addressBookEdit_->setPlaceholderText(PathText(data / "contacts.vcf"));
    }

    scroll_ = new QScrollArea(this);
    scroll_->setObjectName(QStringLiteral("formScroll"));
    scroll_->setWidgetResizable(true);
    scroll_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scroll_->setFocusPolicy(Qt::NoFocus);
    scroll_->setWidget(form);
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->addWidget(scroll_);
    // Whatever key moved the focus, the focused field comes into view.
    connect(qApp, &QApplication::focusChanged, this, [this](QWidget* /*old*/, QWidget* now) {
        if (now != nullptr && scroll_->widget()->isAncestorOf(now)) {
            scroll_->ensureWidgetVisible(now);
        }
    });
}

SettingsDialog::~SettingsDialog() = default;

void SettingsDialog::InitDialog() {
    if (CreateSoftkeyBar(kBarSettings) == nullptr) {
        EndDialog(kIdCancel);
        return;
    }
    OverrideBackKey();
    DeviceSettings settings;
    if (const int error = settings.Load(settingsPath_); error != 0) {
        ShowErrorMessage(this,
                         QStringLiteral("Cannot read the settings %1: %2")
                             .arg(PathText(settingsPath_), ErrorText(error)),
                         kCaption);
        EndDialog(kIdCancel);
        return;
    }
    // The name and address of this run may be newer than the file's.
    nameEdit_->setText(QString::fromStdU16String(owner_.name));
    emailEdit_->setText(QString::fromStdU16String(owner_.email));
    storesEdit_->setText(Value(settings, kStoresKey));
    sendCommandEdit_->setText(Value(settings, kSendCommandKey));
    addressBookEdit_->setText(Value(settings, kAddressBookKey));
    nameEdit_->setFocus();
}

bool SettingsDialog::HandleCommand(int commandId) {
    switch (commandId) {
        case kIdOk:
            // The Action key presses the focused button, as Space does.
            if (QApplication::focusWidget() == testButton_) {
                TestSendCommand();
            } else if (Save()) {
                EndDialog(kIdOk);
            }
            return true;
        case kIdCancel:
            EndDialog(kIdCancel);
            return true;
        default:
            return false;
    }
}

bool SettingsDialog::Save() {
    const QString name = FieldText(*nameEdit_);
    if (name.isEmpty()) {
        ShowErrorMessage(this, QStringLiteral("Your name is mandatory"), QStringLiteral("Error"));
        return false;
    }
    const QString email = FieldText(*emailEdit_);
    if (email.isEmpty()) {
        ShowErrorMessage(this, QStringLiteral("Your email is mandatory"), QStringLiteral("Error"));
        return false;
    }
    DeviceSettings settings;
    int error = settings.Load(settingsPath_);
    if (error == 0) {
        SetIfChanged(settings, kNameKey, name);
        SetIfChanged(settings, kEmailKey, email);
        SetIfChanged(settings, kStoresKey, FieldText(*storesEdit_));
        SetIfChanged(settings, kSendCommandKey, FieldText(*sendCommandEdit_));
        SetIfChanged(settings, kAddressBookKey, FieldText(*addressBookEdit_));
        error = settings.Save();
    }
    if (error != 0) {
        ShowErrorMessage(this,
                         QStringLiteral("Cannot save the settings %1: %2")
                             .arg(PathText(settingsPath_), ErrorText(error)),
                         kCaption);
        return false;
    }
    owner_.Set(name.toStdU16String(), email.toStdU16String());
    return true;
}

void SettingsDialog::TestSendCommand() {
    const QString command = FieldText(*sendCommandEdit_);
    if (command.isEmpty()) {
        ShowInformation(this, QStringLiteral("No send command is set: a move you send stays in "
                                             "the outbox of your mail folders."));
        return;
    }
    const QString email = FieldText(*emailEdit_);
    if (email.isEmpty()) {
        ShowErrorMessage(this, QStringLiteral("Your email is mandatory"), QStringLiteral("Error"));
        return;
    }
    OutgoingMail mail;
    mail.fromName = FieldText(*nameEdit_).toStdU16String();
    mail.fromAddress = email.toStdU16String();
    mail.to = {mail.fromAddress};
    mail.subject = u"Korvani test";
    mail.body = u"This message was sent by Korvani to test its send command.";
    mail.date = std::time(nullptr);
    const std::chrono::milliseconds timeout = MessagingSettings().sendTimeout;
    SendCommandResult result;
    {
        const WaitCursor wait;
        result = RunSendCommand(command.toStdString(), ComposeMail(mail), timeout);
    }
    if (result.error != 0) {
        ShowErrorMessage(
            this, QString::fromStdU16String(DescribeSendCommandFailure(result, timeout)), kCaption);
        return;
    }
    ShowInformation(
        this, QStringLiteral("A test message to %1 was handed to the send command.").arg(email));
}

bool RunSettingsDialog(QWidget* parent, const std::filesystem::path& settingsPath,
                       OwnerIdentity& owner) {
    SettingsDialog dialog(parent, settingsPath, owner);
    return RunDialog(dialog, parent) == kIdOk;
}
