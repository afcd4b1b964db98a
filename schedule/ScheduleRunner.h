#pragma once

#include "calendar/BusyTimeline.h"
#include "schedule/WeeklySchedule.h"

#include <QDateTime>
#include <QLocale>
#include <QString>
#include <QTimeZone>

#include <functional>
#include <memory>
#include <optional>

namespace pelmora {

// What the schedule needs of the monitoring session.
class ScheduleTarget {
public:
    virtual ~ScheduleTarget() = default;
    virtual int32_t ScheduleActiveProfileId() const = 0;
    // False when no profile has this id.
    virtual bool ScheduleSetActiveProfile(int32_t id) = 0;
    virtual bool ScheduleIsMonitoring() const = 0;
    // True when monitoring started; `said` is then its warning (usually
    // empty), else why it did not (the text a tap's message box shows).
    virtual bool ScheduleStart(QString& said) = 0;
    virtual void ScheduleStop() = 0;
    // Tells the user without a message box: nobody may be looking.
    virtual void ScheduleTellUser(const QString& text) = 0;
    // One wake-up at `at`, replacing the one armed before; none disarms.
    virtual void ScheduleWakeAt(const std::optional<QDateTime>& at) = 0;
};

// Applies the weekly schedule and the calendar's busy time, and decides
// between them and every other hand that switches monitoring or the
// profile:
// - while the calendar says busy (when the user chose so) it holds as a
//   window would, and wins over a window: an event is set for that day, a
//   window for every week;
// - the latest deliberate choice (a tap, a script, the command line) holds
//   until the next boundary;
// - at a window's start the window applies, and what held before is kept;
// - at a window's end what the window set is undone, unless a choice was
//   made inside it: then that choice stays;
// - the unattended start at login never toggles: it starts monitoring
//   unless an "off" window holds it off, and counts as the user's own
//   "on" when a window ends.
class ScheduleRunner final {
public:
    using Clock = std::function<QDateTime()>;

    ScheduleRunner(ScheduleTarget& target, Clock clock, QTimeZone zone);

    const WeeklySchedule& Schedule() const { return schedule_; }
    // A new schedule takes effect at once: a window it no longer has ends.
    void SetSchedule(WeeklySchedule schedule);
    // At start, at each wake-up, after a clock change or a resume.
    void Evaluate();
    // "Not tonight": the schedule switches nothing until `until` (none ends
    // the pause). A window applied when the pause begins ends then, as at
    // its end; when the pause ends the window in force then applies.
    void SetPause(std::optional<QDateTime> until);
    const std::optional<QDateTime>& PausedUntil() const { return pausedUntil_; }
    // The phone travelled: the windows are read in `zone` from now on.
    void SetZone(QTimeZone zone);
    // The calendar's busy time, and the profile monitoring runs with while
    // it says busy; 0 when the calendar switches nothing.
    void SetCalendar(std::shared_ptr<const BusyTimeline> busy, int32_t profileId);
    // The busy stretch that holds now, whether or not it switches anything.
    std::optional<BusySpan> BusyStretch() const;
    // The calendar holds monitoring on now.
    bool CalendarHolds() const { return applied_ && applied_->days == 0; }
    // A deliberate choice changed monitoring, the profile or both: inside a
    // window it outlives the window's end.
    void ChoiceMade(bool monitoring, bool profile);
    // The unattended start: true when monitoring should start now; inside a
    // window it only makes "on" what returns at the window's end.
    bool AutoStart();
    // An "off" window is in force.
    bool HoldsOff() const { return applied_ && !applied_->monitoring; }

    // Worked out by the last evaluation, which every boundary brings.
    const std::optional<ScheduleChange>& NextChange() const { return next_; }
    // The profile that returns when the window in force ends, which is what
    // a save keeps: the user's own.
    std::optional<int32_t> ProfileBefore() const;
    // "Schedule: Sleeping from 23:00", "Schedule: off from 09:00",
    // "Schedule: ends at 07:00", "Schedule: paused until 08:00"; empty
    // without a schedule.
    QString NextChangeText(const std::function<QString(int32_t)>& profileName) const;

private:
    // Monitoring and the profile as the user had them outside the windows.
    struct OwnState {
        bool monitoring = false;
        int32_t profileId = 0;
    };
    OwnState Current() const;
    // What the schedule and the calendar force at `at`: the window in force,
    // the calendar's (a window of no days), or none.
    std::optional<ScheduleWindow> Forced(
        const QDateTime& at, std::optional<size_t>* windowIndex = nullptr) const;
    std::optional<ScheduleChange> FindNextChange(const QDateTime& now) const;
    void Apply(const ScheduleWindow& window);
    void Restore(const OwnState& own);
    void Start();

    ScheduleTarget& target_;
    Clock clock_;
    QTimeZone zone_;
    WeeklySchedule schedule_;
    // The window applied last, as it was then; none outside every window.
    std::optional<ScheduleWindow> applied_;
    // What held before the window in force took over, and which of it a
    // choice inside the window replaced.
    OwnState before_;
    bool monitoringChosen_ = false;
    bool profileChosen_ = false;
    std::optional<ScheduleChange> next_;
    std::optional<QDateTime> pausedUntil_;
    std::shared_ptr<const BusyTimeline> busy_;
    int32_t calendarProfileId_ = 0;
};

} // namespace pelmora
