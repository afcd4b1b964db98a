#pragma once

#include "platform/telephony/TelephonyBackend.h"

#include <QDBusMessage>
#include <QObject>
#include <QString>

#include <map>

class QTimer;

namespace pelmora {

class ModemManagerClient;

struct ModemManagerLineOptions {
    // ModemManager reports no rings: one is counted when a call is offered
    // and one more each interval while it keeps ringing.
    int ringIntervalMs = 5000;
    // Some modems learn the caller's number a moment after the call appears;
    // a call without one waits this long for it before it is offered.
    int numberWaitMs = 1000;
};

// The phone line of a Linux phone: the calls of ModemManager's first voice
// modem. An incoming call that rings is offered with its number, rings are
// counted from the time it rings, the active state is reported as connected
// and the terminated one as disconnected. Only incoming calls are reported;
// the phone's own dialer shows and answers them, Pelmora follows.
//
// Every request to ModemManager is asynchronous. A call that rang in and
// ended before its reading came is still offered, from what was heard of it
// meanwhile, so a busy ModemManager loses no missed call.
//
// When the modem or ModemManager goes away the calls being followed end, as
// they have for the phone; the line then waits for a voice modem to come
// back and follows its calls without a new start.
class ModemManagerLine final : public QObject, public TelephonyBackend {
    Q_OBJECT
public:
    explicit ModemManagerLine(ModemManagerClient& client, ModemManagerLineOptions options = {});
    ~ModemManagerLine() override;
    ModemManagerLine(const ModemManagerLine&) = delete;
    ModemManagerLine& operator=(const ModemManagerLine&) = delete;

    // TelephonyBackend. Start fails when no voice modem is present.
    bool Start(TelephonyEvents* events) override;
    void Stop() override;
    void Drop(CallId call) override;
    void PlaceCall(std::u16string_view number) override;

    const ModemManagerLineOptions& Options() const { return options_; }
    // The modem whose calls are followed; empty while stopped or while no
    // voice modem is present.
    const QString& Modem() const { return modem_; }
    // Calls offered and not yet ended.
    size_t OfferedCalls() const;

Q_SIGNALS:
    // The line took a modem or lost it.
    void ModemChanged();

private Q_SLOTS:
    // Signal handlers reached by name, the only way Qt D-Bus delivers them.
    void OnCallAdded(const QDBusMessage& message);
    void OnCallDeleted(const QDBusMessage& message);
    void OnCallStateChanged(const QDBusMessage& message);
    void OnCallPropertiesChanged(const QDBusMessage& message);

private:
    enum class Stage { Reading, WaitingForNumber, Offered };
    struct Call {
        CallId id = 0;
        Stage stage = Stage::Reading;
        int state = 0;
        QString number;
        bool connected = false;
        uint32_t rings = 0;
        QTimer* timer = nullptr; // the wait for the number, then the rings
        // Heard while it was being read: whether it rang in, its last state
        // and its number, for a call that ends before the reading comes.
        bool heardRinging = false;
        int heardState = 0;
        QString heardNumber;
    };
    using CallMap = std::map<QString, Call>;

    bool Attach();
    // Forgets the modem and its calls; calls that were offered end.
    void Detach();
    void Subscribe(bool on);
    void OnModemsChanged();
    void OnCallRead(const QString& path, CallId id, const QDBusMessage& reply);
    // Offers a call that rang in and had left the ringing state before it
    // was read, then follows it to `state`.
    void OfferEnded(const QString& path, const QString& number, int state);
    void Offer(const QString& path);
    void CreateCall(const QString& modem, const QString& number);
    void Ring(const QString& path);
    void Follow(const QString& path, int state);
    void End(const QString& path);
    void Forget(CallMap::iterator it);
    void StartTimer(Call& call, const QString& path, int intervalMs, bool repeat,
        void (ModemManagerLine::*handler)(const QString&));

    ModemManagerClient& client_;
    ModemManagerLineOptions options_;
    TelephonyEvents* events_ = nullptr;
    QString modem_;
    CallMap calls_;
    CallId nextId_ = 1;
};

} // namespace pelmora
