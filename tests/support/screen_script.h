#pragma once

#include <algorithm>
#include <deque>
#include <typeinfo>

#include "tests/support/screen_test_support.h"

// Plays a user through nested modal screens, each step acting from a zero timer on the screen
// on top it waits for; stalled `stallLimitMs`, it notes the step and closes every screen.
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

    // Adds a step that presses `key` on the first screen of type T.
    template <typename T>
    void ThenKey(QString name, Qt::Key key) {
        ThenOn<T>(std::move(name), {}, [key](T& screen) { QTest::keyClick(&screen, key); });
    }

    // Adds a step that chooses the enabled item `item` of a popup menu, as keys do.
    void ThenMenu(const QString& item) {
        const auto find = [item](QWidget& top) -> QAction* {
            const auto actions = qobject_cast<QMenu*>(&top) ? top.actions() : QList<QAction*>();
            const auto found = std::find_if(actions.begin(), actions.end(), [&](QAction* action) {
                return action->text() == item && action->isEnabled();
            });
            return found != actions.end() ? *found : nullptr;
        };
        Then(
            "a menu with " + item, [find](QWidget& top) { return find(top) != nullptr; },
            [find](QWidget& top) {
                static_cast<QMenu&>(top).setActiveAction(find(top));
                QTest::keyClick(&top, Qt::Key_Return);
            });
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

    void Poll() {
        QWidget* top = screen_test::TopScreen();
        if (actionPending_ || top == nullptr) {
            return;
        }
        if (stalledAt_.isEmpty() && !steps_.empty() && steps_.front().match(*top)) {
            actionPending_ = true;
            sinceProgress_.restart();
            QTimer::singleShot(0, this, [this, target = QPointer(top), step = steps_.front()] {
                actionPending_ = false;
                if (target != nullptr) {
                    step.action(*target);
                }
            });
            steps_.pop_front();
            return;
        }
        // Once every step has run, a screen left open counts as a stall too.
        if (stalledAt_.isEmpty() && sinceProgress_.elapsed() > stallLimitMs_) {
            stalledAt_ = QStringLiteral("%1 (%2 \"%3\" was open)")
                             .arg(steps_.empty() ? QStringLiteral("no step") : steps_.front().name,
                                  QLatin1String(typeid(*top).name()), top->windowTitle());
            steps_.clear();
        }
        if (auto* dialog = qobject_cast<QDialog*>(top); !stalledAt_.isEmpty()) {
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
