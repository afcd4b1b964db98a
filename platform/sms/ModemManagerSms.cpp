#include "platform/sms/ModemManagerSms.h"

#include "platform/modem/ModemManagerClient.h"

#include <ModemManager.h>

#include <QDBusObjectPath>
#include <QVariantMap>

namespace pelmora {

ModemManagerSms::ModemManagerSms(ModemManagerClient& client)
    : client_(client)
{
}

bool ModemManagerSms::Send(std::u16string_view number, std::u16string_view text, SmsPath)
{
    std::optional<ModemInfo> modem = client_.MessagingModem();
    if (!modem && client_.RefreshNow())
        modem = client_.MessagingModem();
    if (!modem)
        return false;

    const QString messaging = QStringLiteral(MM_DBUS_INTERFACE_MODEM_MESSAGING);
    // The keys ModemManager's Create takes for the message's number and text.
    QVariantMap properties;
    properties.insert(QStringLiteral("number"), QString::fromStdU16String(std::u16string(number)));
    properties.insert(QStringLiteral("text"), QString::fromStdU16String(std::u16string(text)));
    const QDBusMessage created = client_.CallNow(modem->path, messaging,
        QStringLiteral(MM_MODEM_MESSAGING_METHOD_CREATE), {properties}, client_.Timeouts().replyMs);
    if (created.type() != QDBusMessage::ReplyMessage || created.signature() != QLatin1String("o"))
        return false;
    const QDBusObjectPath message = created.arguments().at(0).value<QDBusObjectPath>();

    const QDBusMessage sent = client_.CallNow(message.path(), QStringLiteral(MM_DBUS_INTERFACE_SMS),
        QStringLiteral(MM_SMS_METHOD_SEND), {}, client_.Timeouts().sendMs);
    client_.CallAndForget(modem->path, messaging, QStringLiteral(MM_MODEM_MESSAGING_METHOD_DELETE),
        {QVariant::fromValue(message)});
    return sent.type() == QDBusMessage::ReplyMessage;
}

} // namespace pelmora
