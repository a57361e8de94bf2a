#pragma once

#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QMenu>
#include <QPointer>
#include <QTest>
#include <QTimer>
#include <deque>
#include <functional>
#include <typeinfo>

// Plays a user through nested modal screens: each step waits until the topmost screen
// (an open popup, else the active modal dialog) is the one it expects, then acts on it
// from a zero timer, so that an action opening a further screen does not hold up the
// next steps. When no step matches for `stallLimitMs`, the script remembers the step it
// waited for and closes every screen, so that the run ends instead of hanging.
class ScreenScript : public QObject {
public:
    using Match = std::function<bool(QWidget& top)>;
    using Action = std::function<void(QWidget& top)>;

    explicit ScreenScript(int stallLimitMs = 20000) : stallLimitMs_(stallLimitMs) {
        QObject::connect(&poll_, &QTimer::timeout, this, [this] { Poll(); });
        poll_.start(20);
        sinceProgress_.start();
    }

    // Adds a step named `name` (for the failure message).
    void Then(QString name, Match match, Action action) {
        steps_.push_back({std::move(name), std::move(match), std::move(action)});
    }

    // Adds a step for the first screen of type T that `match` accepts.
    template <typename T>
    void ThenOn(QString name, std::function<bool(T&)> match, std::function<void(T&)> action) {
        Then(
            std::move(name),
            [match = std::move(match)](QWidget& top) {
                T* screen = dynamic_cast<T*>(&top);
                return screen != nullptr && (!match || match(*screen));
            },
            [action = std::move(action)](QWidget& top) { action(dynamic_cast<T&>(top)); });
    }

    // Adds a step that chooses `item` in a popup menu holding it, as the keyboard does.
    void ThenMenu(const QString& item) {
        Then(
            QStringLiteral("a menu with %1").arg(item),
            [item](QWidget& top) { return MenuItem(top, item) != nullptr; },
            [item](QWidget& top) {
                static_cast<QMenu&>(top).setActiveAction(MenuItem(top, item));
                QTest::keyClick(&top, Qt::Key_Return);
            });
    }

    // Adds a step that presses `key` on the first screen of type T.
    template <typename T>
    void ThenKey(QString name, Qt::Key key) {
        ThenOn<T>(std::move(name), {}, [key](T& screen) { QTest::keyClick(&screen, key); });
    }

    bool Finished() const { return steps_.empty() && stalledAt_.isEmpty(); }
    // The step the script gave up waiting for; empty while it has not.
    const QString& StalledAt() const { return stalledAt_; }

private:
    struct Step {
        QString name;
        Match match;
        Action action;
    };

    static QAction* MenuItem(QWidget& top, const QString& text) {
        auto* menu = qobject_cast<QMenu*>(&top);
        for (QAction* action : menu != nullptr ? menu->actions() : QList<QAction*>()) {
            if (action->text() == text && action->isEnabled()) {
                return action;
            }
        }
        return nullptr;
    }

    void Poll() {
        QWidget* top = QApplication::activePopupWidget();
        if (top == nullptr && (top = QApplication::activeModalWidget()) != nullptr &&
            !top->isVisible()) {
            top = nullptr;
        }
        if (actionPending_ || top == nullptr) {
            return;
        }
        if (stalledAt_.isEmpty() && !steps_.empty() && steps_.front().match(*top)) {
            Step step = std::move(steps_.front());
            steps_.pop_front();
            sinceProgress_.restart();
            actionPending_ = true;
            QTimer::singleShot(0, this, [this, target = QPointer<QWidget>(top), step] {
                actionPending_ = false;
                if (target != nullptr) {
                    step.action(*target);
                }
            });
            return;
        }
        // Once every step has run, a screen left open counts as a stall too.
        if (stalledAt_.isEmpty() && sinceProgress_.elapsed() > stallLimitMs_) {
            const QString open =
                QStringLiteral("%1 \"%2\" was open")
                    .arg(QString::fromLatin1(typeid(*top).name()), top->windowTitle());
            stalledAt_ = steps_.empty() ? QStringLiteral("(no step: %1)").arg(open)
                                        : QStringLiteral("%1 (%2)").arg(steps_.front().name, open);
            steps_.clear();
        }
        if (!stalledAt_.isEmpty()) {
            auto* dialog = qobject_cast<QDialog*>(top);
            dialog != nullptr ? dialog->done(QDialog::Rejected) : void(top->close());
        }
    }

    QTimer poll_;
    QElapsedTimer sinceProgress_;
    std::deque<Step> steps_;
    QString stalledAt_;
    int stallLimitMs_;
    bool actionPending_ = false;
};
