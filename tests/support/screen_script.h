#pragma once

#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QMenu>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>
#include <QWidget>
#include <deque>
#include <functional>
#include <typeinfo>
#include <utility>

// Plays a user through a run of nested modal screens: each step waits until the
// topmost screen (an open popup menu, else the active modal dialog) is the one it
// expects, then acts on it from a zero timer, so that an action which opens a further
// screen does not hold up the steps after it. Steps are matched on what the screen
// shows, so a step never acts before the previous action's effects are in place.
// When no step matches for `stallLimitMs`, the script gives up: it remembers the
// step it waited for and closes every screen, so the run ends instead of hanging.
class ScreenScript : public QObject {
public:
    using Match = std::function<bool(QWidget& top)>;
    using Action = std::function<void(QWidget& top)>;

    explicit ScreenScript(int stallLimitMs = 20000) : stallLimitMs_(stallLimitMs) {
        poll_.setInterval(20);
        QObject::connect(&poll_, &QTimer::timeout, this, [this] { Poll(); });
        poll_.start();
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

    bool Finished() const { return steps_.empty() && stalledAt_.isEmpty(); }
    // The step the script gave up waiting for; empty while it has not.
    const QString& StalledAt() const { return stalledAt_; }

private:
    struct Step {
        QString name;
        Match match;
        Action action;
    };

    static QWidget* TopScreen() {
        if (QWidget* popup = QApplication::activePopupWidget()) {
            return popup;
        }
        QWidget* modal = QApplication::activeModalWidget();
        return modal != nullptr && modal->isVisible() ? modal : nullptr;
    }

    void Poll() {
        if (actionPending_) {
            return;
        }
        QWidget* top = TopScreen();
        if (!stalledAt_.isEmpty()) {
            CloseScreen(top);
            return;
        }
        if (!steps_.empty() && top != nullptr && steps_.front().match(*top)) {
            Run(*top);
            return;
        }
        // Once every step has run, a screen left open counts as a stall too.
        if (top != nullptr && sinceProgress_.elapsed() > stallLimitMs_) {
            const QString open =
                QStringLiteral("%1 \"%2\"")
                    .arg(QString::fromLatin1(typeid(*top).name()), top->windowTitle());
            stalledAt_ = steps_.empty()
                             ? QStringLiteral("(a screen left open: %1)").arg(open)
                             : QStringLiteral("%1 (%2 was open)").arg(steps_.front().name, open);
            steps_.clear();
            CloseScreen(top);
        }
    }

    void Run(QWidget& top) {
        Step step = std::move(steps_.front());
        steps_.pop_front();
        sinceProgress_.restart();
        actionPending_ = true;
        QPointer<QWidget> target(&top);
        QTimer::singleShot(0, this, [this, target, action = std::move(step.action)] {
            actionPending_ = false;
            if (target != nullptr) {
                action(*target);
            }
        });
    }

    static void CloseScreen(QWidget* top) {
        if (top == nullptr) {
            return;
        }
        if (auto* dialog = qobject_cast<QDialog*>(top)) {
            dialog->done(QDialog::Rejected);
        } else {
            top->close();
        }
    }

    QTimer poll_;
    QElapsedTimer sinceProgress_;
    std::deque<Step> steps_;
    QString stalledAt_;
    int stallLimitMs_;
    bool actionPending_ = false;
};
