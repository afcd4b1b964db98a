#include "platform/modem/HomeCountryProbe.h"

#include "platform/modem/ModemManagerClient.h"

#include <QDBusMessage>
#include <QDBusVariant>

#include <ModemManager.h>

namespace pelmora {

namespace {

const QString kProperties = QStringLiteral("org.freedesktop.DBus.Properties");

QVariant PropertyOf(const QDBusMessage& reply)
{
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty())
        return {};
    return reply.arguments().constFirst().value<QDBusVariant>().variant();
}

} // namespace

void ProbeHomeCountry(ModemManagerClient& client, QObject* context,
    std::function<void(std::optional<HomeCountry>)> done)
{
    const std::optional<ModemInfo> modem = client.VoiceModem();
    if (!modem) {
        done(std::nullopt);
        return;
    }
    const QString path = modem->path;
    client.CallLater(context, path, kProperties, QStringLiteral("Get"),
        {QStringLiteral(MM_DBUS_INTERFACE_MODEM_MODEM3GPP), QStringLiteral("OperatorCode")},
        [&client, context, path, done](const QDBusMessage& operatorReply) {
            const QString operatorCode = PropertyOf(operatorReply).toString();
            client.CallLater(context, path, kProperties, QStringLiteral("Get"),
                {QStringLiteral(MM_DBUS_INTERFACE_MODEM), QStringLiteral("OwnNumbers")},
                [operatorCode, done](const QDBusMessage& numbersReply) {
                    done(HomeCountryOf(operatorCode, PropertyOf(numbersReply).toStringList()));
                });
        });
}

} // namespace pelmora
