#pragma once

#include "schedule/WeeklySchedule.h"

#include <QDateTime>
#include <QLocale>
#include <QString>
#include <QTimeZone>

#include <functional>
#include <optional>

namespace pelmora {

// What the schedule needs of the main window.
class ScheduleTarget {
public:
    virtual ~ScheduleTarget() = default;
    virtual int32_t ScheduleActiveProfileId() const = 0;
    // False when no profile has this id.
    virtual bool ScheduleSetActiveProfile(int32_t id) = 0;
    virtual bool ScheduleIsMonitoring() const = 0;
    // Empty when monitoring started, else why not (the text the Start
    // button's message box would have shown).
    virtual QString ScheduleStart() = 0;
    virtual void ScheduleStop() = 0;
    // Tells the user without a message box: nobody may be looking.
    virtual void ScheduleTellUser(const QString& text) = 0;
    // One wake-up at `at`, replacing the one armed before; none disarms.
    virtual void ScheduleWakeAt(const std::optional<QDateTime>& at) = 0;
};

// Applies the weekly schedule to the window: at a window's start monitoring
// starts with its profile (or stops, for an "off" window), at its end it
// stops and the profile from before comes back. It acts only when the
// window in force changes, so a Start or Stop by hand inside a window holds
// until the next boundary.
class ScheduleRunner final {
public:
    using Clock = std::function<QDateTime()>;

    ScheduleRunner(ScheduleTarget& target, Clock clock, QTimeZone zone);

    const WeeklySchedule& Schedule() const { return schedule_; }
    // A new schedule takes effect at once: a window it no longer has ends.
    void SetSchedule(WeeklySchedule schedule);
    // At start, at each wake-up, after a clock change or a resume.
    void Evaluate();

    std::optional<ScheduleChange> NextChange() const;
    // The profile the user had before the window in force took over.
    std::optional<int32_t> ProfileBefore() const { return profileBefore_; }
    // "Schedule: Sleeping from 23:00", "Schedule: off from 09:00",
    // "Schedule: ends at 07:00"; empty without a schedule.
    QString NextChangeText(const std::function<QString(int32_t)>& profileName) const;

private:
    ScheduleTarget& target_;
    Clock clock_;
    QTimeZone zone_;
    WeeklySchedule schedule_;
    // The window applied last, as it was then; none outside every window.
    std::optional<ScheduleWindow> applied_;
    // The profile active before the schedule took over.
    std::optional<int32_t> profileBefore_;
};

} // namespace pelmora
