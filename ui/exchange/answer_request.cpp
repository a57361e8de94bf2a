#include "ui/exchange/answer_request.h"

#include "game/exchange_rules.h"
#include "messaging/enumerate_inbox.h"
#include "messaging/inbox_message.h"
#include "resources/resource_ids.h"
#include "ui/exchange/get_answer_dialog.h"
#include "ui/exchange/message_lines_dialog.h"
#include "ui/kit/run_dialog.h"

AnswerRequest::AnswerRequest(GameDocument& game, const MessageStore& session)
    : game(game), date(TodayDateText()), session(session) {}

AnswerRequest::~AnswerRequest() = default;

MoveNode* AnswerRequest::Run(QWidget* parent) {
    if (!waitingMessage.empty()) {
        // The message the games list found is read alone, not the whole Inbox; one
        // that has gone meanwhile leaves the usual way.
        if (const std::unique_ptr<InboxMessage> waiting = ReadInboxMessage(waitingMessage)) {
            message = waiting.get();
            MessageLinesDialog lines(parent, *this);
            const int result = RunDialog(lines, parent);
            message = nullptr;
            if (result == kIdOk) {
                return answer;
            }
        }
    }
    GetAnswerDialog dialog(parent, *this);
    RunDialog(dialog, parent);
    return answer;
}
