#pragma once

#include <QString>
#include <QWidget>
#include <functional>

class QEventLoop;
class QLabel;
class QProgressBar;

// What a screen shows while it waits for a long read: a bar and a count ("1234 games
// indexed"), from the moment the read has taken longer than kShowAfterMs; hidden
// otherwise. Waiting runs the screen's events, so that it keeps drawing itself and
// taking keys.
class ReadProgressView : public QWidget {
public:
    static constexpr int kShowAfterMs = 500;
    static constexpr int kRefreshMs = 100;

    explicit ReadProgressView(QWidget* parent);
    ~ReadProgressView() override;

    // Runs the screen's events until `done` gives true; it is asked at the start and
    // whenever Wake is called. From kShowAfterMs on the view shows itself, and its
    // window when that is not shown yet, with the text of `countText`, refreshed every
    // kRefreshMs; it hides again before returning. Not re-entrant: a call while
    // waiting returns at once.
    void WaitUntil(const std::function<bool()>& done, const std::function<QString()>& countText);

    // Asks the waiting to look at its `done` again; nothing happens while not waiting.
    void Wake();

    [[nodiscard]] bool IsWaiting() const { return loop_ != nullptr; }

    // The controls, owned by the view.
    [[nodiscard]] QProgressBar* bar() const { return bar_; }
    [[nodiscard]] QLabel* countLabel() const { return countLabel_; }

private:
    QProgressBar* bar_;
    QLabel* countLabel_;
    QEventLoop* loop_ = nullptr;  // the waiting's own loop, while it runs
    std::function<bool()> done_;
};
