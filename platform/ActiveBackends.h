#pragma once

#include "platform/modem/ModemManagerClient.h"

#include <QDBusConnection>
#include <QString>
#include <QStringList>

#include <filesystem>
#include <memory>
#include <optional>

namespace pelmora {

class ModemManagerLine;
class ModemManagerSms;
class OutboxSmsBackend;
class SimulatedLine;

enum class BackendKind { Simulated, ModemManager };

// "simulated" or "modemmanager"; nothing for any other name.
std::optional<BackendKind> BackendKindFromName(const QString& name);
// A ring interval given in seconds ("5", "0.5"), in milliseconds; nothing
// unless it lies between 0.01 and 60 seconds.
std::optional<int> RingIntervalFromText(const QString& seconds);

struct BackendRequest {
    QString backend; // a backend's name; empty chooses by what is present
    QString ringIntervalSeconds; // empty: 5 seconds
    std::filesystem::path dataDir; // where the outbox goes
};

// The phone line and SMS backends of one run, installed behind the
// platform's telephony and SMS functions for as long as this object lives.
// ModemManager is chosen when it has a modem with voice support (or when
// asked for); otherwise calls come from the simulated line and messages go
// to the outbox.
class ActiveBackends final {
public:
    // Nothing, with `error` set, when the request names no known backend.
    static std::unique_ptr<ActiveBackends> Choose(const BackendRequest& request, QString* error,
        QDBusConnection bus = QDBusConnection::systemBus(), ModemManagerTimeouts timeouts = {});
    ~ActiveBackends();
    ActiveBackends(const ActiveBackends&) = delete;
    ActiveBackends& operator=(const ActiveBackends&) = delete;

    BackendKind Kind() const { return kind_; }
    // One line for people: which backends, and the modem in use.
    QString Description() const;
    // What the user should know about the choice, for standard error.
    const QStringList& Notices() const { return notices_; }

    // The backends themselves; only those of the chosen kind exist.
    SimulatedLine* Simulated() const { return simulatedLine_.get(); }
    OutboxSmsBackend* Outbox() const { return outbox_.get(); }
    ModemManagerLine* ModemLine() const { return modemLine_.get(); }
    ModemManagerClient* Client() const { return client_.get(); }

private:
    ActiveBackends() = default;
    void Install();

    BackendKind kind_ = BackendKind::Simulated;
    bool noModemFound_ = false;
    QStringList notices_;
    std::unique_ptr<ModemManagerClient> client_;
    std::unique_ptr<ModemManagerLine> modemLine_;
    std::unique_ptr<ModemManagerSms> modemSms_;
    std::unique_ptr<SimulatedLine> simulatedLine_;
    std::unique_ptr<OutboxSmsBackend> outbox_;
};

// The program's choice: `backendOption` (the --backend option), else
// PELMORA_BACKEND; the ring interval from PELMORA_RING_INTERVAL. Notices and
// errors go to standard error; nothing is returned after an error.
std::unique_ptr<ActiveBackends> ChooseBackends(
    const QString& backendOption, const std::filesystem::path& dataDir);

// The description of the backends installed now, for the About page; empty
// before a choice.
QString BackendDescription();

} // namespace pelmora
