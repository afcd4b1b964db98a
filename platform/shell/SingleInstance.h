#pragma once

#include <QObject>
#include <QString>
#include <QStringList>

#include <filesystem>
#include <functional>

class QLocalServer;

namespace pelmora {

// One running program per data directory. The first start holds a lock on
// "pelmora.lock" in the data directory itself (its real path, so a symbolic
// link or another runtime directory leads to the same lock) for its whole
// run, listens on a user-only local socket and writes that socket's path
// into the lock file. A later start finds the lock held and asks the socket
// it names to bring the first program back on screen.
class CSingleInstance final : public QObject {
    Q_OBJECT
public:
    static constexpr char kLockFileName[] = "pelmora.lock";

    enum class ClaimResult {
        First, // this start holds the lock and goes on
        Forwarded, // a running program was asked to come forward
        NoAnswer, // a running program holds the lock but does not answer
        Refused, // something not a lock is in its place; Warning() says what
    };

    // `runtimeDir` empty: the user's runtime directory.
    explicit CSingleInstance(
        const std::filesystem::path& dataDir, const QString& runtimeDir = QString());
    ~CSingleInstance() override;
    CSingleInstance(const CSingleInstance&) = delete;
    CSingleInstance& operator=(const CSingleInstance&) = delete;

    // The socket the first instance listens on (empty before it does).
    QString ServerName() const;
    const QString& LockName() const { return lockName_; }

    // When the lock is held and its holder does not answer, three attempts
    // are made one second apart (through `sleep`): it may be starting.
    // A lock file that cannot be made (a read-only data directory) does not
    // stop the start; `warning` then says why.
    ClaimResult Claim(const std::function<void(int milliseconds)>& sleep);
    const QString& Warning() const { return warning_; }

Q_SIGNALS:
    // A second start asked this instance to come back on screen.
    void Activated();

private:
    bool TakeLock();
    void Listen();
    bool AskRunningToComeForward() const;

    QString lockName_;
    // Where this start would listen, in order: the runtime directory, then a
    // private folder under /tmp for runtime directories too long for a socket.
    QStringList candidates_;
    int lockFd_ = -1;
    bool refused_ = false;
    QLocalServer* server_ = nullptr;
    QString warning_;
};

// The data directory's lock, held by a tool for the time of one change
// (pelmora-data load), so that no Pelmora runs on the files meanwhile.
class DataDirectoryLock final {
public:
    enum class State {
        Held,
        Running, // a running program holds it
        Refused, // something not a lock is in its place
        Unguarded, // none can be made there; Problem() says why
    };
    explicit DataDirectoryLock(const std::filesystem::path& dataDir);
    ~DataDirectoryLock();
    DataDirectoryLock(const DataDirectoryLock&) = delete;
    DataDirectoryLock& operator=(const DataDirectoryLock&) = delete;

    State GetState() const { return state_; }
    const QString& Problem() const { return problem_; }

private:
    State state_ = State::Held;
    int fd_ = -1;
    QString problem_;
};

} // namespace pelmora
