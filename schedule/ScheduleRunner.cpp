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

void ScheduleRunner::SetCalendar(std::shared_ptr<const BusyTimeline> busy, int32_t profileId)
{
    busy_ = std::move(busy);
    calendarProfileId_ = profileId;
    Evaluate();
}

std::optional<BusySpan> ScheduleRunner::BusyStretch() const
{
    return busy_ ? busy_->StretchAt(clock_()) : std::nullopt;
}

std::optional<ScheduleWindow> ScheduleRunner::Forced(
    const QDateTime& at, std::optional<size_t>* windowIndex) const
{
    if (calendarProfileId_ != 0 && busy_ && busy_->StretchAt(at)) {
        ScheduleWindow calendar;
        calendar.profileId = calendarProfileId_;
        return calendar;
    }
    const std::optional<size_t> index = WindowInForce(schedule_, at, zone_);
    if (windowIndex)
        *windowIndex = index;
    return index ? std::optional(schedule_[*index]) : std::nullopt;
}

std::optional<ScheduleChange> ScheduleRunner::FindNextChange(const QDateTime& now) const
{
    if (pausedUntil_) {
        if (schedule_.empty() && calendarProfileId_ == 0)
            return std::nullopt;
        ScheduleChange change {*pausedUntil_, std::nullopt};
        change.calendar = Forced(*pausedUntil_, &change.window) && !change.window;
        return change;
    }
    // A boundary of the one may fall inside the other (a window that
    // starts during a meeting): only a change of what is forced counts.
    const std::optional<ScheduleWindow> forced = Forced(now);
    QDateTime from = now;
    for (int step = 0; step < 64; ++step) {
        std::optional<QDateTime> at;
        if (const auto next = NextScheduleChange(schedule_, from, zone_))
            at = next->at;
        if (calendarProfileId_ != 0 && busy_)
            if (const auto boundary = busy_->NextBoundary(from.toMSecsSinceEpoch())) {
                const QDateTime moment = QDateTime::fromMSecsSinceEpoch(*boundary, zone_);
                if (!at || moment < *at)
                    at = moment;
            }
        if (!at)
            return std::nullopt;
        ScheduleChange change {*at, std::nullopt};
        const std::optional<ScheduleWindow> then = Forced(*at, &change.window);
        if (then != forced) {
            change.calendar = then && !change.window;
            return change;
        }
        from = *at;
    }
    return std::nullopt;
}

void ScheduleRunner::Evaluate()
{
    const QDateTime now = clock_();
    if (pausedUntil_ && *pausedUntil_ <= now)
        pausedUntil_.reset();
    const std::optional<ScheduleWindow> window = pausedUntil_ ? std::nullopt : Forced(now);
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
    next_ = FindNextChange(now);
    target_.ScheduleWakeAt(next_ ? std::optional(next_->at) : std::nullopt);
}

void ScheduleRunner::Apply(const ScheduleWindow& window)
{
    if (!window.monitoring) {
        if (target_.ScheduleIsMonitoring())
            target_.ScheduleStop();
    } else if (!target_.ScheduleSetActiveProfile(window.profileId)) {
        target_.ScheduleTellUser(window.days == 0
                ? QStringLiteral("The calendar could not start monitoring: the profile chosen for "
                                 "busy times no longer exists.")
                : QStringLiteral(
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
    if (next->calendar)
        return QStringLiteral("Calendar: %1 from %2").arg(profileName(calendarProfileId_), when);
    if (CalendarHolds())
        return QStringLiteral("Calendar: busy until %1").arg(when);
    if (!next->window)
        return QStringLiteral("Schedule: ends at %1").arg(when);
    const ScheduleWindow& window = schedule_[*next->window];
    if (!window.monitoring)
        return QStringLiteral("Schedule: off from %1").arg(when);
    return QStringLiteral("Schedule: %1 from %2").arg(profileName(window.profileId), when);
}

} // namespace pelmora
