#pragma once

#include <filesystem>
#include <string>

class GameDocument;
class InboxMessage;
class MessageStore;
class MoveNode;
class QWidget;

// One run of "Get answer": the three chained dialogs (studied moves, inbox, message
// lines) share it and leave in it the opponent's answer and the date to record for
// it. Nothing it points to is owned.
class AnswerRequest {
public:
    // The longest date text kept.
    static constexpr std::size_t kMaxDate = 15;

    // `date` starts as today's date in UTC, "MM.DD".
    AnswerRequest(GameDocument& game, const MessageStore& session);
    ~AnswerRequest();

    AnswerRequest(const AnswerRequest&) = delete;
    AnswerRequest& operator=(const AnswerRequest&) = delete;

    // Shows the studied moves over `parent` and returns the chosen answer: a move of
    // the game tree (a studied one, or one read from a message and added to the tree
    // when new), or null when the user gave up. With `waitingMessage` set, that
    // message's lines show first; cancelled, the studied moves follow as usual.
    MoveNode* Run(QWidget* parent);

    MoveNode* answer = nullptr;
    GameDocument& game;
    // The message open in the message-lines dialog; null outside it.
    const InboxMessage* message = nullptr;
    // The date to record: today's, or the date of the message the answer came from.
    std::u16string date;
    const MessageStore& session;
    // The message file that waits as the answer (see AnswerWaiting); empty for none.
    std::filesystem::path waitingMessage;
};
