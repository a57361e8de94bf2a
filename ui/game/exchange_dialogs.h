#pragma once

#include <filesystem>
#include <functional>
#include <string>

class GameDocument;
class MoveNode;
class QWidget;
struct OwnerIdentity;

// The two mail screens the game display opens: Send move and Get answer. They live
// with the mail store, above the screens of this folder, so the program's start-up
// hands them in; while one is unset its command does nothing.
struct ExchangeDialogs {
    // What Get answer brought back: the answer, a move of the game's tree (null when
    // the user gave up), and the date to record for it ("MM.DD").
    struct Answer {
        MoveNode* move = nullptr;
        std::u16string date;
    };

    // The owner of the run, who sends the moves; whose turn it is depends on it.
    const OwnerIdentity* owner = nullptr;
    // Runs Send move over `parent` for `game`; true when the message went out.
    std::function<bool(QWidget* parent, GameDocument& game)> sendMove;
    // Runs the Get answer dialogs over `parent` for `game`. `answerWaiting`, when not
    // empty, is the message file that the games list found waiting as the opponent's
    // answer: it opens line by line at once.
    std::function<Answer(QWidget* parent, GameDocument& game,
                         const std::filesystem::path& answerWaiting)>
        getAnswer;
};
