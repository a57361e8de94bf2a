#include "ui/single_instance.h"

#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>
#include <QStandardPaths>

namespace {

constexpr int kConnectTimeoutMs = 1000;
const QByteArray kShowRequest = QByteArrayLiteral("show\n");
// A request longer than this is not ours; the connection is dropped.
constexpr qint64 kMaxRequestSize = 64;

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

bool SingleInstance::Listen(std::function<void()> onShowRequest) {
    onShowRequest_ = std::move(onShowRequest);
    server_ = std::make_unique<QLocalServer>();
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    if (!server_->listen(serverName_)) {
        // A socket left behind by an instance that crashed: nobody answered on it.
        QLocalServer::removeServer(serverName_);
        if (!server_->listen(serverName_)) {
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
