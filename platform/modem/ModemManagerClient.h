#pragma once

#include <QDBusConnection>
#include <QDBusMessage>
#include <QObject>
#include <QSet>
#include <QString>
#include <QVariantList>

#include <cstdint>
#include <functional>
#include <map>
#include <optional>

class QDBusArgument;
class QDBusServiceWatcher;

namespace pelmora {

// How long Pelmora waits for ModemManager. Sending a text waits for the
// network, so it gets longer than every other call.
struct ModemManagerTimeouts {
    int replyMs = 3000;
    int sendMs = 30000;
};

// One modem as the object manager describes it.
struct ModemInfo {
    QString path;
    QString manufacturer;
    QString model;
    QSet<QString> interfaces;

    bool HasVoice() const;
    bool HasMessaging() const;
    // "Manufacturer Model", or the path when the modem names neither.
    QString Name() const;
};

// Pelmora's view of ModemManager on the system bus: the modems and what they
// can do, kept current from the object manager's signals and from the
// service leaving and coming back, and the method calls the backends make.
// Nothing here starts ModemManager through bus activation: on a machine
// without a modem it would only probe serial ports.
class ModemManagerClient final : public QObject {
    Q_OBJECT
public:
    explicit ModemManagerClient(
        QDBusConnection bus = QDBusConnection::systemBus(), ModemManagerTimeouts timeouts = {});
    ~ModemManagerClient() override;
    ModemManagerClient(const ModemManagerClient&) = delete;
    ModemManagerClient& operator=(const ModemManagerClient&) = delete;

    QDBusConnection& Bus() { return bus_; }
    const ModemManagerTimeouts& Timeouts() const { return timeouts_; }

    // Reads the modem list now, waiting at most replyMs. False when
    // ModemManager did not answer; the list is then empty if it is not
    // running and unchanged if it was only slow.
    bool RefreshNow();
    // The first modem, in path order, that carries calls (or texts).
    std::optional<ModemInfo> VoiceModem() const;
    std::optional<ModemInfo> MessagingModem() const;
    std::optional<ModemInfo> Modem(const QString& path) const;

    // A method call on a ModemManager object, waiting at most `timeoutMs`
    // for the reply (an error message when it failed or timed out).
    QDBusMessage CallNow(const QString& path, const QString& interface, const QString& method,
        const QVariantList& arguments, int timeoutMs);
    // Reads the modem list again; `done` follows on this thread once it is
    // known or the read has failed, unless `context` has been destroyed.
    void RefreshLater(QObject* context, std::function<void()> done);
    // A method call whose reply reaches `done` later on this thread, unless
    // `context` has been destroyed by then. The reply is waited for
    // `timeoutMs`, or replyMs when it is 0.
    void CallLater(QObject* context, const QString& path, const QString& interface,
        const QString& method, const QVariantList& arguments,
        std::function<void(const QDBusMessage&)> done, int timeoutMs = 0);
    // A method call whose reply nobody waits for.
    void CallAndForget(const QString& path, const QString& interface, const QString& method,
        const QVariantList& arguments);

Q_SIGNALS:
    // Modems came or went, or gained or lost interfaces.
    void ModemsChanged();

private Q_SLOTS:
    // Signal handlers reached by name, the only way Qt D-Bus delivers them.
    void OnInterfacesAdded(const QDBusMessage& message);
    void OnInterfacesRemoved(const QDBusMessage& message);

private:
    QDBusMessage MethodCall(const QString& path, const QString& interface, const QString& method,
        const QVariantList& arguments) const;
    void OnOwnerChanged(const QString& newOwner);
    void RequestModems();
    // Takes a GetManagedObjects reply; older replies than the last one
    // taken are dropped, the signals that followed them are already known.
    void TakeSnapshot(const QDBusMessage& reply, uint64_t serial);
    static void ReadInterfaces(const QDBusArgument& argument, ModemInfo& modem);
    void Replace(std::map<QString, ModemInfo> modems);

    QDBusConnection bus_;
    ModemManagerTimeouts timeouts_;
    QDBusServiceWatcher* watcher_ = nullptr;
    std::map<QString, ModemInfo> modems_;
    uint64_t nextSerial_ = 1;
    uint64_t takenSerial_ = 0;
};

} // namespace pelmora
