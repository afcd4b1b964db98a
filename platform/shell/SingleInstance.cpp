#include "platform/shell/SingleInstance.h"

#include <QCryptographicHash>
#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>
#include <QStandardPaths>

namespace pelmora {

namespace {

constexpr int kAttempts = 3;
constexpr int kAttemptPauseMs = 1000;
constexpr int kAnswerWaitMs = 500;
constexpr char kComeForward[] = "show\n";

QString InstanceName(const std::filesystem::path& dataDir, QString runtimeDir)
{
    if (runtimeDir.isEmpty())
        runtimeDir = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (runtimeDir.isEmpty())
        runtimeDir = QDir::tempPath();
    // The runtime directory is the user's own; the data directory's hash
    // keeps programs on different data apart.
    const QByteArray dir = QFile::encodeName(
        QDir::cleanPath(QString::fromStdString(std::filesystem::absolute(dataDir).string())));
    const QString hash = QString::fromLatin1(
        QCryptographicHash::hash(dir, QCryptographicHash::Sha1).toHex().left(16));
    return QDir(runtimeDir).filePath(QStringLiteral("com.vantrel.Pelmora-") + hash);
}

} // namespace

CSingleInstance::CSingleInstance(const std::filesystem::path& dataDir, const QString& runtimeDir)
    : name_(InstanceName(dataDir, runtimeDir))
    , lock_(name_ + QStringLiteral(".lock"))
{
}

CSingleInstance::~CSingleInstance() = default;

bool CSingleInstance::Claim(const std::function<void(int)>& sleep)
{
    if (lock_.tryLock(0))
        return Listen();
    for (int attempt = 0; attempt < kAttempts; ++attempt) {
        if (AskRunningToComeForward())
            return false;
        if (sleep)
            sleep(kAttemptPauseMs);
    }
    // Nobody answers: this start goes on as the one to find.
    Listen();
    return true;
}

bool CSingleInstance::IsRunning(const std::filesystem::path& dataDir, const QString& runtimeDir)
{
    QLocalSocket socket;
    socket.connectToServer(InstanceName(dataDir, runtimeDir));
    return socket.waitForConnected(kAnswerWaitMs);
}

bool CSingleInstance::Listen()
{
    QLocalServer::removeServer(name_);
    auto* server = new QLocalServer(this);
    server->setSocketOptions(QLocalServer::UserAccessOption);
    if (!server->listen(name_)) {
        delete server;
        return false;
    }
    server_ = server;
    connect(server_, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket* socket = server_->nextPendingConnection()) {
            connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
            connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
                if (socket->readAll().contains('\n'))
                    Q_EMIT Activated();
            });
        }
    });
    return true;
}

bool CSingleInstance::AskRunningToComeForward() const
{
    QLocalSocket socket;
    socket.connectToServer(name_);
    if (!socket.waitForConnected(kAnswerWaitMs))
        return false;
    socket.write(kComeForward);
    const bool written = socket.waitForBytesWritten(kAnswerWaitMs);
    socket.disconnectFromServer();
    return written;
}

} // namespace pelmora
