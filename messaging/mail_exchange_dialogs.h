#pragma once

#include "ui/exchange_dialogs.h"

class MessageStore;

// Send move and Get answer on the mail store session `session`, for the game display.
// The session is not owned and must outlive every display that uses the result.
ExchangeDialogs MailExchangeDialogs(const MessageStore& session);
