#pragma once

#include <QString>
#include <functional>
#include <memory>

class QLocalServer;

// Keeps one instance of the program per user, through a local server whose name is
// in the user's runtime folder. The first instance listens; a later start asks it to
// bring its screens to the front and then ends.
class SingleInstance {
public:
    // `serverName` is the local server's name or path (DefaultServerName()).
    explicit SingleInstance(QString serverName);
    ~SingleInstance();

    SingleInstance(const SingleInstance&) = delete;
    SingleInstance& operator=(const SingleInstance&) = delete;

    // True when a running instance answered and was asked to come to the front.
    // False when none runs.
    bool AskRunningInstanceToShow();

    // Listens for later starts; `onShowRequest` runs for each of them. Returns false
    // when the server cannot listen: the program then runs without the check.
    bool Listen(std::function<void()> onShowRequest);

    // The user's server path: "korvani.instance" in the runtime folder.
    static QString DefaultServerName();

private:
    QString serverName_;
    std::unique_ptr<QLocalServer> server_;
    std::function<void()> onShowRequest_;
};
