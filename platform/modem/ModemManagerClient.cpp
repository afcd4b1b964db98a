#include "platform/modem/ModemManagerClient.h"

#include <ModemManager.h>

#include <QDBusArgument>
#include <QDBusError>
#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>
#include <QDBusServiceWatcher>
#include <QVariantMap>

namespace pelmora {

namespace {

const QString kService = QStringLiteral(MM_DBUS_SERVICE);
const QString kPath = QStringLiteral(MM_DBUS_PATH);
// The standard interface through which ModemManager lists its modems.
const QString kObjectManager = QStringLiteral("org.freedesktop.DBus.ObjectManager");

bool SameModems(const std::map<QString, ModemInfo>& a, const std::map<QString, ModemInfo>& b)
{
    if (a.size() != b.size())
        return false;
    for (auto i = a.begin(), j = b.begin(); i != a.end(); ++i, ++j) {
        if (i->first != j->first || i->second.interfaces != j->second.interfaces
            || i->second.manufacturer != j->second.manufacturer
            || i->second.model != j->second.model)
            return false;
    }
    return true;
}

// Errors that mean nobody serves ModemManager's objects on the bus.
bool MeansAbsent(const QDBusMessage& reply)
{
    if (reply.errorName() == QLatin1String("org.freedesktop.DBus.Error.NameHasNoOwner"))
        return true;
    switch (QDBusError(reply).type()) {
    case QDBusError::ServiceUnknown:
    case QDBusError::Disconnected:
    case QDBusError::UnknownObject:
    case QDBusError::UnknownInterface:
    case QDBusError::UnknownMethod:
        return true;
    default:
        return false;
    }
}

} // namespace

bool ModemInfo::HasVoice() const
{
    return interfaces.contains(QStringLiteral(MM_DBUS_INTERFACE_MODEM_VOICE));
}

bool ModemInfo::HasMessaging() const
{
    return interfaces.contains(QStringLiteral(MM_DBUS_INTERFACE_MODEM_MESSAGING));
}

QString ModemInfo::Name() const
{
    const QString name = (manufacturer.trimmed() + u' ' + model.trimmed()).trimmed();
    return name.isEmpty() ? path : name;
}

ModemManagerClient::ModemManagerClient(QDBusConnection bus, ModemManagerTimeouts timeouts)
    : bus_(std::move(bus))
    , timeouts_(timeouts)
{
    watcher_
        = new QDBusServiceWatcher(kService, bus_, QDBusServiceWatcher::WatchForOwnerChange, this);
    connect(watcher_, &QDBusServiceWatcher::serviceOwnerChanged, this,
        [this](
            const QString&, const QString&, const QString& newOwner) { OnOwnerChanged(newOwner); });
    bus_.connect(kService, kPath, kObjectManager, QStringLiteral("InterfacesAdded"), this,
        SLOT(OnInterfacesAdded(QDBusMessage)));
    bus_.connect(kService, kPath, kObjectManager, QStringLiteral("InterfacesRemoved"), this,
        SLOT(OnInterfacesRemoved(QDBusMessage)));
    RequestModems();
}

ModemManagerClient::~ModemManagerClient()
{
    bus_.disconnect(kService, kPath, kObjectManager, QStringLiteral("InterfacesAdded"), this,
        SLOT(OnInterfacesAdded(QDBusMessage)));
    bus_.disconnect(kService, kPath, kObjectManager, QStringLiteral("InterfacesRemoved"), this,
        SLOT(OnInterfacesRemoved(QDBusMessage)));
}

QDBusMessage ModemManagerClient::MethodCall(const QString& path, const QString& interface,
    const QString& method, const QVariantList& arguments) const
{
    QDBusMessage call = QDBusMessage::createMethodCall(kService, path, interface, method);
    call.setArguments(arguments);
    call.setAutoStartService(false);
    return call;
}

QDBusMessage ModemManagerClient::CallNow(const QString& path, const QString& interface,
    const QString& method, const QVariantList& arguments, int timeoutMs)
{
    if (!bus_.isConnected())
        return MethodCall(path, interface, method, arguments)
            .createErrorReply(QDBusError::Disconnected, QStringLiteral("No system bus"));
    return bus_.call(MethodCall(path, interface, method, arguments), QDBus::Block, timeoutMs);
}

void ModemManagerClient::CallLater(QObject* context, const QString& path, const QString& interface,
    const QString& method, const QVariantList& arguments,
    std::function<void(const QDBusMessage&)> done, int timeoutMs)
{
    auto* watcher
        = new QDBusPendingCallWatcher(bus_.asyncCall(MethodCall(path, interface, method, arguments),
                                          timeoutMs > 0 ? timeoutMs : timeouts_.replyMs),
            context ? context : this);
    connect(watcher, &QDBusPendingCallWatcher::finished, watcher,
        [done = std::move(done)](QDBusPendingCallWatcher* self) {
            self->deleteLater();
            if (done)
                done(self->reply());
        });
}

void ModemManagerClient::CallAndForget(const QString& path, const QString& interface,
    const QString& method, const QVariantList& arguments)
{
    bus_.send(MethodCall(path, interface, method, arguments));
}

bool ModemManagerClient::RefreshNow()
{
    const uint64_t serial = nextSerial_++;
    const QDBusMessage reply = CallNow(
        kPath, kObjectManager, QStringLiteral("GetManagedObjects"), {}, timeouts_.replyMs);
    TakeSnapshot(reply, serial);
    return reply.type() == QDBusMessage::ReplyMessage;
}

void ModemManagerClient::RefreshLater(QObject* context, std::function<void()> done)
{
    const uint64_t serial = nextSerial_++;
    CallLater(context, kPath, kObjectManager, QStringLiteral("GetManagedObjects"), {},
        [this, serial, done = std::move(done)](const QDBusMessage& reply) {
            TakeSnapshot(reply, serial);
            if (done)
                done();
        });
}

void ModemManagerClient::RequestModems()
{
    const uint64_t serial = nextSerial_++;
    CallLater(this, kPath, kObjectManager, QStringLiteral("GetManagedObjects"), {},
        [this, serial](const QDBusMessage& reply) { TakeSnapshot(reply, serial); });
}

void ModemManagerClient::TakeSnapshot(const QDBusMessage& reply, uint64_t serial)
{
    if (serial < takenSerial_)
        return;
    if (reply.type() != QDBusMessage::ReplyMessage) {
        // A slow service keeps what is known; an absent one has no modems.
        if (MeansAbsent(reply)) {
            takenSerial_ = serial;
            Replace({});
        }
        return;
    }
    if (reply.signature() != QLatin1String("a{oa{sa{sv}}}"))
        return;
    takenSerial_ = serial;
    std::map<QString, ModemInfo> modems;
    const auto objects = reply.arguments().at(0).value<QDBusArgument>();
    objects.beginMap();
    while (!objects.atEnd()) {
        objects.beginMapEntry();
        QDBusObjectPath path;
        objects >> path;
        ModemInfo modem;
        modem.path = path.path();
        ReadInterfaces(objects, modem);
        objects.endMapEntry();
        if (modem.interfaces.contains(QStringLiteral(MM_DBUS_INTERFACE_MODEM)))
            modems[modem.path] = std::move(modem);
    }
    objects.endMap();
    Replace(std::move(modems));
}

void ModemManagerClient::ReadInterfaces(const QDBusArgument& argument, ModemInfo& modem)
{
    argument.beginMap();
    while (!argument.atEnd()) {
        QString name;
        QVariantMap properties;
        argument.beginMapEntry();
        argument >> name >> properties;
        argument.endMapEntry();
        modem.interfaces.insert(name);
        if (name == QLatin1String(MM_DBUS_INTERFACE_MODEM)) {
            modem.manufacturer
                = properties.value(QStringLiteral(MM_MODEM_PROPERTY_MANUFACTURER)).toString();
            modem.model = properties.value(QStringLiteral(MM_MODEM_PROPERTY_MODEL)).toString();
        }
    }
    argument.endMap();
}

void ModemManagerClient::OnInterfacesAdded(const QDBusMessage& message)
{
    if (message.signature() != QLatin1String("oa{sa{sv}}"))
        return;
    ModemInfo added;
    added.path = message.arguments().at(0).value<QDBusObjectPath>().path();
    ReadInterfaces(message.arguments().at(1).value<QDBusArgument>(), added);

    std::map<QString, ModemInfo> modems = modems_;
    auto it = modems.find(added.path);
    if (it == modems.end()) {
        if (added.interfaces.contains(QStringLiteral(MM_DBUS_INTERFACE_MODEM)))
            modems[added.path] = std::move(added);
    } else {
        it->second.interfaces.unite(added.interfaces);
        if (added.interfaces.contains(QStringLiteral(MM_DBUS_INTERFACE_MODEM))) {
            it->second.manufacturer = added.manufacturer;
            it->second.model = added.model;
        }
    }
    Replace(std::move(modems));
}

void ModemManagerClient::OnInterfacesRemoved(const QDBusMessage& message)
{
    if (message.signature() != QLatin1String("oas"))
        return;
    const QString path = message.arguments().at(0).value<QDBusObjectPath>().path();
    const QStringList removed = message.arguments().at(1).toStringList();
    std::map<QString, ModemInfo> modems = modems_;
    auto it = modems.find(path);
    if (it == modems.end())
        return;
    for (const QString& name : removed)
        it->second.interfaces.remove(name);
    if (!it->second.interfaces.contains(QStringLiteral(MM_DBUS_INTERFACE_MODEM)))
        modems.erase(it);
    Replace(std::move(modems));
}

void ModemManagerClient::OnOwnerChanged(const QString& newOwner)
{
    // The old owner's objects went with it, and so do its answers still on
    // their way; a new owner is asked afresh.
    takenSerial_ = nextSerial_++;
    Replace({});
    if (!newOwner.isEmpty())
        RequestModems();
}

void ModemManagerClient::Replace(std::map<QString, ModemInfo> modems)
{
    if (SameModems(modems_, modems))
        return;
    modems_ = std::move(modems);
    Q_EMIT ModemsChanged();
}

std::optional<ModemInfo> ModemManagerClient::VoiceModem() const
{
    for (const auto& [path, modem] : modems_)
        if (modem.HasVoice())
            return modem;
    return std::nullopt;
}

std::optional<ModemInfo> ModemManagerClient::MessagingModem() const
{
    for (const auto& [path, modem] : modems_)
        if (modem.HasMessaging())
            return modem;
    return std::nullopt;
}

std::optional<ModemInfo> ModemManagerClient::Modem(const QString& path) const
{
    auto it = modems_.find(path);
    if (it == modems_.end())
        return std::nullopt;
    return it->second;
}

} // namespace pelmora
