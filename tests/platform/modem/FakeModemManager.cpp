#include "tests/platform/modem/FakeModemManager.h"

#include <ModemManager.h>

#include <QDBusMetaType>
#include <QDBusObjectPath>

namespace {

using InterfaceMap = QMap<QString, QVariantMap>;
using ObjectMap = QMap<QDBusObjectPath, InterfaceMap>;

const QString kObjectManager = QStringLiteral("org.freedesktop.DBus.ObjectManager");
const QString kProperties = QStringLiteral("org.freedesktop.DBus.Properties");
const QString kUnknownObject = QStringLiteral("org.freedesktop.DBus.Error.UnknownObject");
const QString kUnknownMethod = QStringLiteral("org.freedesktop.DBus.Error.UnknownMethod");
const QString kInvalidArgs = QStringLiteral("org.freedesktop.DBus.Error.InvalidArgs");
const QString kCoreFailed = QStringLiteral(MM_DBUS_ERROR_PREFIX ".Core.Failed");

QString Escape(QString text)
{
    text.replace(u'\\', QStringLiteral("\\\\"));
    text.replace(u'\t', QStringLiteral("\\t"));
    text.replace(u'\n', QStringLiteral("\\n"));
    return text;
}

QVariant Paths(const QStringList& paths)
{
    QList<QDBusObjectPath> list;
    for (const QString& path : paths)
        list.append(QDBusObjectPath(path));
    return QVariant::fromValue(list);
}

} // namespace

FakeModemManager::FakeModemManager(QDBusConnection bus)
    : bus_(std::move(bus))
{
    qDBusRegisterMetaType<InterfaceMap>();
    qDBusRegisterMetaType<ObjectMap>();
}

QString FakeModemManager::introspect(const QString&) const
{
    return {};
}

void FakeModemManager::Reply(const QDBusMessage& message, const QVariantList& arguments)
{
    if (message.isReplyRequired())
        bus_.send(message.createReply(arguments));
}

void FakeModemManager::Fail(const QDBusMessage& message, const QString& name, const QString& text)
{
    if (message.isReplyRequired())
        bus_.send(message.createErrorReply(name, text));
}

void FakeModemManager::Log(const QString& entry)
{
    log_.append(entry);
    Emit(QString::fromLatin1(kFakeControlPath), QString::fromLatin1(kFakeControlInterface),
        QStringLiteral("Logged"), {entry});
}

void FakeModemManager::Emit(const QString& path, const QString& interface, const QString& name,
    const QVariantList& arguments)
{
    QDBusMessage signal = QDBusMessage::createSignal(path, interface, name);
    signal.setArguments(arguments);
    bus_.send(signal);
}

bool FakeModemManager::Faulted(const QDBusMessage& message)
{
    const QString fault = faults_.value(message.member());
    if (fault == QLatin1String("hang"))
        return true; // never answered: the caller's time-out ends the wait
    if (fault == QLatin1String("fail")) {
        Fail(message, kCoreFailed, QStringLiteral("%1 failed").arg(message.member()));
        return true;
    }
    return false;
}

bool FakeModemManager::handleMessage(const QDBusMessage& message, const QDBusConnection&)
{
    if (message.type() != QDBusMessage::MethodCallMessage)
        return false;
    const QString path = message.path();
    if (path == QLatin1String(kFakeControlPath))
        return HandleControl(message);
    if (message.interface() == kProperties)
        return HandleProperties(message);
    if (path == QLatin1String(MM_DBUS_PATH) && message.interface() == kObjectManager
        && message.member() == QLatin1String("GetManagedObjects")) {
        Log(QStringLiteral("GetManagedObjects"));
        if (Faulted(message))
            return true;
        ObjectMap objects;
        for (auto it = modems_.begin(); it != modems_.end(); ++it)
            objects.insert(QDBusObjectPath(it.key()), ModemInterfaces(it.key()));
        Reply(message, {QVariant::fromValue(objects)});
        return true;
    }
    if (modems_.contains(path))
        return HandleModem(message);
    if (calls_.contains(path))
        return HandleCall(message);
    if (messages_.contains(path))
        return HandleSms(message);
    Fail(message, kUnknownObject, QStringLiteral("No such object: %1").arg(path));
    return true;
}

bool FakeModemManager::HandleProperties(const QDBusMessage& message)
{
    const QString path = message.path();
    if (message.member() != QLatin1String("GetAll") || message.signature() != QLatin1String("s")) {
        Fail(message, kUnknownMethod, message.member());
        return true;
    }
    Log(QStringLiteral("GetAll\t%1").arg(path));
    if (Faulted(message))
        return true;
    const QString interface = message.arguments().at(0).toString();
    if (calls_.contains(path) && interface == QLatin1String(MM_DBUS_INTERFACE_CALL))
        Reply(message, {CallProperties(path)});
    else if (messages_.contains(path) && interface == QLatin1String(MM_DBUS_INTERFACE_SMS))
        Reply(message, {SmsProperties(path)});
    else if (modems_.contains(path) && ModemInterfaces(path).contains(interface))
        Reply(message, {ModemInterfaces(path).value(interface)});
    else
        Fail(message, kUnknownObject, QStringLiteral("No such object: %1").arg(path));
    return true;
}

bool FakeModemManager::HandleModem(const QDBusMessage& message)
{
    const QString path = message.path();
    Modem& modem = modems_[path];
    const QString member = message.member();
    if (message.interface() == QLatin1String(MM_DBUS_INTERFACE_MODEM_VOICE) && modem.voice
        && member == QLatin1String(MM_MODEM_VOICE_METHOD_CREATECALL)
        && message.signature() == QLatin1String("a{sv}")) {
        const auto properties = qdbus_cast<QVariantMap>(message.arguments().at(0));
        const QString number = properties.value(QStringLiteral("number")).toString();
        Log(QStringLiteral("CreateCall\t%1").arg(number));
        if (Faulted(message))
            return true;
        if (properties.size() != 1 || number.isEmpty()) {
            Fail(message, kInvalidArgs, QStringLiteral("Only a number is expected"));
            return true;
        }
        const QString call
            = NewCall(path, MM_CALL_DIRECTION_OUTGOING, MM_CALL_STATE_UNKNOWN, number);
        Emit(path, QStringLiteral(MM_DBUS_INTERFACE_MODEM_VOICE),
            QStringLiteral(MM_MODEM_VOICE_SIGNAL_CALLADDED),
            {QVariant::fromValue(QDBusObjectPath(call))});
        Reply(message, {QVariant::fromValue(QDBusObjectPath(call))});
        return true;
    }
    if (message.interface() == QLatin1String(MM_DBUS_INTERFACE_MODEM_MESSAGING)
        && member == QLatin1String(MM_MODEM_MESSAGING_METHOD_CREATE)
        && message.signature() == QLatin1String("a{sv}")) {
        const auto properties = qdbus_cast<QVariantMap>(message.arguments().at(0));
        const QVariant number = properties.value(QStringLiteral("number"));
        const QVariant text = properties.value(QStringLiteral("text"));
        Log(QStringLiteral("Create\t%1\t%2")
                .arg(Escape(number.toString()), Escape(text.toString())));
        if (Faulted(message))
            return true;
        for (auto it = properties.begin(); it != properties.end(); ++it) {
            if (it.key() != QLatin1String("number") && it.key() != QLatin1String("text")
                && it.key() != QLatin1String("delivery-report-request")) {
                Fail(message, kInvalidArgs, QStringLiteral("Unexpected key '%1'").arg(it.key()));
                return true;
            }
        }
        if (number.typeId() != QMetaType::QString || text.typeId() != QMetaType::QString) {
            Fail(message, kInvalidArgs, QStringLiteral("Number and text are mandatory"));
            return true;
        }
        const QString sms = QStringLiteral(MM_DBUS_SMS_PREFIX "/%1").arg(nextMessage_++);
        messages_[sms] = {path, number.toString(), text.toString(), MM_SMS_STATE_STORED};
        messages_[sms].reportRequested
            = properties.value(QStringLiteral("delivery-report-request")).toBool();
        modem.messages.append(sms);
        Emit(path, QStringLiteral(MM_DBUS_INTERFACE_MODEM_MESSAGING),
            QStringLiteral(MM_MODEM_MESSAGING_SIGNAL_ADDED),
            {QVariant::fromValue(QDBusObjectPath(sms)), false});
        Reply(message, {QVariant::fromValue(QDBusObjectPath(sms))});
        return true;
    }
    if (message.interface() == QLatin1String(MM_DBUS_INTERFACE_MODEM_MESSAGING)
        && member == QLatin1String(MM_MODEM_MESSAGING_METHOD_DELETE)
        && message.signature() == QLatin1String("o")) {
        const QString sms = message.arguments().at(0).value<QDBusObjectPath>().path();
        Log(QStringLiteral("Delete\t%1").arg(sms));
        if (Faulted(message))
            return true;
        if (!modem.messages.removeOne(sms)) {
            Fail(message, kInvalidArgs, QStringLiteral("No such message"));
            return true;
        }
        messages_.remove(sms);
        Emit(path, QStringLiteral(MM_DBUS_INTERFACE_MODEM_MESSAGING),
            QStringLiteral(MM_MODEM_MESSAGING_SIGNAL_DELETED),
            {QVariant::fromValue(QDBusObjectPath(sms))});
        Reply(message);
        return true;
    }
    Fail(message, kUnknownMethod, member);
    return true;
}

bool FakeModemManager::HandleCall(const QDBusMessage& message)
{
    const QString path = message.path();
    const QString member = message.member();
    if (message.interface() != QLatin1String(MM_DBUS_INTERFACE_CALL)) {
        Fail(message, kUnknownMethod, member);
        return true;
    }
    Log(QStringLiteral("%1\t%2").arg(member, path));
    if (Faulted(message))
        return true;
    if (member == QLatin1String(MM_CALL_METHOD_HANGUP)) {
        if (calls_[path].state != MM_CALL_STATE_TERMINATED)
            SetCallState(path, MM_CALL_STATE_TERMINATED);
    } else if (member == QLatin1String(MM_CALL_METHOD_START)) {
        SetCallState(path, MM_CALL_STATE_DIALING);
    } else if (member == QLatin1String(MM_CALL_METHOD_ACCEPT)) {
        SetCallState(path, MM_CALL_STATE_ACTIVE);
    } else {
        Fail(message, kUnknownMethod, member);
        return true;
    }
    Reply(message);
    return true;
}

bool FakeModemManager::HandleSms(const QDBusMessage& message)
{
    const QString path = message.path();
    if (message.interface() != QLatin1String(MM_DBUS_INTERFACE_SMS)
        || message.member() != QLatin1String(MM_SMS_METHOD_SEND)) {
        Fail(message, kUnknownMethod, message.member());
        return true;
    }
    Log(QStringLiteral("Send\t%1").arg(path));
    if (Faulted(message))
        return true;
    messages_[path].state = MM_SMS_STATE_SENT;
    // The network's one-octet reference wraps.
    messages_[path].reference = nextReference_++ % 256;
    Reply(message);
    return true;
}

bool FakeModemManager::HandleControl(const QDBusMessage& message)
{
    const QString member = message.member();
    const QVariantList arguments = message.arguments();
    const QString first = arguments.value(0).toString();
    if (member == QLatin1String("AddModem")) {
        Reply(message, {AddModem(arguments.value(0).toBool())});
    } else if (member == QLatin1String("RemoveModem")) {
        RemoveModem(first);
        Reply(message);
    } else if (member == QLatin1String("IncomingCall")) {
        const QString modem = FirstVoiceModem();
        QString call;
        if (!modem.isEmpty()) {
            call = NewCall(modem, MM_CALL_DIRECTION_INCOMING, MM_CALL_STATE_RINGING_IN, first);
            Emit(modem, QStringLiteral(MM_DBUS_INTERFACE_MODEM_VOICE),
                QStringLiteral(MM_MODEM_VOICE_SIGNAL_CALLADDED),
                {QVariant::fromValue(QDBusObjectPath(call))});
        }
        Reply(message, {call});
    } else if (member == QLatin1String("AnnounceVanishedCall")) {
        // A call announced whose object is gone before anyone reads it.
        const QString call = QStringLiteral(MM_DBUS_CALL_PREFIX "/%1").arg(nextCall_++);
        Emit(FirstVoiceModem(), QStringLiteral(MM_DBUS_INTERFACE_MODEM_VOICE),
            QStringLiteral(MM_MODEM_VOICE_SIGNAL_CALLADDED),
            {QVariant::fromValue(QDBusObjectPath(call))});
        Reply(message, {call});
    } else if (member == QLatin1String("SetCallState")) {
        if (calls_.contains(first))
            SetCallState(first, arguments.value(1).toInt());
        Reply(message);
    } else if (member == QLatin1String("SetCallNumber")) {
        if (calls_.contains(first)) {
            calls_[first].number = arguments.value(1).toString();
            QVariantMap changed;
            changed.insert(QStringLiteral(MM_CALL_PROPERTY_NUMBER), calls_[first].number);
            Emit(first, kProperties, QStringLiteral("PropertiesChanged"),
                {QStringLiteral(MM_DBUS_INTERFACE_CALL), changed, QStringList()});
        }
        Reply(message);
    } else if (member == QLatin1String("DeleteCall")) {
        DeleteCall(first);
        Reply(message);
    } else if (member == QLatin1String("SetFault")) {
        if (arguments.value(1).toString().isEmpty())
            faults_.remove(first);
        else
            faults_[first] = arguments.value(1).toString();
        Reply(message);
    } else if (member == QLatin1String("Report")) {
        // The network's status report on a sent message, as a received
        // message of its own; a number given stands for another's report.
        const Message sent = messages_.value(first);
        const QString report = QStringLiteral(MM_DBUS_SMS_PREFIX "/%1").arg(nextMessage_++);
        Message& added = messages_[report];
        added = {sent.modem, arguments.size() > 2 ? arguments.value(2).toString() : sent.number,
            QString(), MM_SMS_STATE_RECEIVED};
        added.pduType = MM_SMS_PDU_TYPE_STATUS_REPORT;
        added.reference = sent.reference;
        added.deliveryState = arguments.value(1).toUInt();
        modems_[sent.modem].messages.append(report);
        Emit(sent.modem, QStringLiteral(MM_DBUS_INTERFACE_MODEM_MESSAGING),
            QStringLiteral(MM_MODEM_MESSAGING_SIGNAL_ADDED),
            {QVariant::fromValue(QDBusObjectPath(report)), true});
        Reply(message, {report});
    } else if (member == QLatin1String("Log")) {
        Reply(message, {log_});
    } else {
        Fail(message, kUnknownMethod, member);
    }
    return true;
}

QString FakeModemManager::AddModem(bool voice)
{
    const QString path = QStringLiteral(MM_DBUS_MODEM_PREFIX "/%1").arg(nextModem_++);
    modems_[path].voice = voice;
    Emit(QStringLiteral(MM_DBUS_PATH), kObjectManager, QStringLiteral("InterfacesAdded"),
        {QVariant::fromValue(QDBusObjectPath(path)), QVariant::fromValue(ModemInterfaces(path))});
    return path;
}

void FakeModemManager::RemoveModem(const QString& path)
{
    if (!modems_.contains(path))
        return;
    const QStringList interfaces = ModemInterfaces(path).keys();
    // Its calls and messages vanish with it, without a word.
    for (const QString& call : modems_[path].calls)
        calls_.remove(call);
    for (const QString& sms : modems_[path].messages)
        messages_.remove(sms);
    modems_.remove(path);
    Emit(QStringLiteral(MM_DBUS_PATH), kObjectManager, QStringLiteral("InterfacesRemoved"),
        {QVariant::fromValue(QDBusObjectPath(path)), interfaces});
}

QString FakeModemManager::NewCall(
    const QString& modem, int direction, int state, const QString& number)
{
    const QString path = QStringLiteral(MM_DBUS_CALL_PREFIX "/%1").arg(nextCall_++);
    calls_[path] = {modem, direction, state, number};
    modems_[modem].calls.append(path);
    return path;
}

void FakeModemManager::SetCallState(const QString& path, int state)
{
    const int old = calls_[path].state;
    calls_[path].state = state;
    Emit(path, QStringLiteral(MM_DBUS_INTERFACE_CALL), QStringLiteral(MM_CALL_SIGNAL_STATECHANGED),
        {old, state, uint(MM_CALL_STATE_REASON_UNKNOWN)});
    QVariantMap changed;
    changed.insert(QStringLiteral(MM_CALL_PROPERTY_STATE), state);
    Emit(path, kProperties, QStringLiteral("PropertiesChanged"),
        {QStringLiteral(MM_DBUS_INTERFACE_CALL), changed, QStringList()});
}

void FakeModemManager::DeleteCall(const QString& path)
{
    if (!calls_.contains(path))
        return;
    const QString modem = calls_[path].modem;
    calls_.remove(path);
    modems_[modem].calls.removeOne(path);
    Emit(modem, QStringLiteral(MM_DBUS_INTERFACE_MODEM_VOICE),
        QStringLiteral(MM_MODEM_VOICE_SIGNAL_CALLDELETED),
        {QVariant::fromValue(QDBusObjectPath(path))});
}

QString FakeModemManager::FirstVoiceModem() const
{
    for (auto it = modems_.begin(); it != modems_.end(); ++it)
        if (it->voice)
            return it.key();
    return {};
}

QMap<QString, QVariantMap> FakeModemManager::ModemInterfaces(const QString& path) const
{
    const Modem modem = modems_.value(path);
    InterfaceMap interfaces;
    QVariantMap general;
    general.insert(QStringLiteral(MM_MODEM_PROPERTY_MANUFACTURER), QStringLiteral("Pelmora Test"));
    general.insert(QStringLiteral(MM_MODEM_PROPERTY_MODEL),
        modem.voice ? QStringLiteral("Voice Modem") : QStringLiteral("Data Modem"));
    general.insert(QStringLiteral(MM_MODEM_PROPERTY_STATE), int(MM_MODEM_STATE_REGISTERED));
    interfaces.insert(QStringLiteral(MM_DBUS_INTERFACE_MODEM), general);
    if (modem.voice) {
        QVariantMap voice;
        voice.insert(QStringLiteral(MM_MODEM_VOICE_PROPERTY_CALLS), Paths(modem.calls));
        voice.insert(QStringLiteral(MM_MODEM_VOICE_PROPERTY_EMERGENCYONLY), false);
        interfaces.insert(QStringLiteral(MM_DBUS_INTERFACE_MODEM_VOICE), voice);
    }
    QVariantMap messaging;
    messaging.insert(QStringLiteral(MM_MODEM_MESSAGING_PROPERTY_MESSAGES), Paths(modem.messages));
    messaging.insert(
        QStringLiteral(MM_MODEM_MESSAGING_PROPERTY_DEFAULTSTORAGE), uint(MM_SMS_STORAGE_ME));
    interfaces.insert(QStringLiteral(MM_DBUS_INTERFACE_MODEM_MESSAGING), messaging);
    return interfaces;
}

QVariantMap FakeModemManager::CallProperties(const QString& path) const
{
    const Call call = calls_.value(path);
    QVariantMap properties;
    properties.insert(QStringLiteral(MM_CALL_PROPERTY_STATE), call.state);
    properties.insert(
        QStringLiteral(MM_CALL_PROPERTY_STATEREASON), int(MM_CALL_STATE_REASON_UNKNOWN));
    properties.insert(QStringLiteral(MM_CALL_PROPERTY_DIRECTION), call.direction);
    properties.insert(QStringLiteral(MM_CALL_PROPERTY_NUMBER), call.number);
    properties.insert(QStringLiteral(MM_CALL_PROPERTY_MULTIPARTY), false);
    return properties;
}

QVariantMap FakeModemManager::SmsProperties(const QString& path) const
{
    const Message sms = messages_.value(path);
    QVariantMap properties;
    properties.insert(QStringLiteral(MM_SMS_PROPERTY_STATE), sms.state);
    properties.insert(QStringLiteral(MM_SMS_PROPERTY_NUMBER), sms.number);
    properties.insert(QStringLiteral(MM_SMS_PROPERTY_TEXT), sms.text);
    properties.insert(QStringLiteral(MM_SMS_PROPERTY_PDUTYPE), sms.pduType);
    properties.insert(QStringLiteral(MM_SMS_PROPERTY_MESSAGEREFERENCE), sms.reference);
    properties.insert(QStringLiteral(MM_SMS_PROPERTY_DELIVERYSTATE), sms.deliveryState);
    properties.insert(QStringLiteral(MM_SMS_PROPERTY_DELIVERYREPORTREQUEST), sms.reportRequested);
    return properties;
}
