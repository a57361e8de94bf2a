#pragma once

#include "ui/game/exchange_dialogs.h"

class MessageStore;
struct OwnerIdentity;

// Send move and Get answer on the mail store session `session`, sent from `owner`, for
// the game display. Neither is owned; both must outlive every display that uses the
// result.
ExchangeDialogs MailExchangeDialogs(const MessageStore& session, const OwnerIdentity& owner);
