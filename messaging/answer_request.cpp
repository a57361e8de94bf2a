#include "messaging/answer_request.h"

#include "game/exchange_rules.h"
#include "messaging/get_answer_dialog.h"
#include "ui/run_dialog.h"

AnswerRequest::AnswerRequest(GameDocument& game, const MessageStore& session)
    : game(game), date(TodayDateText()), session(session) {}

AnswerRequest::~AnswerRequest() = default;

MoveNode* AnswerRequest::Run(QWidget* parent) {
    GetAnswerDialog dialog(parent, *this);
    RunDialog(dialog, parent);
    return answer;
}
