#include "messaging/mail_exchange_dialogs.h"

#include "messaging/answer_request.h"
#include "messaging/send_move_dialog.h"

ExchangeDialogs MailExchangeDialogs(const MessageStore& session) {
    ExchangeDialogs dialogs;
    dialogs.sendMove = [&session](QWidget* parent, GameDocument& game) {
        return RunSendMoveDialog(parent, game, session);
    };
    dialogs.getAnswer = [&session](QWidget* parent, GameDocument& game,
                                   const std::filesystem::path& answerWaiting) {
        AnswerRequest request(game, session);
        request.waitingMessage = answerWaiting;
        ExchangeDialogs::Answer answer;
        answer.move = request.Run(parent);
        answer.date = request.date;
        return answer;
    };
    return dialogs;
}
