#pragma once

#include <functional>
#include <string>

#include "ui/game/exchange_dialogs.h"

class MessageStore;
struct OwnerIdentity;
struct MessagingSettings;

// The steps of one run of the program, in the order they run. Each step is a
// function so that the order and the notices can be checked without real sessions.
struct StartupSteps {
    std::function<void()> loadOwnerIdentity;
    // Optional: asks for the settings when the owner's name or address is missing.
    std::function<void()> askFirstSettings;
    std::function<void()> createDrawingResources;
    std::function<bool()> openContacts;   // true when the address book session opened
    std::function<bool()> openMessaging;  // true when the mail store session opened
    std::function<void()> runGamesList;   // returns when the user quits
    std::function<void()> closeMessaging;
    std::function<void()> closeContacts;
    std::function<void()> freeDrawingResources;
    std::function<void()> saveOwnerIdentity;
};

// Runs the steps in order. A session that fails to open is announced once, the
// contacts notice before the messaging one, and the program goes on without it.
// The owner's identity is written last, after every screen has closed. Returns 0.
int RunStartupSteps(const StartupSteps& steps);

// The text of the box shown when no mail store of `settings` could be opened, `error`
// being the first store's errno value: "Cannot open the mail store <path>: <reason>".
std::u16string MailStoreErrorText(const MessagingSettings& settings, int error);

// Makes the Send move and Get answer screens for the mail store session and the owner
// of the run.
using ExchangeDialogsMaker =
    std::function<ExchangeDialogs(const MessageStore& session, const OwnerIdentity& owner)>;

// The program: gives way to a running instance (asking it to come to the front,
// before anything is read); then takes the games file for its run, or, when another
// program holds it and cannot be brought to the front, says that the file is in use
// and ends; removes what killed saves left; then runs the steps with the real
// sessions and the games list, whose game display sends and imports through
// `makeExchangeDialogs` (without it those two commands do nothing). Needs a
// QApplication. Returns 0 in every case.
int RunKorvani(const ExchangeDialogsMaker& makeExchangeDialogs = {});
