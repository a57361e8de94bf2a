#include "ui/kit/dialog_controller.h"

#include <algorithm>

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QScrollArea>
#include <QTextCursor>
#include <QTextEdit>

#include "resources/resource_ids.h"
#include "ui/kit/softkey_bar.h"

namespace {

bool IsMultiLineEdit(const QWidget* widget) {
    return qobject_cast<const QPlainTextEdit*>(widget) != nullptr ||
           qobject_cast<const QTextEdit*>(widget) != nullptr;
}

// True when the text cursor of a multi-line edit cannot go one line further that way.
bool CursorAtEdge(QWidget* edit, bool down) {
    QTextCursor cursor;
    if (auto* plain = qobject_cast<QPlainTextEdit*>(edit)) {
        cursor = plain->textCursor();
    } else if (auto* rich = qobject_cast<QTextEdit*>(edit)) {
        cursor = rich->textCursor();
    }
    return !cursor.movePosition(down ? QTextCursor::Down : QTextCursor::Up);
}

// True when a list has no row to go to that way.
bool ListAtEdge(const QAbstractItemView& list, bool down) {
    const QAbstractItemModel* model = list.model();
    const int rows = model != nullptr ? model->rowCount(list.rootIndex()) : 0;
    const QModelIndex current = list.currentIndex();
    if (rows == 0) {
        return true;
    }
    if (!current.isValid()) {
        return !down;
    }
    return current.row() == (down ? rows - 1 : 0);
}

// True when Up (or Down) in `widget` is the pad's step to the field above (below): always
// in a one-line field, a one-line list or a button, and in a list or a multi-line edit
// once it has nothing more to go through that way. Other widgets keep the key.
bool ArrowLeavesField(QWidget* widget, bool down) {
    if (qobject_cast<QComboBox*>(widget) != nullptr ||
        qobject_cast<QLineEdit*>(widget) != nullptr ||
        qobject_cast<QAbstractButton*>(widget) != nullptr) {
        return true;
    }
    if (IsMultiLineEdit(widget)) {
        return CursorAtEdge(widget, down);
    }
    if (auto* list = qobject_cast<QAbstractItemView*>(widget)) {
        return ListAtEdge(*list, down);
    }
    return false;
}

// A list reached from the field above starts on its first row, from below on its last,
// so that the Action key has a row to take.
void EnterList(QWidget* widget, bool down) {
    auto* list = qobject_cast<QAbstractItemView*>(widget);
    if (list == nullptr || list->model() == nullptr || list->currentIndex().isValid()) {
        return;
    }
    const int rows = list->model()->rowCount(list->rootIndex());
    if (rows > 0) {
        list->setCurrentIndex(list->model()->index(down ? 0 : rows - 1, 0, list->rootIndex()));
    }
}

// Scrolls the form that holds `widget`, when there is one, to show it.
void ShowInScrollArea(QWidget* widget, const QWidget* dialog) {
    for (QWidget* parent = widget->parentWidget(); parent != nullptr && parent != dialog;
         parent = parent->parentWidget()) {
        if (auto* area = qobject_cast<QScrollArea*>(parent)) {
            area->ensureWidgetVisible(widget);
            return;
        }
    }
}

}  // namespace

DialogController::DialogController(QWidget* parent) : QDialog(parent) {
    // Keys reach the dialog itself when no child takes the focus.
    setFocusPolicy(Qt::StrongFocus);
}

DialogController::~DialogController() = default;

bool DialogController::HandleCommand(int /*commandId*/) {
    return false;
}

bool DialogController::HandleKeyDown(QKeyEvent& /*event*/) {
    return false;
}

void DialogController::InitMenuPopup(int /*menuId*/, QMenu& /*popup*/) {}

void DialogController::HandleClose() {
    EndDialog(kIdCancel);
}

void DialogController::EndDialog(int code) {
    ended_ = true;
    endCode_ = code;
    done(code);
}

SoftkeyBar* DialogController::CreateSoftkeyBar(int barId) {
    SoftkeyBar* bar = SoftkeyBar::Create(
        barId, this, [this](int commandId) { HandleCommand(commandId); },
        [this](int menuId, QMenu& popup) { InitMenuPopup(menuId, popup); });
    if (bar == nullptr) {
        return nullptr;
    }
    bars_.push_back(bar);
    // Layouts and painting keep to the area above the bar.
    setContentsMargins(0, 0, 0, bar->sizeHint().height());
    PlaceSoftkeyBars();
    bar->show();
    return bar;
}

SoftkeyBar* DialogController::activeSoftkeyBar() const {
    for (SoftkeyBar* bar : bars_) {
        if (!bar->isHidden()) {
            return bar;
        }
    }
    return nullptr;
}

void DialogController::WatchKeys(QWidget* widget) {
    if (widget != nullptr && widget != this) {
        widget->installEventFilter(this);
    }
}

bool DialogController::DispatchKey(QKeyEvent& event) {
    const int key = event.key();
    if (key == Qt::Key_F1 || key == Qt::Key_F2) {
        SoftkeyBar* bar = activeSoftkeyBar();
        return bar != nullptr && bar->Press(key == Qt::Key_F1 ? 0 : 1);
    }
    if (HandleKeyDown(event)) {
        return true;
    }
    if (NavigateFields(event)) {
        return true;
    }
    if (key == Qt::Key_Return || key == Qt::Key_Enter) {
        if (IsMultiLineEdit(QApplication::focusWidget())) {
            return false;
        }
        HandleCommand(kIdOk);
        return true;
    }
    if (key == Qt::Key_Escape) {
        return PressBackKey();
    }
    return false;
}

std::vector<QWidget*> DialogController::Fields() const {
    std::vector<QWidget*> fields;
    for (QWidget* widget = nextInFocusChain(); widget != nullptr && widget != this;
         widget = widget->nextInFocusChain()) {
        if (isAncestorOf(widget) && widget->isVisible() && widget->isEnabled() &&
            (widget->focusPolicy() & Qt::TabFocus) != 0 && widget->focusProxy() == nullptr) {
            fields.push_back(widget);
        }
    }
    return fields;
}

bool DialogController::NavigateFields(QKeyEvent& event) {
    QWidget* focus = QApplication::focusWidget();
    if (focus == nullptr || !isAncestorOf(focus) ||
        (event.modifiers() & ~Qt::KeyboardModifiers(Qt::KeypadModifier)) != 0) {
        return false;
    }
    const int key = event.key();
    if (auto* combo = qobject_cast<QComboBox*>(focus);
        combo != nullptr && (key == Qt::Key_Left || key == Qt::Key_Right)) {
        // The one-line list's spinner: the value steps, and stops at either end.
        const int index = combo->currentIndex() + (key == Qt::Key_Right ? 1 : -1);
        if (index >= 0 && index < combo->count()) {
            combo->setCurrentIndex(index);
        }
        return true;
    }
    const bool down = key == Qt::Key_Down;
    if ((key != Qt::Key_Up && !down) || !ArrowLeavesField(focus, down)) {
        return false;
    }
    const std::vector<QWidget*> fields = Fields();
    const auto at = std::find(fields.begin(), fields.end(), focus);
    if (at == fields.end()) {
        return false;
    }
    // The first and the last field are ends: the pad does not wrap around.
    if (down ? at + 1 == fields.end() : at == fields.begin()) {
        return true;
    }
    QWidget* next = down ? *(at + 1) : *(at - 1);
    EnterList(next, down);
    next->setFocus(Qt::OtherFocusReason);
    ShowInScrollArea(next, this);
    return true;
}

bool DialogController::PressBackKey() {
    if (!backKeyEditsText_) {
        HandleCommand(kIdCancel);
        return true;
    }
    QWidget* focus = QApplication::focusWidget();
    if (auto* line = qobject_cast<QLineEdit*>(focus)) {
        line->backspace();
    } else if (auto* plain = qobject_cast<QPlainTextEdit*>(focus)) {
        plain->textCursor().deletePreviousChar();
    } else if (auto* rich = qobject_cast<QTextEdit*>(focus)) {
        rich->textCursor().deletePreviousChar();
    }
    return true;
}

void DialogController::keyPressEvent(QKeyEvent* event) {
    if (DispatchKey(*event)) {
        event->accept();
        return;
    }
    // Not QDialog's handling, which would turn Esc into reject() and Return into the
    // default button: the screens decide both themselves. The key goes to the parent.
    event->ignore();
}

bool DialogController::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        if (DispatchKey(*static_cast<QKeyEvent*>(event))) {
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void DialogController::closeEvent(QCloseEvent* event) {
    if (!ended_) {
        HandleClose();
    }
    if (ended_) {
        event->accept();
    } else {
        event->ignore();
    }
}

void DialogController::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    PlaceSoftkeyBars();
}

void DialogController::PlaceSoftkeyBars() {
    for (SoftkeyBar* bar : bars_) {
        const int height = bar->sizeHint().height();
        bar->setGeometry(0, this->height() - height, width(), height);
    }
}
