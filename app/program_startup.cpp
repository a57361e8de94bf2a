#include "app/program_startup.h"

#include <QApplication>
#include <QIcon>
#include <QLoggingCategory>

#include "app/single_instance.h"
#include "contacts/contacts_database.h"
#include "contacts/owner_identity.h"
#include "game/game_document.h"
#include "messaging/message_store.h"
#include "pgn/games_file_update.h"
#include "pgn/save_files.h"
#include "platform/device_settings.h"
#include "platform/error_report.h"
#include "platform/text_codec.h"
#include "resources/resource_ids.h"
#include "ui/game/choose_piece_dialog.h"
#include "ui/game/drawing_resources.h"
#include "ui/game/game_display.h"
#include "ui/games_list/games_list_dialog.h"
#include "ui/games_list/settings_dialog.h"
#include "ui/kit/message_boxes.h"
#include "ui/kit/run_dialog.h"
#include "ui/new_game/new_game_dialog.h"

Q_LOGGING_CATEGORY(lcStartup, "korvani.startup", QtInfoMsg)

namespace {

// How long a start waits for the program that holds the games file to answer: it
// may have been started at the same moment and not be listening yet.
constexpr int kWaitForHolderMs = 3000;

QString GamesFileInUseText(const std::filesystem::path& gamesPath) {
    return QStringLiteral("The games file is in use by another Korvani:\n%1")
        .arg(QString::fromStdString(gamesPath.string()));
}

// Opens the address book that the settings file names; false after its box.
bool OpenContacts(ContactsDatabase& contacts, const std::filesystem::path& settingsPath) {
    DeviceSettings settings;
    settings.Load(settingsPath);
    return contacts.Logon(FindAddressBook(settings, DeviceSettings::DataFolder())) == 0;
}

// Opens the mail stores that the settings file names; false after a box that says
// which store and why.
bool OpenMessaging(MessageStore& messages, const std::filesystem::path& settingsPath) {
    DeviceSettings settings;
    settings.Load(settingsPath);
    const MessagingSettings mail = ReadMessagingSettings(settings, DeviceSettings::DataFolder());
    const int error = messages.Logon(mail);
    if (error != 0) {
        ShowErrorBox({MailStoreErrorText(mail, error), u"Mail", ErrorBox::Icon::Error});
    }
    return error == 0;
}

}  // namespace

std::u16string MailStoreErrorText(const MessagingSettings& settings, int error) {
    std::u16string text = u"Cannot open the mail store";
    if (!settings.stores.empty()) {
        text += u' ';
        text += DecodeLine(settings.stores.front().string());
    }
    return text + u": " + SystemErrorText(error);
}

int RunStartupSteps(const StartupSteps& steps) {
    steps.loadOwnerIdentity();
    if (steps.askFirstSettings) {
        steps.askFirstSettings();
    }
    steps.createDrawingResources();
    if (!steps.openContacts()) {
        ShowStartupNotice(QStringLiteral("Address book not available, some features may not work"));
    }
    if (!steps.openMessaging()) {
        ShowStartupNotice(QStringLiteral("Messaging not initialized, some features may not work"));
    }
    steps.runGamesList();
    steps.closeMessaging();
    steps.closeContacts();
    steps.freeDrawingResources();
    steps.saveOwnerIdentity();
    return 0;
}

int RunKorvani(const ExchangeDialogsMaker& makeExchangeDialogs) {
    SingleInstance instance(SingleInstance::DefaultServerName());
    if (instance.AskRunningInstanceToShow()) {
        return 0;
    }
    // The games file is this program's for its whole run: a second program on it
    // would save over this one's saves.
    const std::filesystem::path gamesPath = DefaultGamesFilePath();
    switch (instance.ClaimGamesFile(gamesPath, kWaitForHolderMs)) {
        case SingleInstance::Claim::Claimed:
            break;
        case SingleInstance::Claim::ShownOther:
            return 0;
        case SingleInstance::Claim::InUse:
            qCDebug(lcStartup) << "games file in use:" << GamesFileInUseText(gamesPath);
            ShowStartupNotice(GamesFileInUseText(gamesPath));
            return 0;
    }
    // Saves of a run that was killed may have left their temporaries; no save of this
    // games file runs now.
    RemoveStaleSaveFiles(gamesPath);
    GamesListDialog* shownList = nullptr;
    instance.Listen([&shownList] {
        if (shownList != nullptr) {
            shownList->BringToFront();
        }
    });
    InstallErrorBoxHandler();
    QApplication::setWindowIcon(QIcon(QString::fromLatin1(kIconProgramPath)));

    const std::filesystem::path settingsPath = DeviceSettings::DefaultPath();
    ContactsDatabase contacts;
    MessageStore messages;
    OwnerIdentity owner;

    StartupSteps steps;
    steps.loadOwnerIdentity = [&] { owner = LoadOwnerIdentity(settingsPath); };
    steps.askFirstSettings = [&] {
        if (owner.name.empty() || owner.email.empty()) {
            RunSettingsDialog(nullptr, settingsPath, owner);
        }
    };
    steps.createDrawingResources = [] { CreateDrawingResources(); };
    steps.openContacts = [&] { return OpenContacts(contacts, settingsPath); };
    steps.openMessaging = [&] { return OpenMessaging(messages, settingsPath); };
    steps.runGamesList = [&] {
        // The Inbox's senders, for the games list's marks, are read while the screen is
        // being built.
        const std::filesystem::path senderCache = DefaultSenderCachePath();
        std::unique_ptr<InboxSendersRead> sendersAhead =
            StartInboxSendersRead(messages.Stores(), senderCache);
        GamesListDialog list(gamesPath);
        list.UseInboxSendersRead(std::move(sendersAhead));
        list.inboxStores = [&messages] { return messages.Stores(); };
        list.senderCacheFile = senderCache;
        list.owner = &owner;
        const ExchangeDialogs exchange =
            makeExchangeDialogs ? makeExchangeDialogs(messages, owner) : ExchangeDialogs();
        list.runGameDisplay = [&exchange](QWidget* parent, GameDocument& document,
                                          const std::filesystem::path& answerWaiting) {
            return OpenGameDisplayWithMail(parent, document, exchange, answerWaiting);
        };
        list.saveGame = [](GameDocument& document) { return SaveGame(document) == SaveResult::Ok; };
        list.runNewGame = [&contacts, &owner](QWidget* parent, GamesFile& games) {
            return RunNewGameDialog(parent, games, &contacts, owner);
        };
        list.appendNewGame = [](std::unique_ptr<GameDocument>& document, GamesFile& games) {
            return AppendNewGame(document, games) == SaveResult::Ok;
        };
        // Saved settings take effect at once: both sessions open again on them.
        list.runSettings = [&](QWidget* parent) {
            if (RunSettingsDialog(parent, settingsPath, owner)) {
                OpenContacts(contacts, settingsPath);
                OpenMessaging(messages, settingsPath);
            }
        };
        shownList = &list;
        RunDialog(list, nullptr);
        shownList = nullptr;
    };
    steps.closeMessaging = [&] { messages.Release(); };
    steps.closeContacts = [&] { contacts.Close(); };
    steps.freeDrawingResources = [] { FreeDrawingResources(true); };
    // The settings screen has said whether its save worked; at the end of the run no
    // box can be shown any more.
    steps.saveOwnerIdentity = [&] { static_cast<void>(SaveOwnerIdentity(owner, settingsPath)); };
    return RunStartupSteps(steps);
}
