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

void ScheduleRunner::Evaluate()
{
    const QDateTime now = clock_();
    const std::optional<size_t> index = WindowInForce(schedule_, now, zone_);
    const std::optional<ScheduleWindow> window
        = index ? std::optional(schedule_[*index]) : std::nullopt;
    if (window != applied_) {
        const std::optional<ScheduleWindow> previous = applied_;
        applied_ = window;
        if (!window) {
            // Back to the user's own choice, as it was before.
            if (previous && previous->monitoring && target_.ScheduleIsMonitoring())
                target_.ScheduleStop();
            if (profileBefore_)
                target_.ScheduleSetActiveProfile(*profileBefore_);
            profileBefore_.reset();
        } else {
            if (!profileBefore_)
                profileBefore_ = target_.ScheduleActiveProfileId();
            if (!window->monitoring) {
                if (target_.ScheduleIsMonitoring())
                    target_.ScheduleStop();
            } else if (!target_.ScheduleSetActiveProfile(window->profileId)) {
                target_.ScheduleTellUser(
                    QStringLiteral("The schedule could not start monitoring: its profile no "
                                   "longer exists."));
            } else if (!target_.ScheduleIsMonitoring()) {
                if (const QString refusal = target_.ScheduleStart(); !refusal.isEmpty())
                    target_.ScheduleTellUser(
                        QStringLiteral("The schedule could not start monitoring: %1").arg(refusal));
            }
        }
    }
    const std::optional<ScheduleChange> next = NextScheduleChange(schedule_, now, zone_);
    target_.ScheduleWakeAt(next ? std::optional(next->at) : std::nullopt);
}

std::optional<ScheduleChange> ScheduleRunner::NextChange() const
{
    return NextScheduleChange(schedule_, clock_(), zone_);
}

QString ScheduleRunner::NextChangeText(const std::function<QString(int32_t)>& profileName) const
{
    const std::optional<ScheduleChange> next = NextChange();
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
    if (!next->window)
        return QStringLiteral("Schedule: ends at %1").arg(when);
    const ScheduleWindow& window = schedule_[*next->window];
    if (!window.monitoring)
        return QStringLiteral("Schedule: off from %1").arg(when);
    return QStringLiteral("Schedule: %1 from %2").arg(profileName(window.profileId), when);
}

} // namespace pelmora
