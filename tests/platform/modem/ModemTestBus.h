#pragma once

#include <QDBusMessage>
#include <QObject>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QVariantList>

#include <functional>

class QDBusServiceWatcher;

namespace pelmora::test {

// Runs the event loop until `done` holds or `timeoutMs` has passed; returns
// whether it holds.
bool WaitUntil(const std::function<bool()>& done, int timeoutMs = 10000);
// Runs the event loop for `ms`, for checks that something does not happen.
void RunEventsFor(int ms);

// Whether the test program's private system bus is up: a dbus-daemon with
// a configuration of its own, started before the first test and reached
// through DBUS_SYSTEM_BUS_ADDRESS.
bool PrivateSystemBusIsUp();

// The fake ModemManager, a process of its own on the private system bus,
// and its control interface. Everything it logs is heard here as it
// happens.
class FakeModemManagerProcess final : public QObject {
    Q_OBJECT
public:
    FakeModemManagerProcess();
    ~FakeModemManagerProcess() override;

    // Starts it with one modem per entry ("voice" or "data") and waits until
    // it owns ModemManager's name.
    bool Start(const QStringList& modems);
    // Ends it (terminated, or killed as by a crash) and waits until its name
    // is gone.
    bool Stop();
    bool Kill();

    QString AddModem(bool voice);
    void RemoveModem(const QString& path);
    QString IncomingCall(const QString& number);
    QString AnnounceVanishedCall();
    void SetCallState(const QString& path, int state);
    void SetCallNumber(const QString& path, const QString& number);
    void DeleteCall(const QString& path);
    // The network's report on the sent message `sent`, as ModemManager gives
    // it: a received status report (from `number`, else the message's own).
    QString Report(const QString& sent, unsigned deliveryState, const QString& number = {});
    // `fault` "fail" or "hang" for every call of `method`; empty clears it.
    void SetFault(const QString& method, const QString& fault);

    // The requests it has answered so far, one entry each
    // ("Create\tNUMBER\tTEXT", "Send\tPATH", "Hangup\tPATH", ...), as it
    // tells them now (or told them last, once it has ended).
    const QStringList& Log();
    int Count(const QString& entry) { return static_cast<int>(Log().count(entry)); }
    // Entries starting with `prefix`.
    QStringList Starting(const QString& prefix);
    // Waits for `entry` to be logged `times` times.
    bool WaitForLog(const QString& entry, int times = 1);

private Q_SLOTS:
    // Each entry logged is announced; hearing it ends a wait's sleep.
    void OnLogged(const QString& entry);

private:
    QDBusMessage Control(const QString& method, const QVariantList& arguments = {});
    bool WaitForName(bool owned);

    QProcess process_;
    QDBusServiceWatcher* watcher_ = nullptr;
    bool owned_ = false;
    QStringList log_;
};

} // namespace pelmora::test
