#include "app/mail_exchange_dialogs.h"

#include "ui/exchange/answer_request.h"
#include "ui/exchange/send_move_dialog.h"

ExchangeDialogs MailExchangeDialogs(const MessageStore& session, const OwnerIdentity& owner) {
    ExchangeDialogs dialogs;
    dialogs.owner = &owner;
    dialogs.sendMove = [&session, &owner](QWidget* parent, GameDocument& game) {
        return RunSendMoveDialog(parent, game, session, owner);
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
