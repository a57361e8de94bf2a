#pragma once

#include <array>
#include <filesystem>
#include <utility>

#include "game/game_observer.h"
#include "ui/game/exchange_dialogs.h"
#include "ui/game/game_display_layout.h"
#include "ui/game/move_entry.h"
#include "ui/game/move_entry_host.h"
#include "ui/kit/dialog_controller.h"

class BoardView;
class GameDocument;
class MoveListView;
class QLabel;
class SoftkeyBar;

// The screen on which one game is played. In board mode it shows the shown position
// with a one-line status above it ("Last:", "New:", "Depth:") and takes moves from the
// digit keys; in list mode the whole move tree as a list. In a window larger than the
// phone's the board grows to fill it and the move list stands beside or below it in
// board mode too, following the current move (see GameDisplayLayout). It is the document's primary
// view: it never moves the current position itself but asks the document's controller,
// and redraws when the document tells it. The document is not owned.
class GameDisplay : public DialogController, public GameObserver, public MoveEntryHost {
public:
    // The six status controls, in the order they are laid out from the left.
    enum StatusField { kLastLabel, kLastMove, kNewLabel, kNewSquares, kDepthLabel, kDepth };
    static constexpr int kStatusFieldCount = 6;

    // A display in board mode with no document yet; installs the Choose Piece
    // question as the process-wide promotion chooser.
    explicit GameDisplay(QWidget* parent = nullptr);
    // Detaches the display and its list from the document, which lives on.
    ~GameDisplay() override;

    // Makes the display the primary view of `document` (not owned; it outlives the
    // display) with nothing modified and discarding allowed. Returns false when the
    // document already has a primary view.
    bool Open(GameDocument& document);

    // Creates both softkey bars, lays out the status line, the list and the board,
    // then goes to the position after the last exchanged move. Ends the dialog with
    // kIdCancel when a bar cannot be built.
    void InitDialog() override;

    // Save+Close, Close no save, Go to Current, the two modes, Promote, Delete move,
    // the three results, Send move and Get answer; false for any other command.
    bool HandleCommand(int commandId) override;
    // The arrows navigate in both modes; every other key but Return goes to the move
    // entry in board mode and is swallowed in list mode.
    bool HandleKeyDown(QKeyEvent& event) override;
    // Greys Send move, Get answer and the results unless the game is a running
    // e-mail game, and Close no save once the game can no longer be discarded.
    void InitMenuPopup(int menuId, QMenu& popup) override;
    // The window's close button: Close no save while offered, else Save+Close.
    void HandleClose() override;

    // Shows `position`: the board, "Last:" and "Depth:"; the entry starts afresh.
    void OnCurrentChanged(Position* position) override;
    // Asks with Choose move which of several moves to follow; null when cancelled.
    Position* ChooseAlternative(MoveNode* firstMove) override;

    // The move entry's view of the screen (MoveEntryHost).
    Position* DisplayedPosition() override { return position_; }
    BoardView& Board() override { return *board_; }
    void SetNewFieldText(const QString& text) override;
    GameController& Controller() override;
    Position* RunAddNewLine(Position& position, int from, int to) override;
    PromotionChooser Chooser() override;
    void OnTreeChanged() override;

    // The Send move and Get answer screens; until they are set both commands do
    // nothing.
    void SetExchangeDialogs(ExchangeDialogs dialogs) { exchange_ = std::move(dialogs); }

    // The message file that waits as the opponent's answer, which Get answer opens at
    // once; empty for none. Forgotten after the next exchange.
    void SetAnswerWaiting(std::filesystem::path file) { answerWaiting_ = std::move(file); }
    [[nodiscard]] const std::filesystem::path& AnswerWaitingFile() const { return answerWaiting_; }

    // The game changed since the display opened.
    [[nodiscard]] bool IsModified() const { return modified_; }
    // "Close, no save" is still offered.
    [[nodiscard]] bool CanDiscard() const { return canDiscard_; }
    [[nodiscard]] bool IsBoardMode() const { return boardMode_; }
    [[nodiscard]] bool IsListDirty() const { return listDirty_; }
    // The move list is on the screen: in list mode, or beside the board.
    [[nodiscard]] bool IsListShown() const;
    [[nodiscard]] const GameDisplayLayout& Layout() const { return layout_; }

    // The parts of the screen, owned by the display through their Qt parent.
    [[nodiscard]] QLabel* StatusLabel(StatusField field) const { return status_[field]; }
    [[nodiscard]] MoveListView* MoveList() const { return moveList_; }
    [[nodiscard]] SoftkeyBar* BoardBar() const { return boardBar_; }
    [[nodiscard]] SoftkeyBar* ListBar() const { return listBar_; }
    [[nodiscard]] const MoveEntry& Entry() const { return entry_; }

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void LayOut();
    void LayOutStatusLine();
    // Places the move list for the mode and shows it (rebuilt when dirty) or hides it.
    void PlaceMoveList();
    // Rebuilds the list now, selecting `selected`, when it is shown; else marks it
    // dirty for the next time it shows.
    void RefreshList(const MoveNode* selected);
    void ShowListMode();
    void ShowBoardMode();
    void Promote();
    void DeleteMove();
    void SetResult(int resultCode);
    [[nodiscard]] bool CanExchange() const;
    void SendMove();
    void GetAnswer();
    void ApplyAnswer(MoveNode& answer);
    // The owner's name that decides whose turn it is; empty without an owner.
    [[nodiscard]] std::u16string_view OwnerNameText() const;

    SoftkeyBar* boardBar_ = nullptr;
    SoftkeyBar* listBar_ = nullptr;
    bool modified_ = false;
    bool canDiscard_ = true;
    MoveEntry entry_{*this};
    GameDocument* document_ = nullptr;
    BoardView* board_;
    Position* position_ = nullptr;
    MoveListView* moveList_;
    bool listDirty_ = true;
    bool boardMode_ = true;
    std::array<QLabel*, kStatusFieldCount> status_{};
    GameDisplayLayout layout_;
    ExchangeDialogs exchange_;
    std::filesystem::path answerWaiting_;
};

// Runs `display` over `parent` (the games list) for `document` and returns true when
// the user left with "Save+Close" after changing the game: the caller then saves it.
bool RunGameDisplay(GameDisplay& display, QWidget* parent, GameDocument& document);

// RunGameDisplay with a display of its own, destroyed before it returns: the games
// list's way to open a game.
bool OpenGameDisplay(QWidget* parent, GameDocument& document);

// OpenGameDisplay with Send move and Get answer wired to `dialogs`, and the message
// file `answerWaiting` (empty for none) waiting as the opponent's answer.
bool OpenGameDisplayWithMail(QWidget* parent, GameDocument& document,
                             const ExchangeDialogs& dialogs,
                             const std::filesystem::path& answerWaiting = {});
