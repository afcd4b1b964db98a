#pragma once

#include <QLockFile>
#include <QObject>
#include <QString>

#include <filesystem>
#include <functional>

class QLocalServer;

namespace pelmora {

// One running program per user and data directory: the first start listens
// on a local socket in the user's runtime directory; a later start asks it
// to come back on screen and ends.
class CSingleInstance final : public QObject {
    Q_OBJECT
public:
    // `runtimeDir` empty: the user's runtime directory.
    explicit CSingleInstance(
        const std::filesystem::path& dataDir, const QString& runtimeDir = QString());
    ~CSingleInstance() override;

    // The socket's full path for this user and data directory.
    const QString& ServerName() const { return name_; }

    // True when this is the first instance, which now listens. False when a
    // running one was reached and asked to come forward. When it does not
    // answer, three attempts are made one second apart (through `sleep`),
    // then the start goes on as the first instance.
    bool Claim(const std::function<void(int milliseconds)>& sleep);

    // The lock file that marks the first instance.
    QString LockName() const { return name_ + QStringLiteral(".lock"); }

    // Whether a program listens for this data directory now.
    static bool IsRunning(
        const std::filesystem::path& dataDir, const QString& runtimeDir = QString());

Q_SIGNALS:
    // A second start asked this instance to come back on screen.
    void Activated();

private:
    bool Listen();
    bool AskRunningToComeForward() const;

    QString name_;
    // Held by the first instance for its whole run; the socket alone cannot
    // tell, since listening replaces a socket file left behind.
    QLockFile lock_;
    QLocalServer* server_ = nullptr;
};

} // namespace pelmora
