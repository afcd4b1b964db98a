#pragma once

#include <QJsonObject>
#include <QProcess>
#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

namespace pelmora::test {

// One SMS as it reached the emulated modem, decoded from its PDU.
struct ModemSms {
    QString number;
    QString text;
    QString coding; // "gsm7", "8bit" or "ucs2"
    int units = 0; // septets, octets or UTF-16 units of the text
    int partReference = -1; // -1 without a concatenation header
    int partCount = 0;
    int partNumber = 0;
    int reference = -1; // TP-MR, as the modem answered +CMGS
    bool statusReportRequested = false; // TP-SRR
};

// A call the modem released, and how: "AT+CHUP", "AT+CHLD=1x", "far end".
struct ReleasedCall {
    int index = 0;
    QString number;
    QString how;
};

// The real ModemManager on an emulated modem, started by tests/modem/modem-rig
// once for the test program: the rig's private bus becomes the program's
// session and system bus before anything connects to either.
class ModemRig final {
public:
    ModemRig() = default;
    ~ModemRig();
    ModemRig(const ModemRig&) = delete;
    ModemRig& operator=(const ModemRig&) = delete;

    // Starts the set and waits until the modem is registered.
    bool Start();
    // Ends everything the rig started.
    void Stop();
    const QString& Error() const { return error_; }
    const QString& ModemPath() const { return modem_; }
    const QString& DaemonLog() const { return daemonLog_; }

    // Ends ModemManager alone, and starts it again on the same modem.
    bool StopDaemon();
    bool StartDaemon();

    // The emulator's control requests.
    int Ring(const std::optional<QString>& number);
    void HangUp(); // the far end ends every call
    void RefuseNextSms(int error);
    // The network's status report (TP-ST `status`, 0x00 received, 0x4x a
    // permanent error) for the SMS at `index` in Sms(), the last one if -1;
    // false if the modem could not hand it to ModemManager.
    bool Report(int status, int index = -1);
    void Reset(); // forgets the SMS, dials, released calls and traffic so far
    std::vector<ModemSms> Sms();
    std::vector<ReleasedCall> Released();
    QStringList Dials();
    // The AT traffic: "SECONDS > COMMAND" to the modem, "SECONDS < LINE" from it.
    QStringList Traffic();

private:
    QString ReadLine(int timeoutMs);
    QJsonObject Control(const QJsonObject& request);

    QProcess rig_;
    QString control_;
    QString modem_;
    QString daemonLog_;
    QString error_;
};

// The program's one rig, started before the first test.
ModemRig& Rig();

} // namespace pelmora::test
