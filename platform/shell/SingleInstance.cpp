#include "platform/shell/SingleInstance.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QLocalServer>
#include <QLocalSocket>
#include <QStandardPaths>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace pelmora {

namespace {

constexpr int kAttempts = 3;
constexpr int kAttemptPauseMs = 1000;
constexpr int kAnswerWaitMs = 500;
constexpr char kComeForward[] = "show\n";
// The longest path a UNIX socket takes, without its terminator.
constexpr qsizetype kMaxSocketPath = sizeof(sockaddr_un::sun_path) - 1;

std::filesystem::path RealPath(const std::filesystem::path& dir)
{
    std::error_code error;
    std::filesystem::path real = std::filesystem::canonical(dir, error);
    return error ? std::filesystem::absolute(dir, error) : real;
}

QString LockPath(const std::filesystem::path& dataDir)
{
    return QString::fromStdString((RealPath(dataDir) / CSingleInstance::kLockFileName).string());
}

// A folder of this user's alone under /tmp, for when the runtime directory
// is too long for a socket path; false when someone else has put something
// there.
QString PrivateTempFolder()
{
    const QString folder = QStringLiteral("/tmp/pelmora-%1").arg(getuid());
    const QByteArray path = QFile::encodeName(folder);
    if (mkdir(path.constData(), 0700) != 0 && errno != EEXIST)
        return {};
    struct stat info { };
    if (lstat(path.constData(), &info) != 0 || !S_ISDIR(info.st_mode) || info.st_uid != getuid()
        || (info.st_mode & 077) != 0)
        return {};
    return folder;
}

// Opens (making it if need be) the lock file. -1 with `problem` set when
// it cannot be had: `refused` tells a planted link, folder or special file,
// which would let two programs share the directory, from a directory where
// nothing can be made at all.
int OpenLock(const QString& lockName, QString& problem, bool& refused)
{
    const QByteArray path = QFile::encodeName(lockName);
    const int fd
        = open(path.constData(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK, 0600);
    struct stat info { };
    if (fd >= 0 && fstat(fd, &info) == 0 && S_ISREG(info.st_mode))
        return fd;
    const int error = fd >= 0 ? 0 : errno;
    if (fd >= 0)
        close(fd);
    refused = true;
    if (fd >= 0 || error == ELOOP || error == EISDIR || error == ENXIO || error == EINVAL) {
        struct stat planted { };
        const bool link = lstat(path.constData(), &planted) == 0 && S_ISLNK(planted.st_mode);
        problem = QStringLiteral("%1 is %2, not Pelmora's lock; remove it, so that one Pelmora "
                                 "at a time uses this data directory")
                      .arg(lockName,
                          link                           ? QStringLiteral("a symbolic link")
                              : S_ISDIR(planted.st_mode) ? QStringLiteral("a folder")
                                                         : QStringLiteral("a special file"));
        return -1;
    }
    refused = false;
    problem = QStringLiteral("%1 cannot be made (%2); another start on this data directory will "
                             "not be stopped")
                  .arg(lockName, QString::fromLocal8Bit(strerror(error)));
    return -1;
}

bool Fits(const QString& name)
{
    return !name.isEmpty() && QFile::encodeName(name).size() <= kMaxSocketPath;
}

} // namespace

CSingleInstance::CSingleInstance(const std::filesystem::path& dataDir, const QString& runtimeDir)
    : lockName_(LockPath(dataDir))
{
    QString runtime = runtimeDir;
    if (runtime.isEmpty())
        runtime = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    // The data directory's hash keeps programs on different data apart.
    const QString hash = QString::fromLatin1(
        QCryptographicHash::hash(QFile::encodeName(lockName_), QCryptographicHash::Sha1)
            .toHex()
            .left(16));
    if (!runtime.isEmpty())
        candidates_ << QDir(runtime).filePath(QStringLiteral("com.vantrel.Pelmora-") + hash);
    candidates_ << QStringLiteral("/tmp/pelmora-%1/").arg(getuid()) + hash;
}

CSingleInstance::~CSingleInstance()
{
    if (lockFd_ >= 0)
        close(lockFd_);
}

QString CSingleInstance::ServerName() const
{
    return server_ ? server_->fullServerName() : QString();
}

CSingleInstance::ClaimResult CSingleInstance::Claim(const std::function<void(int)>& sleep)
{
    for (int attempt = 0;; ++attempt) {
        if (TakeLock()) {
            Listen();
            return ClaimResult::First;
        }
        if (refused_)
            return ClaimResult::Refused;
        if (AskRunningToComeForward())
            return ClaimResult::Forwarded;
        if (attempt + 1 == kAttempts)
            return ClaimResult::NoAnswer;
        if (sleep)
            sleep(kAttemptPauseMs);
    }
}

bool CSingleInstance::TakeLock()
{
    bool refused = false;
    const int fd = OpenLock(lockName_, warning_, refused);
    if (fd < 0) {
        // Where nothing can be made, nothing can be saved either and the
        // start goes on unguarded; a link or folder planted there is refused.
        refused_ = refused;
        return !refused;
    }
    if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
        close(fd);
        return false;
    }
    // Only this user's programs need to read it, whatever the umask was.
    fchmod(fd, 0600);
    lockFd_ = fd;
    return true;
}

void CSingleInstance::Listen()
{
    for (const QString& name : std::as_const(candidates_)) {
        if (!Fits(name))
            continue;
        if (name.startsWith(QLatin1String("/tmp/pelmora-")) && PrivateTempFolder().isEmpty())
            continue;
        // The lock is ours: a socket file left there is stale.
        QLocalServer::removeServer(name);
        auto* server = new QLocalServer(this);
        server->setSocketOptions(QLocalServer::UserAccessOption);
        if (server->listen(name)) {
            server_ = server;
            break;
        }
        delete server;
    }
    if (!server_) {
        warning_ = QStringLiteral("no socket could be made; a second start cannot bring this "
                                  "one forward");
        return;
    }
    if (lockFd_ >= 0) {
        // A start with another runtime directory finds the socket here.
        const QByteArray name = QFile::encodeName(server_->fullServerName());
        if (ftruncate(lockFd_, 0) != 0 || pwrite(lockFd_, name.constData(), name.size(), 0) < 0)
            warning_ = QStringLiteral("%1 cannot be written").arg(lockName_);
    }
    connect(server_, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket* socket = server_->nextPendingConnection()) {
            connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
            connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
                if (socket->readAll().contains('\n'))
                    Q_EMIT Activated();
            });
        }
    });
}

bool CSingleInstance::AskRunningToComeForward() const
{
    QStringList names;
    QFile lock(lockName_);
    if (lock.open(QIODevice::ReadOnly))
        names << QFile::decodeName(lock.read(kMaxSocketPath + 1));
    names << candidates_;
    names.removeDuplicates();
    for (const QString& name : std::as_const(names)) {
        if (!Fits(name))
            continue;
        QLocalSocket socket;
        socket.connectToServer(name);
        if (!socket.waitForConnected(kAnswerWaitMs))
            continue;
        socket.write(kComeForward);
        const bool written = socket.waitForBytesWritten(kAnswerWaitMs);
        socket.disconnectFromServer();
        if (written)
            return true;
    }
    return false;
}

DataDirectoryLock::DataDirectoryLock(const std::filesystem::path& dataDir)
{
    bool refused = false;
    fd_ = OpenLock(LockPath(dataDir), problem_, refused);
    if (fd_ < 0) {
        state_ = refused ? State::Refused : State::Unguarded;
        return;
    }
    if (flock(fd_, LOCK_EX | LOCK_NB) == 0)
        return;
    state_ = State::Running;
    close(fd_);
    fd_ = -1;
}

DataDirectoryLock::~DataDirectoryLock()
{
    if (fd_ >= 0)
        close(fd_);
}

} // namespace pelmora
