#include "platform/ActiveBackends.h"

#include "platform/sms/ModemManagerSms.h"
#include "platform/sms/Outbox.h"
#include "platform/telephony/ModemManagerLine.h"
#include "platform/telephony/SimulatedLine.h"

#include <cmath>
#include <cstdio>

namespace pelmora {

namespace {

const ActiveBackends* g_installed = nullptr;

void PrintToStandardError(const QString& line)
{
    std::fprintf(stderr, "pelmora: %s\n", line.toLocal8Bit().constData());
}

} // namespace

std::optional<BackendKind> BackendKindFromName(const QString& name)
{
    if (name == QLatin1String("simulated"))
        return BackendKind::Simulated;
    if (name == QLatin1String("modemmanager"))
        return BackendKind::ModemManager;
    return std::nullopt;
}

std::optional<int> RingIntervalFromText(const QString& seconds)
{
    bool ok = false;
    const double value = seconds.trimmed().toDouble(&ok);
    if (!ok || !std::isfinite(value) || value < 0.01 || value > 60)
        return std::nullopt;
    return static_cast<int>(std::lround(value * 1000));
}

std::unique_ptr<ActiveBackends> ActiveBackends::Choose(const BackendRequest& request,
    QString* error, QDBusConnection bus, ModemManagerTimeouts timeouts)
{
    std::optional<BackendKind> forced;
    if (!request.backend.isEmpty()) {
        forced = BackendKindFromName(request.backend);
        if (!forced) {
            if (error)
                *error = QStringLiteral("unknown backend \"%1\"; use simulated or modemmanager")
                             .arg(request.backend);
            return nullptr;
        }
    }
    std::unique_ptr<ActiveBackends> active(new ActiveBackends);
    ModemManagerLineOptions options;
    if (!request.ringIntervalSeconds.isEmpty()) {
        if (const std::optional<int> interval = RingIntervalFromText(request.ringIntervalSeconds))
            options.ringIntervalMs = *interval;
        else
            active->notices_ << QStringLiteral("PELMORA_RING_INTERVAL must be seconds between "
                                               "0.01 and 60; rings are counted every 5 seconds");
    }

    if (forced != BackendKind::Simulated) {
        auto client = std::make_unique<ModemManagerClient>(std::move(bus), timeouts);
        client->RefreshNow();
        active->noModemFound_ = !client->VoiceModem();
        if (forced == BackendKind::ModemManager || !active->noModemFound_) {
            active->kind_ = BackendKind::ModemManager;
            active->client_ = std::move(client);
            active->modemLine_ = std::make_unique<ModemManagerLine>(*active->client_, options);
            active->modemSms_ = std::make_unique<ModemManagerSms>(*active->client_);
            if (active->noModemFound_)
                active->notices_ << QStringLiteral(
                    "ModemManager has no voice modem; monitoring cannot start until it has one");
        }
    }
    if (active->kind_ == BackendKind::Simulated) {
        active->simulatedLine_ = std::make_unique<SimulatedLine>();
        active->outbox_ = std::make_unique<OutboxSmsBackend>(request.dataDir);
        if (active->noModemFound_)
            active->notices_ << QStringLiteral("no voice modem found; calls come from the "
                                               "simulated line and messages go to %1")
                                    .arg(QString::fromStdString(active->outbox_->File().string()));
    }
    active->Install();
    return active;
}

void ActiveBackends::Install()
{
    if (modemLine_) {
        SetTelephonyBackend(modemLine_.get());
        SetSmsBackend(modemSms_.get());
    } else {
        SetTelephonyBackend(simulatedLine_.get());
        SetSmsBackend(outbox_.get());
    }
    g_installed = this;
}

ActiveBackends::~ActiveBackends()
{
    if (g_installed == this) {
        SetTelephonyBackend(nullptr);
        SetSmsBackend(nullptr);
        g_installed = nullptr;
    }
}

QString ActiveBackends::Description() const
{
    if (kind_ == BackendKind::Simulated) {
        return noModemFound_ ? QStringLiteral("Simulated line and outbox: no voice modem found")
                             : QStringLiteral("Simulated line and outbox");
    }
    const QString& followed = modemLine_->Modem();
    const std::optional<ModemInfo> modem
        = followed.isEmpty() ? client_->VoiceModem() : client_->Modem(followed);
    return modem ? QStringLiteral("ModemManager: %1").arg(modem->Name())
                 : QStringLiteral("ModemManager: no voice modem");
}

std::unique_ptr<ActiveBackends> ChooseBackends(
    const QString& backendOption, const std::filesystem::path& dataDir)
{
    BackendRequest request;
    request.backend
        = backendOption.isEmpty() ? qEnvironmentVariable("PELMORA_BACKEND") : backendOption;
    request.ringIntervalSeconds = qEnvironmentVariable("PELMORA_RING_INTERVAL");
    request.dataDir = dataDir;
    QString error;
    std::unique_ptr<ActiveBackends> active = ActiveBackends::Choose(request, &error);
    if (!active) {
        PrintToStandardError(error);
        return nullptr;
    }
    for (const QString& notice : active->Notices())
        PrintToStandardError(notice);
    return active;
}

QString BackendDescription()
{
    return g_installed ? g_installed->Description() : QString();
}

} // namespace pelmora
