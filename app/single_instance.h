#pragma once

#include <QString>
#include <filesystem>
#include <functional>
#include <memory>

#include "platform/file_lock.h"

class QLocalServer;

// Keeps one program per games file. A lock file beside the games file, held for the
// program's life, keeps a second program from using the same games file, whatever
// its session; a local server in the user's runtime folder lets a later start ask the
// running program to bring its screens to the front.
class SingleInstance {
public:
    // What ClaimGamesFile found.
    enum class Claim {
        Claimed,     // this program holds the games file's lock (or none can be made)
        ShownOther,  // the program that holds it was asked to come to the front
        InUse,       // another program holds it and did not answer
    };

    // `serverName` is the local server's name or path (DefaultServerName()).
    explicit SingleInstance(QString serverName);
    ~SingleInstance();

    SingleInstance(const SingleInstance&) = delete;
    SingleInstance& operator=(const SingleInstance&) = delete;

    // True when a running instance answered and was asked to come to the front.
    // False when none runs.
    bool AskRunningInstanceToShow();

    // Takes the lock of `gamesFile` (".NAME.lock" beside the file a symbolic link
    // names) and keeps it while this object lives. While another program holds it,
    // asks that program to come to the front, again and again for up to `waitMs`,
    // since it may still be starting; takes the lock if it comes free meanwhile. Where
    // no lock file can be made (a read-only folder) the program runs without it:
    // Claimed.
    Claim ClaimGamesFile(const std::filesystem::path& gamesFile, int waitMs);

    // Listens for later starts; `onShowRequest` runs for each of them. A socket left
    // behind is taken over only by the holder of the server's own lock, and only when
    // nobody answers on it. Returns false when the server cannot listen, or when a
    // live server has the name: the program then runs without the server.
    bool Listen(std::function<void()> onShowRequest);

    // The user's server path: "korvani.instance" in the runtime folder.
    static QString DefaultServerName();

private:
    QString serverName_;
    std::unique_ptr<QLocalServer> server_;
    std::function<void()> onShowRequest_;
    FileLock gamesFileLock_;
    FileLock serverLock_;
};
