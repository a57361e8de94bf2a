#include "ui/exchange/answer_request.h"

#include "game/exchange_rules.h"
#include "ui/exchange/get_answer_dialog.h"
#include "ui/kit/run_dialog.h"

AnswerRequest::AnswerRequest(GameDocument& game, const MessageStore& session)
    : game(game), date(TodayDateText()), session(session) {}

AnswerRequest::~AnswerRequest() = default;

MoveNode* AnswerRequest::Run(QWidget* parent) {
    GetAnswerDialog dialog(parent, *this);
    RunDialog(dialog, parent);
    return answer;
}
