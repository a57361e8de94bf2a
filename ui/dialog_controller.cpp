#include "ui/dialog_controller.h"

#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextEdit>

#include "resources/resource_ids.h"
#include "ui/softkey_bar.h"

namespace {

bool IsMultiLineEdit(const QWidget* widget) {
    return qobject_cast<const QPlainTextEdit*>(widget) != nullptr ||
           qobject_cast<const QTextEdit*>(widget) != nullptr;
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
