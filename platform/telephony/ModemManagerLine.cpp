#include "platform/telephony/ModemManagerLine.h"

#include "platform/modem/ModemManagerClient.h"

#include <ModemManager.h>

#include <QDBusArgument>
#include <QDBusObjectPath>
#include <QTimer>
#include <QVariantMap>

namespace pelmora {

namespace {

const QString kService = QStringLiteral(MM_DBUS_SERVICE);
const QString kVoice = QStringLiteral(MM_DBUS_INTERFACE_MODEM_VOICE);
const QString kCall = QStringLiteral(MM_DBUS_INTERFACE_CALL);
const QString kProperties = QStringLiteral("org.freedesktop.DBus.Properties");

void Retire(QTimer*& timer)
{
    if (!timer)
        return;
    timer->stop();
    timer->deleteLater();
    timer = nullptr;
}

std::optional<std::u16string> CallerId(const QString& number)
{
    if (number.isEmpty())
        return std::nullopt;
    return number.toStdU16String();
}

} // namespace

ModemManagerLine::ModemManagerLine(ModemManagerClient& client, ModemManagerLineOptions options)
    : client_(client)
    , options_(options)
{
    connect(&client_, &ModemManagerClient::ModemsChanged, this, &ModemManagerLine::OnModemsChanged);
}

ModemManagerLine::~ModemManagerLine()
{
    Stop();
}

bool ModemManagerLine::Start(TelephonyEvents* events)
{
    Stop();
    events_ = events;
    // What is known may be a moment old: a modem that has just gone must
    // not make the start succeed.
    client_.RefreshNow();
    if (!Attach()) {
        events_ = nullptr;
        return false;
    }
    return true;
}

void ModemManagerLine::Stop()
{
    events_ = nullptr;
    Detach();
}

bool ModemManagerLine::Attach()
{
    if (!modem_.isEmpty())
        return true;
    const std::optional<ModemInfo> modem = client_.VoiceModem();
    if (!modem)
        return false;
    modem_ = modem->path;
    Subscribe(true);
    Q_EMIT ModemChanged();
    return true;
}

void ModemManagerLine::Detach()
{
    if (modem_.isEmpty())
        return;
    Subscribe(false);
    modem_.clear();
    CallMap calls;
    calls.swap(calls_);
    for (auto& [path, call] : calls)
        Retire(call.timer);
    for (const auto& [path, call] : calls) {
        if (call.stage == Stage::Offered && events_)
            events_->OnDisconnected(call.id);
    }
    Q_EMIT ModemChanged();
}

void ModemManagerLine::Subscribe(bool on)
{
    // One list of hooks, made or undone.
    QDBusConnection& bus = client_.Bus();
    using Hook = bool (QDBusConnection::*)(const QString&, const QString&, const QString&,
        const QString&, const QStringList&, const QString&, QObject*, const char*);
    const Hook hook = on ? static_cast<Hook>(&QDBusConnection::connect)
                         : static_cast<Hook>(&QDBusConnection::disconnect);
    (bus.*hook)(kService, modem_, kVoice, QStringLiteral(MM_MODEM_VOICE_SIGNAL_CALLADDED), {}, {},
        this, SLOT(OnCallAdded(QDBusMessage)));
    (bus.*hook)(kService, modem_, kVoice, QStringLiteral(MM_MODEM_VOICE_SIGNAL_CALLDELETED), {}, {},
        this, SLOT(OnCallDeleted(QDBusMessage)));
    // Calls live under their own paths, so these are heard from every path.
    (bus.*hook)(kService, QString(), kCall, QStringLiteral(MM_CALL_SIGNAL_STATECHANGED), {}, {},
        this, SLOT(OnCallStateChanged(QDBusMessage)));
    (bus.*hook)(kService, QString(), kProperties, QStringLiteral("PropertiesChanged"), {kCall}, {},
        this, SLOT(OnCallPropertiesChanged(QDBusMessage)));
}

void ModemManagerLine::OnModemsChanged()
{
    if (!events_)
        return;
    if (!modem_.isEmpty()) {
        const std::optional<ModemInfo> modem = client_.Modem(modem_);
        if (modem && modem->HasVoice())
            return;
        Detach();
    }
    if (events_)
        Attach();
}

size_t ModemManagerLine::OfferedCalls() const
{
    size_t count = 0;
    for (const auto& [path, call] : calls_)
        count += call.stage == Stage::Offered ? 1 : 0;
    return count;
}

void ModemManagerLine::OnCallAdded(const QDBusMessage& message)
{
    if (message.signature() != QLatin1String("o") || message.path() != modem_)
        return;
    const QString path = message.arguments().at(0).value<QDBusObjectPath>().path();
    if (path.isEmpty() || calls_.contains(path))
        return;
    // Read at once: the phone's dialer may delete an ended call quickly.
    const CallId id = nextId_++;
    calls_[path].id = id;
    client_.CallLater(this, path, kProperties, QStringLiteral("GetAll"), {kCall},
        [this, path, id](const QDBusMessage& reply) { OnCallRead(path, id, reply); });
}

void ModemManagerLine::OnCallRead(const QString& path, CallId id, const QDBusMessage& reply)
{
    auto it = calls_.find(path);
    if (it == calls_.end() || it->second.id != id || it->second.stage != Stage::Reading)
        return;
    // A call that vanished before it could be read, or whose reading timed
    // out, is followed only when it was heard ringing in.
    if (reply.type() != QDBusMessage::ReplyMessage || reply.signature() != QLatin1String("a{sv}")) {
        if (it->second.heardRinging)
            OfferEnded(path, it->second.heardNumber, it->second.heardState);
        else
            Forget(it);
        return;
    }
    const auto properties = qdbus_cast<QVariantMap>(reply.arguments().at(0));
    bool directionValid = false;
    bool stateValid = false;
    const int direction
        = properties.value(QStringLiteral(MM_CALL_PROPERTY_DIRECTION)).toInt(&directionValid);
    const int state = properties.value(QStringLiteral(MM_CALL_PROPERTY_STATE)).toInt(&stateValid);
    const QString number = properties.value(QStringLiteral(MM_CALL_PROPERTY_NUMBER)).toString();
    // Outgoing calls, and calls already past ringing when first seen, are
    // left to the phone, unless they were heard ringing in meanwhile.
    if (!directionValid || !stateValid || direction != MM_CALL_DIRECTION_INCOMING) {
        Forget(it);
        return;
    }
    if (state != MM_CALL_STATE_RINGING_IN) {
        if (it->second.heardRinging)
            OfferEnded(path, number.isEmpty() ? it->second.heardNumber : number, state);
        else
            Forget(it);
        return;
    }
    Call& call = it->second;
    call.state = state;
    call.number = number;
    if (!call.number.isEmpty() || options_.numberWaitMs <= 0) {
        Offer(path);
        return;
    }
    call.stage = Stage::WaitingForNumber;
    StartTimer(call, path, options_.numberWaitMs, false, &ModemManagerLine::Offer);
}

void ModemManagerLine::OfferEnded(const QString& path, const QString& number, int state)
{
    auto it = calls_.find(path);
    if (it == calls_.end())
        return;
    it->second.number = number;
    it->second.state = MM_CALL_STATE_RINGING_IN;
    Offer(path);
    // What it did after ringing; a call gone without a word has ended.
    Follow(path, state == MM_CALL_STATE_RINGING_IN ? MM_CALL_STATE_TERMINATED : state);
}

void ModemManagerLine::Offer(const QString& path)
{
    auto it = calls_.find(path);
    if (it == calls_.end() || it->second.stage == Stage::Offered)
        return;
    Call& call = it->second;
    Retire(call.timer);
    call.stage = Stage::Offered;
    const CallId id = call.id;
    if (events_)
        events_->OnOffering(id, CallerId(call.number));
    // The handlers may have ended the call or the line.
    it = calls_.find(path);
    if (it == calls_.end() || it->second.state != MM_CALL_STATE_RINGING_IN)
        return;
    it->second.rings = 1;
    if (events_)
        events_->OnRing(1);
    it = calls_.find(path);
    if (it != calls_.end() && it->second.state == MM_CALL_STATE_RINGING_IN)
        StartTimer(it->second, path, options_.ringIntervalMs, true, &ModemManagerLine::Ring);
}

void ModemManagerLine::Ring(const QString& path)
{
    auto it = calls_.find(path);
    if (it == calls_.end() || it->second.stage != Stage::Offered
        || it->second.state != MM_CALL_STATE_RINGING_IN)
        return;
    const uint32_t rings = ++it->second.rings;
    if (events_)
        events_->OnRing(rings);
}

void ModemManagerLine::OnCallStateChanged(const QDBusMessage& message)
{
    if (message.signature() != QLatin1String("iiu"))
        return;
    const QString path = message.path();
    auto it = calls_.find(path);
    if (it == calls_.end())
        return;
    const int state = message.arguments().at(1).toInt();
    if (it->second.stage == Stage::Reading) {
        // Older than the reading's answer, but all there is of a call that
        // ends before the answer comes.
        const int old = message.arguments().at(0).toInt();
        it->second.heardRinging = it->second.heardRinging || old == MM_CALL_STATE_RINGING_IN
            || state == MM_CALL_STATE_RINGING_IN;
        it->second.heardState = state;
        return;
    }
    if (it->second.stage == Stage::WaitingForNumber) {
        // It stops waiting: what happens to the call must be told in order.
        it->second.state = state;
        Offer(path);
    }
    Follow(path, state);
}

void ModemManagerLine::Follow(const QString& path, int state)
{
    auto it = calls_.find(path);
    if (it == calls_.end() || it->second.stage != Stage::Offered)
        return;
    Call& call = it->second;
    call.state = state;
    if (state != MM_CALL_STATE_RINGING_IN)
        Retire(call.timer);
    if (state == MM_CALL_STATE_ACTIVE && !call.connected) {
        call.connected = true;
        if (events_)
            events_->OnConnected(call.id);
    } else if (state == MM_CALL_STATE_TERMINATED) {
        End(path);
    }
}

void ModemManagerLine::OnCallDeleted(const QDBusMessage& message)
{
    if (message.signature() != QLatin1String("o") || message.path() != modem_)
        return;
    const QString path = message.arguments().at(0).value<QDBusObjectPath>().path();
    auto it = calls_.find(path);
    if (it == calls_.end())
        return;
    if (it->second.stage == Stage::Reading) {
        if (it->second.heardRinging)
            OfferEnded(path, it->second.heardNumber, MM_CALL_STATE_TERMINATED);
        else
            Forget(it);
        return;
    }
    // A call deleted before it was seen to terminate has ended all the same.
    Offer(path);
    End(path);
}

void ModemManagerLine::OnCallPropertiesChanged(const QDBusMessage& message)
{
    if (message.signature() != QLatin1String("sa{sv}as"))
        return;
    auto it = calls_.find(message.path());
    if (it == calls_.end() || it->second.stage == Stage::Offered)
        return;
    const auto changed = qdbus_cast<QVariantMap>(message.arguments().at(1));
    const QString number = changed.value(QStringLiteral(MM_CALL_PROPERTY_NUMBER)).toString();
    if (number.isEmpty())
        return;
    if (it->second.stage == Stage::Reading) {
        it->second.heardNumber = number;
        return;
    }
    it->second.number = number;
    Offer(message.path());
}

void ModemManagerLine::End(const QString& path)
{
    auto it = calls_.find(path);
    if (it == calls_.end())
        return;
    const CallId id = it->second.id;
    const bool offered = it->second.stage == Stage::Offered;
    Forget(it);
    if (offered && events_)
        events_->OnDisconnected(id);
}

void ModemManagerLine::Forget(CallMap::iterator it)
{
    Retire(it->second.timer);
    calls_.erase(it);
}

void ModemManagerLine::StartTimer(Call& call, const QString& path, int intervalMs, bool repeat,
    void (ModemManagerLine::*handler)(const QString&))
{
    Retire(call.timer);
    call.timer = new QTimer(this);
    // Rings are never counted early.
    call.timer->setTimerType(Qt::PreciseTimer);
    call.timer->setSingleShot(!repeat);
    call.timer->setInterval(intervalMs);
    connect(call.timer, &QTimer::timeout, this, [this, path, handler] { (this->*handler)(path); });
    call.timer->start();
}

void ModemManagerLine::Drop(CallId id)
{
    for (const auto& [path, call] : calls_) {
        if (call.id == id && call.stage == Stage::Offered) {
            // Not waited for: the call's termination, or the next ring's
            // new request, follows.
            client_.CallAndForget(path, kCall, QStringLiteral(MM_CALL_METHOD_HANGUP), {});
            return;
        }
    }
}

void ModemManagerLine::PlaceCall(std::u16string_view number)
{
    const QString text = QString::fromStdU16String(std::u16string(number));
    if (!modem_.isEmpty()) {
        CreateCall(modem_, text);
        return;
    }
    if (std::optional<ModemInfo> voice = client_.VoiceModem()) {
        CreateCall(voice->path, text);
        return;
    }
    // What is known may be a moment old: a modem that has just come is asked.
    client_.RefreshLater(this, [this, text] {
        if (std::optional<ModemInfo> voice = client_.VoiceModem())
            CreateCall(voice->path, text);
    });
}

void ModemManagerLine::CreateCall(const QString& modem, const QString& number)
{
    QVariantMap properties;
    properties.insert(QStringLiteral("number"), number);
    client_.CallLater(this, modem, kVoice, QStringLiteral(MM_MODEM_VOICE_METHOD_CREATECALL),
        {properties}, [this](const QDBusMessage& reply) {
            if (reply.type() != QDBusMessage::ReplyMessage
                || reply.signature() != QLatin1String("o"))
                return;
            const QString call = reply.arguments().at(0).value<QDBusObjectPath>().path();
            client_.CallAndForget(call, kCall, QStringLiteral(MM_CALL_METHOD_START), {});
        });
}

} // namespace pelmora
