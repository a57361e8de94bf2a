#include "ui/game/game_display.h"

#include <QFontMetrics>
#include <QKeyEvent>
#include <QLabel>
#include <cmath>
#include <memory>

#include "contacts/owner_identity.h"
#include "game/exchange_rules.h"
#include "game/game_document.h"
#include "game/move_tree.h"
#include "resources/resource_ids.h"
#include "rules/move_node.h"
#include "rules/notation.h"
#include "ui/game/add_new_line_dialog.h"
#include "ui/game/board_view.h"
#include "ui/game/choose_move_dialog.h"
#include "ui/game/choose_piece_dialog.h"
#include "ui/game/drawing_resources.h"
#include "ui/game/game_display_layout.h"
#include "ui/game/move_list_view.h"
#include "ui/kit/message_boxes.h"
#include "ui/kit/run_dialog.h"
#include "ui/kit/softkey_bar.h"

namespace {

// For each status control: its fixed text (empty for the value fields), the widest
// text it is expected to show and the room added after that text.
struct StatusFieldLayout {
    const char* text;
    const char* sample;
    int extra;
};
constexpr std::array<StatusFieldLayout, GameDisplay::kStatusFieldCount> kStatusLayout = {{
    {"Last:", "Last:", 2},
    {"", "101.Qe1xd7+", 10},
    {"New:", "New:", 2},
    {"", "h8h", 10},
    {"Depth:", "Depth:", 2},
    {"", "9", 10},
}};

}  // namespace

GameDisplay::GameDisplay(QWidget* parent)
    : DialogController(parent), board_(new BoardView(this)), moveList_(new MoveListView(this)) {
    setWindowTitle(QStringLiteral("Game display"));
    for (int field = 0; field < kStatusFieldCount; ++field) {
        status_[field] = new QLabel(QString::fromLatin1(kStatusLayout[field].text), this);
        status_[field]->setFocusPolicy(Qt::NoFocus);
    }
    moveList_->hide();
}

GameDisplay::~GameDisplay() {
    // The document outlives the display: it must not tell a destroyed view anything.
    if (document_ != nullptr) {
        document_->DetachView(moveList_);
        document_->DetachView(this);
    }
}

bool GameDisplay::Open(GameDocument& document) {
    document_ = &document;
    modified_ = false;
    canDiscard_ = true;
    return document.AttachView(this, true);
}

void GameDisplay::InitDialog() {
    boardBar_ = CreateSoftkeyBar(kBarBoard);
    if (boardBar_ == nullptr) {
        EndDialog(kIdCancel);
        return;
    }
    listBar_ = CreateSoftkeyBar(kBarMoveList);
    if (listBar_ == nullptr) {
        EndDialog(kIdCancel);
        return;
    }
    listBar_->hide();
    if (document_ != nullptr) {
        moveList_->AttachTo(*document_);
    }
    listDirty_ = true;
    board_->Init(BoardView::kSquareSize, BoardView::kOriginX, BoardView::kOriginY,
                 GetDrawingResources().piecesBitmap);
    LayOut();
    setFocus();
    if (document_ != nullptr) {
        Controller().GoToLastMove();
    }
}

bool GameDisplay::HandleCommand(int commandId) {
    switch (commandId) {
        case kCmdSaveClose:
            EndDialog(kIdOk);
            return true;
        case kCmdCloseNoSave:
        case kIdCancel:
            // Once a move went out the game must be saved: leaving without saving
            // would lose the exchange.
            if (canDiscard_) {
                EndDialog(kIdCancel);
            }
            return true;
        case kCmdGoToCurrent:
            Controller().GoToLastMove();
            return true;
        case kCmdViewMoveList:
            ShowListMode();
            return true;
        case kCmdShowBoard:
            ShowBoardMode();
            return true;
        case kCmdPromote:
            Promote();
            return true;
        case kCmdDeleteMove:
            DeleteMove();
            return true;
        case kCmdResultWhiteWins:
            SetResult(0);
            return true;
        case kCmdResultDraw:
            SetResult(1);
            return true;
        case kCmdResultBlackWins:
            SetResult(2);
            return true;
        case kCmdSendMove:
            SendMove();
            return true;
        case kCmdGetAnswer:
            GetAnswer();
            return true;
        default:
            return false;
    }
}

bool GameDisplay::HandleKeyDown(QKeyEvent& event) {
    if (document_ == nullptr) {
        return false;
    }
    switch (event.key()) {
        case Qt::Key_Left:
            Controller().GoBack();
            return true;
        case Qt::Key_Up:
            Controller().GoToMainLine();
            return true;
        case Qt::Key_Right:
            Controller().GoForward();
            return true;
        case Qt::Key_Down:
            // The list steps forward with it; on the board it is no entry key.
            if (!boardMode_) {
                Controller().GoForward();
            }
            return true;
        case Qt::Key_Return:
        case Qt::Key_Enter:
            return false;
        default:
            break;
    }
    // The back key belongs to the entry, so that it never closes the game by
    // accident; in list mode digits must not move the list's highlight either.
    if (boardMode_) {
        entry_.HandleEntryKey(event.key());
    }
    return true;
}

void GameDisplay::InitMenuPopup(int /*menuId*/, QMenu& popup) {
    const bool exchange = CanExchange();
    for (int command :
         {kCmdSendMove, kCmdGetAnswer, kCmdResultWhiteWins, kCmdResultDraw, kCmdResultBlackWins}) {
        SoftkeyBar::EnableMenuCommand(popup, command, exchange);
    }
    SoftkeyBar::EnableMenuCommand(popup, kCmdCloseNoSave, canDiscard_);
}

void GameDisplay::HandleClose() {
    // Closing the window is "Close, no save" while that is offered, else "Save+Close".
    EndDialog(canDiscard_ ? kIdCancel : kIdOk);
}

void GameDisplay::OnCurrentChanged(Position* position) {
    position_ = position;
    board_->SetPosition(position);
    entry_.Reset();
    const MoveNode* move = position != nullptr ? position->incomingMove : nullptr;
    status_[kLastMove]->setText(move != nullptr ? QString::fromStdU16String(FormatSanText(
                                                      *move, true, true, NotationLanguage::English))
                                                : QString());
    // A move in a variation shows its depth, a main-line move "-".
    const bool inVariation = move != nullptr && move->depth != 0;
    status_[kDepth]->setText(inVariation ? QString::number(move->depth) : QStringLiteral("-"));
}

Position* GameDisplay::ChooseAlternative(MoveNode* firstMove) {
    return RunChooseMove(this, firstMove);
}

void GameDisplay::SetNewFieldText(const QString& text) {
    status_[kNewSquares]->setText(text);
}

GameController& GameDisplay::Controller() {
    return *document_;
}

Position* GameDisplay::RunAddNewLine(Position& position, int from, int to) {
    return ::RunAddNewLine(this, Chooser(), position, from, to);
}

PromotionChooser GameDisplay::Chooser() {
    // The promotion question is asked over this widget.
    return [this] { return ChoosePromotionPiece(this); };
}

void GameDisplay::OnTreeChanged() {
    modified_ = true;
    RefreshList(position_ != nullptr ? position_->incomingMove : nullptr);
}

void GameDisplay::RefreshList(const MoveNode* selected) {
    if (IsListShown()) {
        moveList_->Rebuild(selected);
        listDirty_ = false;
    } else {
        listDirty_ = true;
    }
}

bool GameDisplay::IsListShown() const {
    return !boardMode_ || !layout_.sideList.isEmpty();
}

void GameDisplay::resizeEvent(QResizeEvent* event) {
    DialogController::resizeEvent(event);
    LayOut();
}

void GameDisplay::LayOut() {
    const QRect client = contentsRect();
    layout_ = LayOutGameDisplay(size(), client, GetDrawingResources().programFont);
    board_->setGeometry(client);
    board_->SetBoardGeometry(layout_.squareSize, layout_.boardOrigin.x(), layout_.boardOrigin.y(),
                             layout_.textFont);
    // The phone's board shows no last move; it stays as it was.
    board_->SetLastMoveShown(!layout_.phone);
    moveList_->setFont(layout_.textFont);
    PlaceMoveList();
    LayOutStatusLine();
}

void GameDisplay::PlaceMoveList() {
    moveList_->setGeometry(boardMode_ ? layout_.sideList : layout_.fullList);
    const bool shown = IsListShown();
    if (shown && listDirty_) {
        moveList_->Rebuild(position_ != nullptr ? position_->incomingMove : nullptr);
        listDirty_ = false;
    }
    moveList_->setVisible(shown);
}

void GameDisplay::LayOutStatusLine() {
    const QFontMetrics metrics(layout_.textFont);
    int x = 0;
    for (int field = 0; field < kStatusFieldCount; ++field) {
        const QString sample = QString::fromLatin1(kStatusLayout[field].sample);
        const int extra =
            static_cast<int>(std::lround(kStatusLayout[field].extra * layout_.textGrowth));
        const int width = metrics.horizontalAdvance(sample) + extra;
        status_[field]->setFont(layout_.textFont);
        status_[field]->setGeometry(x, 0, width, metrics.height());
        status_[field]->raise();
        x += width;
    }
}

void GameDisplay::ShowListMode() {
    boardMode_ = false;
    PlaceMoveList();
    moveList_->setFocus();
    for (QLabel* label : status_) {
        label->hide();
    }
    board_->hide();
    boardBar_->hide();
    listBar_->show();
    update();
}

void GameDisplay::ShowBoardMode() {
    boardMode_ = true;
    board_->show();
    for (QLabel* label : status_) {
        label->show();
    }
    boardBar_->show();
    listBar_->hide();
    PlaceMoveList();
    setFocus();
}

void GameDisplay::Promote() {
    MoveNode* move = position_ != nullptr ? position_->incomingMove : nullptr;
    // Asked of the links rather than the depth, which wraps in very deep nesting.
    if (move == nullptr || MainLineAtBranch(*move) == nullptr) {
        return;
    }
    PromoteVariation(*move);
    RefreshList(move);
    OnCurrentChanged(position_);
    modified_ = true;
}

void GameDisplay::DeleteMove() {
    MoveNode* move = position_ != nullptr ? position_->incomingMove : nullptr;
    if (move == nullptr) {
        return;
    }
    Position* parent = move->parent;
    // The cut-off line lives until the views have left it, so that nothing shows a
    // destroyed position in between.
    MoveNodePtr removed = UnlinkMove(*move);
    RefreshList(nullptr);
    Controller().SetCurrent(parent);
    DestroyMoveList(std::move(removed));
    modified_ = true;
}

void GameDisplay::SetResult(int resultCode) {
    document_->SetResultCode(resultCode);
    modified_ = true;
}

bool GameDisplay::CanExchange() const {
    return document_ != nullptr && ::CanExchange(*document_);
}

void GameDisplay::SendMove() {
    if (document_ == nullptr || !exchange_.sendMove) {
        return;
    }
    const Position* last = document_->FindLastMovePosition();
    if (last == nullptr) {
        return;
    }
    if (last->firstMove == nullptr) {
        ShowErrorMessage(this, QStringLiteral("Please enter first your move on the board"),
                         QStringLiteral("Korvani"));
        return;
    }
    if (WhoseTurn(*document_, OwnerNameText()) != Turn::Owner) {
        const QString question =
            QStringLiteral(
                "Player to move is '%1' and does not seem to be you ('%2'), do you want to "
                "continue ?")
                .arg(QString::fromStdU16String(std::u16string(document_->PlayerToMove())),
                     QString::fromStdU16String(std::u16string(OwnerNameText())));
        if (!AskConfirmation(this, question)) {
            return;
        }
    }
    if (!exchange_.sendMove(this, *document_)) {
        return;
    }
    RecordExchange(*document_, TodayDateText());
    // The game's last move is now newer than any answer that waited.
    answerWaiting_.clear();
    canDiscard_ = false;
    modified_ = true;
}

void GameDisplay::GetAnswer() {
    if (document_ == nullptr || !exchange_.getAnswer) {
        return;
    }
    // A game without the name of the player to move cannot tell whose turn it is, so
    // it asks as it would on the owner's own turn.
    if (WhoseTurn(*document_, OwnerNameText()) != Turn::Opponent) {
        const QString question = QStringLiteral(
            "It seem to be your turn to play, do you really want to import an anwser ?");
        if (!AskConfirmation(this, question)) {
            return;
        }
    }
    const ExchangeDialogs::Answer answer = exchange_.getAnswer(this, *document_, answerWaiting_);
    if (answer.move == nullptr) {
        return;
    }
    answerWaiting_.clear();
    ApplyAnswer(*answer.move);
    RecordExchange(*document_, answer.date);
    canDiscard_ = false;
    modified_ = true;
}

void GameDisplay::ApplyAnswer(MoveNode& answer) {
    // The opponent's answer becomes one level more main; asked of the links, since
    // the depth wraps in very deep nesting.
    if (MainLineAtBranch(answer) != nullptr) {
        PromoteVariation(answer);
    }
    // The answer may be new to the tree even on the main line, so the list is
    // refreshed in every case.
    RefreshList(&answer);
    // The board shows the position after the answer; the document's current
    // position stays where it was.
    OnCurrentChanged(answer.child.get());
}

std::u16string_view GameDisplay::OwnerNameText() const {
    return exchange_.owner != nullptr ? std::u16string_view(exchange_.owner->name)
                                      : std::u16string_view();
}

bool RunGameDisplay(GameDisplay& display, QWidget* parent, GameDocument& document) {
    display.Open(document);
    return RunDialog(display, parent) == kIdOk && display.IsModified();
}

bool OpenGameDisplay(QWidget* parent, GameDocument& document) {
    GameDisplay display;
    return RunGameDisplay(display, parent, document);
}

bool OpenGameDisplayWithMail(QWidget* parent, GameDocument& document,
                             const ExchangeDialogs& dialogs,
                             const std::filesystem::path& answerWaiting) {
    GameDisplay display;
    display.SetExchangeDialogs(dialogs);
    display.SetAnswerWaiting(answerWaiting);
    return RunGameDisplay(display, parent, document);
}
