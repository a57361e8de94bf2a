#pragma once

#include <QAbstractButton>
#include <QApplication>
#include <QMenu>
#include <QMessageBox>
#include <QPointer>
#include <QTest>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <optional>

// Helpers for driving modal screens in QtTest: each nested exec() is reached through
// a zero timer that waits for the screen to become the active modal widget.

namespace screen_test {

// Pending waits belong to the test that started them; CancelPending (in a test's
// cleanup) drops those left over, so that they cannot answer the next test's dialogs.
inline int& Generation() {
    static int generation = 0;
    return generation;
}

inline void CancelPending() {
    ++Generation();
}

// Runs `action` on the next modal widget that is not `outer`, once it shows. Gives up
// (and closes nothing) after `attempts` polls, so a missing dialog fails its test
// instead of hanging it.
inline void WhenModalShows(std::function<void(QWidget&)> action, QWidget* outer = nullptr,
                           int attempts = 500, int generation = Generation()) {
    QTimer::singleShot(10, [action = std::move(action), outer, attempts, generation]() mutable {
        if (generation != Generation()) {
            return;
        }
        QWidget* modal = QApplication::activeModalWidget();
        if (modal != nullptr && modal != outer && modal->isVisible()) {
            action(*modal);
        } else if (attempts > 0) {
            WhenModalShows(std::move(action), outer, attempts - 1, generation);
        }
    });
}

// Runs `action` on the next popup menu once it shows.
inline void WhenPopupShows(std::function<void(QMenu&)> action, int attempts = 500,
                           int generation = Generation()) {
    QTimer::singleShot(10, [action = std::move(action), attempts, generation]() mutable {
        if (generation != Generation()) {
            return;
        }
        auto* popup = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        if (popup != nullptr && popup->isVisible()) {
            action(*popup);
        } else if (attempts > 0) {
            WhenPopupShows(std::move(action), attempts - 1, generation);
        }
    });
}

// Closes every modal dialog and popup that stayed open for a whole interval, so that a
// screen a test forgot to answer cannot block the run; counts what it had to close. A
// screen that opened since the last tick is left alone, however slow the machine.
class ModalWatchdog {
public:
    explicit ModalWatchdog(int intervalMs = 10000) {
        timer_.setInterval(intervalMs);
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            QWidget* open = QApplication::activePopupWidget();
            if (open == nullptr) {
                open = QApplication::activeModalWidget();
            }
            if (open == nullptr || open != seenAtLastTick_) {
                seenAtLastTick_ = open;
                return;
            }
            while (QWidget* popup = QApplication::activePopupWidget()) {
                popup->close();
                ++closed_;
            }
            while (QWidget* modal = QApplication::activeModalWidget()) {
                modal->close();
                modal->hide();
                ++closed_;
            }
            seenAtLastTick_ = nullptr;
        });
        timer_.start();
    }
    int closed() const { return closed_; }

private:
    QTimer timer_;
    QPointer<QWidget> seenAtLastTick_;
    int closed_ = 0;
};

// Presses `key` on the widget that has the keyboard focus, or on `fallback`.
inline void PressKey(QWidget* fallback, Qt::Key key) {
    QWidget* target = QApplication::focusWidget();
    QTest::keyClick(target != nullptr ? target : fallback, key);
}

// What a message box showed before the test answered it.
struct SeenBox {
    QString caption;
    QString text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
};

// Answers the next message box with `button` (or Ok when it has no such button) and
// records it in `seen`; any other modal screen (but `outer`) is closed unanswered.
inline void AnswerNextBox(std::optional<SeenBox>& seen, QMessageBox::StandardButton button,
                          QWidget* outer = nullptr) {
    WhenModalShows(
        [&seen, button](QWidget& modal) {
            auto* box = qobject_cast<QMessageBox*>(&modal);
            if (box == nullptr) {
                modal.close();
                return;
            }
            seen = SeenBox{box->windowTitle(), box->text(), box->icon()};
            QAbstractButton* pressed = box->button(button);
            if (pressed == nullptr) {
                pressed = box->button(QMessageBox::Ok);
            }
            pressed->click();
        },
        outer);
}

// Chooses the item labelled `text` in `menu` as the keyboard does.
inline void ChooseMenuItem(QMenu& menu, const QString& text) {
    for (QAction* action : menu.actions()) {
        if (action->text() == text) {
            menu.setActiveAction(action);
        }
    }
    QTest::keyClick(&menu, Qt::Key_Return);
}

// True when `top` is a popup menu with an item `text`.
inline bool IsMenuWith(QWidget& top, const QString& text) {
    auto* menu = qobject_cast<QMenu*>(&top);
    if (menu == nullptr) {
        return false;
    }
    for (const QAction* action : menu->actions()) {
        if (action->text() == text) {
            return true;
        }
    }
    return false;
}

}  // namespace screen_test
