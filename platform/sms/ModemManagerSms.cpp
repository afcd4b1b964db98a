#include "platform/sms/ModemManagerSms.h"

#include "platform/modem/ModemManagerClient.h"
#include "platform/sms/DeliveryStates.h"

#include <ModemManager.h>

#include <QDBusArgument>
#include <QDBusObjectPath>
#include <QTimer>
#include <QVariantMap>

#include <algorithm>
#include <utility>

namespace pelmora {

namespace {

const QString kService = QStringLiteral(MM_DBUS_SERVICE);
const QString kMessaging = QStringLiteral(MM_DBUS_INTERFACE_MODEM_MESSAGING);
const QString kSms = QStringLiteral(MM_DBUS_INTERFACE_SMS);
const QString kProperties = QStringLiteral("org.freedesktop.DBus.Properties");
const QString kGetAll = QStringLiteral("GetAll");
// Status reports kept for a message whose reference is still being read.
constexpr size_t kMostEarlyReports = 16;

// Numbers as the network writes them back may gain a country code: the
// last digits decide.
bool SameNumber(const QString& a, const QString& b)
{
    const auto digits = [](const QString& number) {
        QString out;
        for (const QChar c : number)
            if (c.isDigit())
                out += c;
        return out;
    };
    const QString x = digits(a);
    const QString y = digits(b);
    const qsizetype n = std::min<qsizetype>({7, x.size(), y.size()});
    return x.right(n) == y.right(n);
}

SmsUpdate Refused(const QString& step, const QDBusMessage& reply)
{
    const QString why
        = reply.type() == QDBusMessage::ErrorMessage && !reply.errorMessage().isEmpty()
        ? reply.errorMessage()
        : QStringLiteral("unexpected reply");
    return {SmsStatus::Refused,
        QStringLiteral("ModemManager could not %1 it: %2").arg(step, why).toStdU16String()};
}

} // namespace

ModemManagerSms::ModemManagerSms(ModemManagerClient& client, int reportWaitMs)
    : client_(client)
    , reportWaitMs_(reportWaitMs)
{
    // Reports come as messages added to any modem.
    client_.Bus().connect(kService, QString(), kMessaging,
        QStringLiteral(MM_MODEM_MESSAGING_SIGNAL_ADDED), this, SLOT(OnMessageAdded(QDBusMessage)));
    connect(&client_, &ModemManagerClient::ModemsChanged, this, &ModemManagerSms::OnModemsChanged);
}

ModemManagerSms::~ModemManagerSms()
{
    client_.Bus().disconnect(kService, QString(), kMessaging,
        QStringLiteral(MM_MODEM_MESSAGING_SIGNAL_ADDED), this, SLOT(OnMessageAdded(QDBusMessage)));
    for (const auto& [path, message] : messages_)
        Delete(path, message.modem);
}

void ModemManagerSms::StartSend(
    std::u16string_view number, std::u16string_view text, SmsPath, SmsSendDone done)
{
    // The keys ModemManager's Create takes.
    QVariantMap properties;
    properties.insert(QStringLiteral("number"), QString::fromStdU16String(std::u16string(number)));
    properties.insert(QStringLiteral("text"), QString::fromStdU16String(std::u16string(text)));
    properties.insert(QStringLiteral("delivery-report-request"), true);
    if (client_.MessagingModem()) {
        Create(properties, std::move(done));
        return;
    }
    // What is known may be a moment old: a modem that has just come is asked.
    client_.RefreshLater(this, [this, properties, done = std::move(done)]() mutable {
        Create(properties, std::move(done));
    });
}

void ModemManagerSms::Create(const QVariantMap& properties, SmsSendDone done)
{
    const std::optional<ModemInfo> modem = client_.MessagingModem();
    if (!modem) {
        done({SmsStatus::Refused, u"no modem that can send texts is there"});
        return;
    }
    const QString modemPath = modem->path;
    const QString number = properties.value(QStringLiteral("number")).toString();
    client_.CallLater(this, modemPath, kMessaging, QStringLiteral(MM_MODEM_MESSAGING_METHOD_CREATE),
        {properties},
        [this, modemPath, number, done = std::move(done)](const QDBusMessage& created) mutable {
            if (created.type() != QDBusMessage::ReplyMessage
                || created.signature() != QLatin1String("o")) {
                done(Refused(QStringLiteral("create"), created));
                return;
            }
            const QString path = created.arguments().at(0).value<QDBusObjectPath>().path();
            messages_[path] = {modemPath, number, nullptr, std::nullopt, nullptr};
            client_.CallLater(
                this, path, kSms, QStringLiteral(MM_SMS_METHOD_SEND), {},
                [this, path, done = std::move(done)](
                    const QDBusMessage& sent) mutable { OnSent(path, sent, std::move(done)); },
                client_.Timeouts().sendMs);
        });
}

void ModemManagerSms::OnSent(const QString& path, const QDBusMessage& reply, SmsSendDone done)
{
    auto it = messages_.find(path);
    if (it == messages_.end()) {
        done({SmsStatus::Refused, u"the modem went away"});
        return;
    }
    if (reply.type() != QDBusMessage::ReplyMessage) {
        Delete(path, it->second.modem);
        messages_.erase(it);
        done(Refused(QStringLiteral("send"), reply));
        return;
    }
    Message& message = it->second;
    message.done = done;
    message.timer = new QTimer(this);
    message.timer->setSingleShot(true);
    connect(message.timer, &QTimer::timeout, this, [this, path] {
        Settle(path, {SmsStatus::NoReport, u"no report came within a day"});
    });
    message.timer->start(reportWaitMs_);
    // The network's reference for the message, which its report carries.
    client_.CallLater(this, path, kProperties, kGetAll, {kSms},
        [this, path](const QDBusMessage& read) { OnReference(path, read); });
    done({SmsStatus::Sent, {}, true});
}

void ModemManagerSms::OnReference(const QString& path, const QDBusMessage& reply)
{
    auto it = messages_.find(path);
    if (it == messages_.end() || reply.type() != QDBusMessage::ReplyMessage
        || reply.signature() != QLatin1String("a{sv}"))
        return; // without it no report can be matched: the wait runs out
    const auto properties = qdbus_cast<QVariantMap>(reply.arguments().at(0));
    const QVariant reference = properties.value(QStringLiteral(MM_SMS_PROPERTY_MESSAGEREFERENCE));
    if (!reference.isValid())
        return;
    it->second.reference = reference.toUInt();
    for (auto report = early_.begin(); report != early_.end(); ++report) {
        if (Match(*report) == it) {
            const Report found = *report;
            early_.erase(report);
            Take(it, found);
            return;
        }
    }
}

void ModemManagerSms::OnMessageAdded(const QDBusMessage& message)
{
    if (message.signature() != QLatin1String("ob") || messages_.empty())
        return;
    const QString path = message.arguments().at(0).value<QDBusObjectPath>().path();
    if (!message.arguments().at(1).toBool())
        return; // one being sent, maybe ours
    const QString modem = message.path();
    client_.CallLater(this, path, kProperties, kGetAll, {kSms},
        [this, path, modem](const QDBusMessage& read) { OnReportRead(path, modem, read); });
}

void ModemManagerSms::OnReportRead(
    const QString& path, const QString& modem, const QDBusMessage& reply)
{
    if (reply.type() != QDBusMessage::ReplyMessage || reply.signature() != QLatin1String("a{sv}"))
        return;
    const auto properties = qdbus_cast<QVariantMap>(reply.arguments().at(0));
    const uint32_t type = properties.value(QStringLiteral(MM_SMS_PROPERTY_PDUTYPE)).toUInt();
    if (type != MM_SMS_PDU_TYPE_STATUS_REPORT
        && type != MM_SMS_PDU_TYPE_CDMA_DELIVERY_ACKNOWLEDGEMENT)
        return; // a text someone sent: not Pelmora's to touch
    const Report report {path, modem,
        properties.value(QStringLiteral(MM_SMS_PROPERTY_NUMBER)).toString(),
        properties.value(QStringLiteral(MM_SMS_PROPERTY_MESSAGEREFERENCE)).toUInt(),
        properties.value(QStringLiteral(MM_SMS_PROPERTY_DELIVERYSTATE)).toUInt()};
    const auto it = Match(report);
    if (it != messages_.end()) {
        Take(it, report);
        return;
    }
    // Its message's reference may still be on its way; a report for nobody
    // is left to whoever asked for it.
    const bool unread = std::any_of(messages_.begin(), messages_.end(),
        [&](const auto& entry) { return entry.second.modem == modem && !entry.second.reference; });
    if (unread) {
        if (early_.size() == kMostEarlyReports)
            early_.erase(early_.begin());
        early_.push_back(report);
    }
}

std::map<QString, ModemManagerSms::Message>::iterator ModemManagerSms::Match(const Report& report)
{
    return std::find_if(messages_.begin(), messages_.end(), [&](const auto& entry) {
        const Message& message = entry.second;
        return message.modem == report.modem && message.reference == report.reference
            && SameNumber(message.number, report.number);
    });
}

void ModemManagerSms::Take(std::map<QString, Message>::iterator message, const Report& report)
{
    Delete(report.path, report.modem);
    // A temporary error: the network goes on trying and reports again.
    if (const std::optional<SmsUpdate> settled = DeliveryReportOf(report.state))
        Settle(message->first, *settled);
}

void ModemManagerSms::Settle(QString path, const SmsUpdate& report)
{
    auto it = messages_.find(path);
    if (it == messages_.end() || !it->second.done)
        return;
    Message message = std::move(it->second);
    messages_.erase(it);
    if (message.timer)
        message.timer->deleteLater();
    Delete(path, message.modem);
    message.done(report);
}

void ModemManagerSms::Delete(const QString& path, const QString& modem)
{
    client_.CallAndForget(modem, kMessaging, QStringLiteral(MM_MODEM_MESSAGING_METHOD_DELETE),
        {QVariant::fromValue(QDBusObjectPath(path))});
}

void ModemManagerSms::OnModemsChanged()
{
    std::vector<QString> gone;
    for (const auto& [path, message] : messages_)
        if (!client_.Modem(message.modem))
            gone.push_back(path);
    for (const QString& path : gone) {
        auto it = messages_.find(path);
        if (it == messages_.end())
            continue;
        if (it->second.done)
            Settle(path, {SmsStatus::NoReport, u"the modem went away before a report came"});
        else
            messages_.erase(it); // Send's reply, or its time-out, still comes and finds it gone
    }
    std::erase_if(early_, [this](const Report& report) { return !client_.Modem(report.modem); });
}

} // namespace pelmora
