#include "messaging/answer_request.h"

#include <QDateTime>
#include <QString>

#include "messaging/enumerate_inbox.h"
#include "messaging/get_answer_dialog.h"
#include "messaging/inbox_message.h"
#include "messaging/message_lines_dialog.h"
#include "resources/resource_ids.h"
#include "ui/run_dialog.h"

std::u16string TodayDateText() {
    const QDate today = QDateTime::currentDateTimeUtc().date();
    return QStringLiteral("%1.%2")
        .arg(today.month(), 2, 10, QLatin1Char('0'))
        .arg(today.day(), 2, 10, QLatin1Char('0'))
        .toStdU16String();
}

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
