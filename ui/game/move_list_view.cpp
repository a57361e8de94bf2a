#include "ui/game/move_list_view.h"

#include <QKeyEvent>
#include <QScrollBar>

#include "game/game_document.h"
#include "game/move_tree.h"
#include "rules/move_node.h"
#include "rules/notation.h"
#include "ui/game/drawing_resources.h"
#include "ui/kit/wait_cursor.h"

namespace {

constexpr int kMoveRole = Qt::UserRole;

// Appends one row per move and closes each variation on the row appended last, which
// is where the variation's last move stands whatever it nests.
class RowBuilder : public DisplayOrderVisitor {
public:
    explicit RowBuilder(QListWidget& list) : list_(list) {}

    void OnMove(const MoveNode& move) override {
        auto* item = new QListWidgetItem(MoveListView::RowText(move));
        item->setData(kMoveRole, QVariant::fromValue(reinterpret_cast<quintptr>(&move)));
        list_.addItem(item);
    }

    void OnVariationEnd(const MoveNode& /*first*/) override {
        QListWidgetItem* last = list_.item(list_.count() - 1);
        last->setText(last->text() + u')');
    }

private:
    QListWidget& list_;
};

}  // namespace

MoveListView::MoveListView(QWidget* parent) : QListWidget(parent) {
    setFont(GetDrawingResources().programFont);
    setSelectionMode(QAbstractItemView::SingleSelection);
    // Scrolling by rows lets the selection keep exactly two rows above it.
    setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
    setFocusPolicy(Qt::StrongFocus);
}

MoveListView::~MoveListView() = default;

bool MoveListView::AttachTo(GameDocument& document) {
    document_ = &document;
    return document.AttachView(this, false);
}

QString MoveListView::RowText(const MoveNode& move) {
    QString text(qsizetype{2} * move.depth, u' ');
    if (move.prevSibling != nullptr) {
        text += u'(';
    }
    text += QString::fromStdU16String(FormatSanText(move, true, false, NotationLanguage::English));
    return text;
}

void MoveListView::Rebuild(const MoveNode* selected) {
    {
        const WaitCursor busy;
        setUpdatesEnabled(false);
        clear();
        addItem(QStringLiteral("   "));
        if (document_ != nullptr) {
            AddLine(document_->root.firstMove.get());
        }
        setUpdatesEnabled(true);
    }
    SelectRow(selected);
}

int MoveListView::AddLine(const MoveNode* first) {
    if (first == nullptr) {
        return -1;
    }
    RowBuilder builder(*this);
    WalkDisplayOrder(first, builder);
    return count() - 1;
}

void MoveListView::SelectRow(const MoveNode* move) {
    const int row = move != nullptr ? FindRow(move) : 0;
    if (row < 0) {
        clearSelection();
        setCurrentRow(-1);
    } else {
        setCurrentRow(row);
    }
    verticalScrollBar()->setValue(row < 3 ? 0 : row - 2);
}

int MoveListView::FindRow(const MoveNode* move) const {
    const auto wanted = reinterpret_cast<quintptr>(move);
    for (int row = 0; row < count(); ++row) {
        const QVariant data = item(row)->data(kMoveRole);
        if (data.isValid() && data.value<quintptr>() == wanted) {
            return row;
        }
    }
    return -1;
}

void MoveListView::OnCurrentChanged(Position* position) {
    SelectRow(position != nullptr ? position->incomingMove : nullptr);
}

Position* MoveListView::ChooseAlternative(MoveNode* /*firstMove*/) {
    return nullptr;
}

void MoveListView::keyPressEvent(QKeyEvent* event) {
    if (document_ == nullptr) {
        QListWidget::keyPressEvent(event);
        return;
    }
    // The selection always shows the document's current position, so the arrows
    // step through the game and the notification moves the selection.
    switch (event->key()) {
        case Qt::Key_Left:
            document_->GoBack();
            break;
        case Qt::Key_Up:
            document_->GoToMainLine();
            break;
        case Qt::Key_Right:
        case Qt::Key_Down:
            document_->GoForward();
            break;
        default:
            QListWidget::keyPressEvent(event);
            return;
    }
    event->accept();
}
