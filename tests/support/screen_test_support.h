#pragma once

#include <QTest>
#include <QtWidgets>
#include <functional>

// Drives modal screens in QtTest from timers that poll for them to show.
namespace screen_test {

// Where a key goes: the focused field, or `fallback` while nothing has the focus.
inline QWidget* FocusedOr(QWidget* fallback) {
    QWidget* focused = QApplication::focusWidget();
    return focused != nullptr ? focused : fallback;
}

// The screen on top: an open popup menu, else the visible modal dialog, else null.
inline QWidget* TopScreen() {
    QWidget* top = QApplication::activePopupWidget();
    top = top != nullptr ? top : QApplication::activeModalWidget();
    return top != nullptr && top->isVisible() ? top : nullptr;
}

// Closes the screens on top once one stayed a whole interval, so that none blocks the run.
class ModalWatchdog {
public:
    explicit ModalWatchdog(int intervalMs = 10000) {
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            QWidget* open = TopScreen();
            if (open != nullptr && open == seenAtLastTick_) {
                for (; open != nullptr; open = TopScreen()) {
                    open->close();
                    open->hide();
                }
            }
            seenAtLastTick_ = open;
        });
        timer_.start(intervalMs);
    }

private:
    QTimer timer_;
    QPointer<QWidget> seenAtLastTick_;
};

// Answers the screen on top from a timer of its own (polls go on under a nested one): a
// message box is logged ("Critical [caption] text") and its default button pressed; any
// other screen goes to `onScreen`.
class ScreenAnswerer {
public:
    explicit ScreenAnswerer(std::function<void(QWidget&)> onScreen = {}) {
        QObject::connect(&poll_, &QTimer::timeout, [this, onScreen = std::move(onScreen)] {
            QPointer<QWidget> top = TopScreen();
            if (top == nullptr || pending_) {
                return;
            }
            pending_ = true;
            QTimer::singleShot(0, [this, top, onScreen] {
                pending_ = false;
                if (auto* box = qobject_cast<QMessageBox*>(top)) {
                    const char* icon =
                        QMetaEnum::fromType<QMessageBox::Icon>().valueToKey(box->icon());
                    log << QStringLiteral("%1 [%2] %3").arg(icon, box->windowTitle(), box->text());
                    QTest::keyClick(box, Qt::Key_Return);
                } else if (top != nullptr && onScreen) {
                    onScreen(*top);
                }
            });
        });
        poll_.start(10);
    }
    QStringList log;

private:
    QTimer poll_;
    bool pending_ = false;
};

// The rows of `model` with their cells joined by "|".
inline QStringList Rows(const QAbstractItemModel& model, int columns) {
    QStringList rows;
    for (int row = 0; row < model.rowCount(); ++row) {
        rows << model.index(row, 0).data().toString();
        for (int column = 1; column < columns; ++column) {
            rows.back() += '|' + model.index(row, column).data().toString();
        }
    }
    return rows;
}

inline bool WriteFile(const QString& path, const QByteArray& bytes) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

inline QByteArray ReadFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Points HOME and the XDG folders into `home`, with a Maildir and a private runtime folder.
inline bool UseHome(const QString& home) {
    for (const char* sub : {"/Maildir/new", "/Maildir/cur", "/Maildir/tmp", "/runtime"}) {
        QDir().mkpath(home + QLatin1String(sub));
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
