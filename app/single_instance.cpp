#include "app/single_instance.h"

#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>
#include <QStandardPaths>
#include <QThread>
#include <chrono>

#include "pgn/save_files.h"

namespace {

constexpr int kConnectTimeoutMs = 1000;
const QByteArray kShowRequest = QByteArrayLiteral("show\n");
// A request longer than this is not ours; the connection is dropped.
constexpr qint64 kMaxRequestSize = 64;
// How often a start that finds the games file locked asks its holder again.
constexpr int kClaimPollMs = 100;

// The lock file of a games file: hidden, beside the file itself.
std::filesystem::path GamesFileLockPath(const std::filesystem::path& gamesFile) {
    const std::filesystem::path resolved = ResolvedGamesPath(gamesFile);
    std::filesystem::path lock = resolved;
    lock.replace_filename("." + resolved.filename().string() + ".lock");
    return lock;
}

// True when a server answers on `serverName`.
bool ServerAnswers(const QString& serverName) {
    QLocalSocket socket;
    socket.connectToServer(serverName);
    const bool connected = socket.waitForConnected(kConnectTimeoutMs);
    socket.abort();
    return connected;
}

}  // namespace

SingleInstance::SingleInstance(QString serverName) : serverName_(std::move(serverName)) {}

SingleInstance::~SingleInstance() = default;

QString SingleInstance::DefaultServerName() {
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    return QDir(folder.isEmpty() ? QDir::tempPath() : folder)
        .filePath(QStringLiteral("korvani.instance"));
}

bool SingleInstance::AskRunningInstanceToShow() {
    QLocalSocket socket;
    socket.connectToServer(serverName_);
    if (!socket.waitForConnected(kConnectTimeoutMs)) {
        return false;
    }
    socket.write(kShowRequest);
    socket.waitForBytesWritten(kConnectTimeoutMs);
    socket.disconnectFromServer();
    return true;
}

SingleInstance::Claim SingleInstance::ClaimGamesFile(const std::filesystem::path& gamesFile,
                                                     int waitMs) {
    const std::filesystem::path lockPath = GamesFileLockPath(gamesFile);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(waitMs);
    while (true) {
        const FileLock::Result result = gamesFileLock_.TryLock(lockPath);
        if (result != FileLock::Result::Busy) {
            return Claim::Claimed;
        }
        if (AskRunningInstanceToShow()) {
            return Claim::ShownOther;
        }
        if (std::chrono::steady_clock::now() >= deadline) {
            return Claim::InUse;
        }
        QThread::msleep(kClaimPollMs);
    }
}

bool SingleInstance::Listen(std::function<void()> onShowRequest) {
    onShowRequest_ = std::move(onShowRequest);
    // The holder of this lock is the one live server: a socket found while holding it
    // was left by an instance that ended without removing it.
    if (serverLock_.TryLock((serverName_ + QStringLiteral(".lock")).toStdString()) ==
        FileLock::Result::Busy) {
        return false;
    }
    server_ = std::make_unique<QLocalServer>();
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    if (!server_->listen(serverName_)) {
        if (server_->serverError() != QAbstractSocket::AddressInUseError ||
            ServerAnswers(serverName_)) {
            server_.reset();
            return false;
        }
        QLocalServer::removeServer(serverName_);
        if (!server_->listen(serverName_)) {
            server_.reset();
            return false;
        }
    }
    QObject::connect(server_.get(), &QLocalServer::newConnection, server_.get(), [this] {
        while (QLocalSocket* socket = server_->nextPendingConnection()) {
            QObject::connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
            QObject::connect(socket, &QLocalSocket::readyRead, socket, [this, socket] {
                if (socket->bytesAvailable() > kMaxRequestSize) {
                    socket->abort();
                    return;
                }
                if (socket->canReadLine() && socket->readLine() == kShowRequest && onShowRequest_) {
                    onShowRequest_();
                }
            });
        }
    });
    return true;
}
