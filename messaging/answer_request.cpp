#include "messaging/answer_request.h"

#include <QDateTime>
#include <QString>

#include "messaging/get_answer_dialog.h"
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
    GetAnswerDialog dialog(parent, *this);
    RunDialog(dialog, parent);
    return answer;
}
