#pragma once

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QMenu>
#include <QMessageBox>
#include <QPointer>
#include <QTest>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <optional>

// Drives modal screens in QtTest: each nested exec() is reached from a timer that polls
// for the screen to show.
namespace screen_test {

// Waits belong to the test that started them; CancelPending (in cleanup) drops the rest,
// so that they cannot answer the next test's screens.
inline int& Generation() {
    static int generation = 0;
    return generation;
}

inline void CancelPending() {
    ++Generation();
}

// Runs `action` on the next modal widget other than `outer`, once it shows; gives up
// after `attempts` polls, so that a missing screen fails its test instead of hanging it.
inline void WhenModalShows(std::function<void(QWidget&)> action, QWidget* outer = nullptr,
                           int attempts = 500, int generation = Generation()) {
    QTimer::singleShot(10, [action = std::move(action), outer, attempts, generation]() mutable {
        QWidget* modal = QApplication::activeModalWidget();
        if (generation != Generation()) {
            return;
        } else if (modal != nullptr && modal != outer && modal->isVisible()) {
            action(*modal);
        } else if (attempts > 0) {
            WhenModalShows(std::move(action), outer, attempts - 1, generation);
        }
    });
}

// Closes the popup or modal screen that stayed open for a whole interval (one that
// opened since the last tick is left alone), so that an unanswered screen cannot block
// the run; counts what it closed.
class ModalWatchdog {
public:
    explicit ModalWatchdog(int intervalMs = 10000) {
        timer_.setInterval(intervalMs);
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            QWidget* open = QApplication::activePopupWidget();
            open = open != nullptr ? open : QApplication::activeModalWidget();
            if (open == nullptr || open != seenAtLastTick_) {
                seenAtLastTick_ = open;
                return;
            }
            for (QWidget* top = open; top != nullptr; ++closed_) {
                top->close();
                top->hide();
                top = QApplication::activePopupWidget();
                top = top != nullptr ? top : QApplication::activeModalWidget();
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

// Answers the next message box with `button` (Ok when it has none such), recording it
// in `seen`; any other modal screen but `outer` is closed unanswered.
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
            (pressed != nullptr ? pressed : box->button(QMessageBox::Ok))->click();
        },
        outer);
}

// Makes `home` the user's home for this process: HOME and the XDG folders point into it,
// which holds a Maildir store and a private runtime folder. False when it cannot.
inline bool UseHome(const QString& home) {
    for (const char* sub : {"/Maildir/new", "/Maildir/cur", "/Maildir/tmp", "/runtime"}) {
        if (!QDir().mkpath(home + QLatin1String(sub))) {
            return false;
        }
    }
    qputenv("HOME", home.toUtf8());
    qputenv("XDG_CONFIG_HOME", (home + QStringLiteral("/config")).toUtf8());
    qputenv("XDG_DATA_HOME", (home + QStringLiteral("/data")).toUtf8());
    qputenv("XDG_CACHE_HOME", (home + QStringLiteral("/cache")).toUtf8());
    qputenv("XDG_RUNTIME_DIR", (home + QStringLiteral("/runtime")).toUtf8());
    return QFile::setPermissions(home + QStringLiteral("/runtime"),
                                 QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

}  // namespace screen_test
