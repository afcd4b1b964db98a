#pragma once

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusVirtualObject>
#include <QMap>
#include <QString>
#include <QStringList>
#include <QVariantMap>

#include <ModemManager.h>

// The fake ModemManager's own control interface, beside ModemManager's
// objects on the same connection.
inline constexpr char kFakeControlPath[] = "/org/pelmora/FakeModemManager";
inline constexpr char kFakeControlInterface[] = "org.pelmora.FakeModemManager";

// A ModemManager stand-in for the integration tests: modems with the voice
// and messaging interfaces listed through the object manager, call objects
// with their states and signals, and message objects that are created, sent
// and deleted, answering as ModemManager does (same names, signatures and
// values, taken from its headers). The test steers it through the control
// interface: modems come and go, calls arrive and change state, methods
// fail or never answer. Every request Pelmora makes is logged and announced
// with the control interface's Logged signal.
class FakeModemManager final : public QDBusVirtualObject {
public:
    explicit FakeModemManager(QDBusConnection bus);

    QString introspect(const QString& path) const override;
    bool handleMessage(const QDBusMessage& message, const QDBusConnection& connection) override;

    QString AddModem(bool voice);

private:
    struct Modem {
        bool voice = false;
        QStringList calls;
        QStringList messages;
    };
    struct Call {
        QString modem;
        int direction = 0;
        int state = 0;
        QString number;
    };
    struct Message {
        QString modem;
        QString number;
        QString text;
        unsigned state = 0;
        unsigned pduType = MM_SMS_PDU_TYPE_SUBMIT;
        unsigned reference = 0;
        unsigned deliveryState = MM_SMS_DELIVERY_STATE_UNKNOWN;
        bool reportRequested = false;
    };

    bool HandleControl(const QDBusMessage& message);
    bool HandleProperties(const QDBusMessage& message);
    bool HandleModem(const QDBusMessage& message);
    bool HandleCall(const QDBusMessage& message);
    bool HandleSms(const QDBusMessage& message);

    // What a method call meets: nothing (go on), a failure, or no answer.
    bool Faulted(const QDBusMessage& message);
    void Reply(const QDBusMessage& message, const QVariantList& arguments = {});
    void Fail(const QDBusMessage& message, const QString& name, const QString& text);
    void Log(const QString& entry);
    void Emit(const QString& path, const QString& interface, const QString& name,
        const QVariantList& arguments);

    QMap<QString, QVariantMap> ModemInterfaces(const QString& path) const;
    QVariantMap CallProperties(const QString& path) const;
    QVariantMap SmsProperties(const QString& path) const;
    QString FirstVoiceModem() const;
    QString NewCall(const QString& modem, int direction, int state, const QString& number);
    void SetCallState(const QString& path, int state);
    void RemoveModem(const QString& path);
    void DeleteCall(const QString& path);

    QDBusConnection bus_;
    QMap<QString, Modem> modems_;
    QMap<QString, Call> calls_;
    QMap<QString, Message> messages_;
    QMap<QString, QString> faults_; // method name -> "fail" or "hang"
    QStringList log_;
    int nextModem_ = 0;
    int nextCall_ = 1;
    int nextMessage_ = 1;
    unsigned nextReference_ = 254; // soon wraps
};
