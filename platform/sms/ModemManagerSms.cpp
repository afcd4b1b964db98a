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

void ModemManagerSms::StartSend(
    std::u16string_view number, std::u16string_view text, SmsPath, SmsSendDone done)
{
    // The keys ModemManager's Create takes for the message's number and text.
    QVariantMap properties;
    properties.insert(QStringLiteral("number"), QString::fromStdU16String(std::u16string(number)));
    properties.insert(QStringLiteral("text"), QString::fromStdU16String(std::u16string(text)));
    if (client_.MessagingModem()) {
        Create(client_, properties, std::move(done));
        return;
    }
    // What is known may be a moment old: a modem that has just come is asked.
    ModemManagerClient* client = &client_;
    client_.RefreshLater(nullptr, [client, properties, done = std::move(done)]() mutable {
        Create(*client, properties, std::move(done));
    });
}

void ModemManagerSms::Create(
    ModemManagerClient& client, const QVariantMap& properties, SmsSendDone done)
{
    const std::optional<ModemInfo> modem = client.MessagingModem();
    if (!modem) {
        done(false);
        return;
    }
    const QString messaging = QStringLiteral(MM_DBUS_INTERFACE_MODEM_MESSAGING);
    const QString modemPath = modem->path;
    // The callbacks belong to the client, which every reply reaches first.
    ModemManagerClient* owner = &client;
    client.CallLater(nullptr, modemPath, messaging,
        QStringLiteral(MM_MODEM_MESSAGING_METHOD_CREATE), {properties},
        [owner, modemPath, messaging, done = std::move(done)](const QDBusMessage& created) mutable {
            if (created.type() != QDBusMessage::ReplyMessage
                || created.signature() != QLatin1String("o")) {
                done(false);
                return;
            }
            const auto message = created.arguments().at(0).value<QDBusObjectPath>();
            owner->CallLater(
                nullptr, message.path(), QStringLiteral(MM_DBUS_INTERFACE_SMS),
                QStringLiteral(MM_SMS_METHOD_SEND), {},
                [owner, modemPath, messaging, message, done = std::move(done)](
                    const QDBusMessage& sent) {
                    owner->CallAndForget(modemPath, messaging,
                        QStringLiteral(MM_MODEM_MESSAGING_METHOD_DELETE),
                        {QVariant::fromValue(message)});
                    done(sent.type() == QDBusMessage::ReplyMessage);
                },
                owner->Timeouts().sendMs);
        });
}

} // namespace pelmora
