#include "schedule/ScheduleRunner.h"

namespace pelmora {

ScheduleRunner::ScheduleRunner(ScheduleTarget& target, Clock clock, QTimeZone zone)
    : target_(target)
    , clock_(std::move(clock))
    , zone_(std::move(zone))
{
}

void ScheduleRunner::SetSchedule(WeeklySchedule schedule)
{
    schedule_ = std::move(schedule);
    Evaluate();
}

ScheduleRunner::OwnState ScheduleRunner::Current() const
{
    return {target_.ScheduleIsMonitoring(), target_.ScheduleActiveProfileId()};
}

void ScheduleRunner::SetPause(std::optional<QDateTime> until)
{
    pausedUntil_ = std::move(until);
    Evaluate();
}

void ScheduleRunner::SetZone(QTimeZone zone)
{
    zone_ = std::move(zone);
    Evaluate();
}

void ScheduleRunner::Evaluate()
{
    const QDateTime now = clock_();
    if (pausedUntil_ && *pausedUntil_ <= now)
        pausedUntil_.reset();
    const std::optional<size_t> index
        = pausedUntil_ ? std::nullopt : WindowInForce(schedule_, now, zone_);
    const std::optional<ScheduleWindow> window
        = index ? std::optional(schedule_[*index]) : std::nullopt;
    if (window != applied_) {
        // What holds without the schedule: what held before the window that
        // ends, where no choice inside it replaced it. Windows back to back
        // pass it on without switching in between.
        OwnState own = Current();
        if (applied_) {
            if (!monitoringChosen_)
                own.monitoring = before_.monitoring;
            if (!profileChosen_)
                own.profileId = before_.profileId;
        }
        applied_ = window;
        before_ = own;
        monitoringChosen_ = profileChosen_ = false;
        if (window)
            Apply(*window);
        else
            Restore(own);
    }
    next_ = pausedUntil_ && !schedule_.empty() ? std::optional(
                ScheduleChange {*pausedUntil_, WindowInForce(schedule_, *pausedUntil_, zone_)})
                                               : NextScheduleChange(schedule_, now, zone_);
    target_.ScheduleWakeAt(next_ ? std::optional(next_->at) : std::nullopt);
}

void ScheduleRunner::Apply(const ScheduleWindow& window)
{
    if (!window.monitoring) {
        if (target_.ScheduleIsMonitoring())
            target_.ScheduleStop();
    } else if (!target_.ScheduleSetActiveProfile(window.profileId)) {
        target_.ScheduleTellUser(QStringLiteral(
            "The schedule could not start monitoring: its profile no longer exists."));
    } else if (!target_.ScheduleIsMonitoring()) {
        Start();
    }
}

void ScheduleRunner::Restore(const OwnState& own)
{
    if (!own.monitoring && target_.ScheduleIsMonitoring())
        target_.ScheduleStop();
    // A profile deleted meanwhile leaves the one in use.
    if (own.profileId != target_.ScheduleActiveProfileId())
        target_.ScheduleSetActiveProfile(own.profileId);
    if (own.monitoring && !target_.ScheduleIsMonitoring())
        Start();
}

void ScheduleRunner::Start()
{
    QString said;
    if (!target_.ScheduleStart(said))
        target_.ScheduleTellUser(
            QStringLiteral("The schedule could not start monitoring: %1").arg(said));
    else if (!said.isEmpty())
        target_.ScheduleTellUser(QStringLiteral("The schedule started monitoring. %1").arg(said));
}

void ScheduleRunner::ChoiceMade(bool monitoring, bool profile)
{
    if (!applied_)
        return;
    monitoringChosen_ = monitoringChosen_ || monitoring;
    profileChosen_ = profileChosen_ || profile;
}

bool ScheduleRunner::AutoStart()
{
    if (applied_ && !monitoringChosen_)
        before_.monitoring = true;
    return !HoldsOff();
}

std::optional<int32_t> ScheduleRunner::ProfileBefore() const
{
    if (!applied_ || profileChosen_)
        return std::nullopt;
    return before_.profileId;
}

QString ScheduleRunner::NextChangeText(const std::function<QString(int32_t)>& profileName) const
{
    const std::optional<ScheduleChange>& next = next_;
    if (!next)
        return {};
    const QString time = next->at.toTimeZone(zone_).toString(QStringLiteral("HH:mm"));
    const QDate day = next->at.toTimeZone(zone_).date();
    const QDate today = clock_().toTimeZone(zone_).date();
    // A change after today names its day.
    const QString when = day == today
        ? time
        : QStringLiteral("%1 %2").arg(
            QLocale::c().dayName(day.dayOfWeek(), QLocale::ShortFormat), time);
    if (pausedUntil_)
        return QStringLiteral("Schedule: paused until %1").arg(when);
    if (!next->window)
        return QStringLiteral("Schedule: ends at %1").arg(when);
    const ScheduleWindow& window = schedule_[*next->window];
    if (!window.monitoring)
        return QStringLiteral("Schedule: off from %1").arg(when);
    return QStringLiteral("Schedule: %1 from %2").arg(profileName(window.profileId), when);
}

} // namespace pelmora
