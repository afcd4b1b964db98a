#pragma once

#include <QDateTime>
#include <QString>
#include <QTimeZone>

#include <cstdint>
#include <optional>
#include <vector>

namespace pelmora {

// One weekly window of the schedule: on the chosen days, from a start to an
// end in local wall-clock time, monitoring is on with a profile, or off. An
// end at or before the start runs past midnight into the next day.
struct ScheduleWindow {
    static constexpr int kMinutesPerDay = 24 * 60;

    uint8_t days = 0; // bit 0 Monday ... bit 6 Sunday
    int startMinute = 0; // minutes after midnight, 0..1439
    int endMinute = 0;
    bool monitoring = true;
    int32_t profileId = 0; // the profile while monitoring is on

    bool OnDay(int dayOfWeek) const { return days & (1u << (dayOfWeek - 1)); } // 1 Monday
    bool operator==(const ScheduleWindow&) const = default;
};

// The windows in the user's order; where they overlap the later one wins.
using WeeklySchedule = std::vector<ScheduleWindow>;
// More than a week's worth of switches a day; a longer list is refused.
inline constexpr size_t kMaxScheduleWindows = 100;

// The first moment whose local time in `zone` is `minute` on `date`: a time
// the day skips (a spring-forward gap) is the moment the clock jumps past it,
// and a time the day repeats is its first pass.
QDateTime WallClockMoment(QDate date, int minute, const QTimeZone& zone);

// The window in force at `now`: the index of the last window one of whose
// occurrences holds it; none when nothing is forced.
std::optional<size_t> WindowInForce(
    const WeeklySchedule& schedule, const QDateTime& now, const QTimeZone& zone);

// The next moment after `now` at which the window in force changes, and the
// window (or none) from then on; none when the schedule never changes.
struct ScheduleChange {
    QDateTime at;
    std::optional<size_t> window;
    bool calendar = false; // from then on the calendar's busy time decides
};
std::optional<ScheduleChange> NextScheduleChange(
    const WeeklySchedule& schedule, const QDateTime& now, const QTimeZone& zone);

// The days as a list row shows them: "Every day", "Mon–Fri", "Sat, Sun".
QString DaysText(uint8_t days);
// One window as the schedule's list shows it: "Mon–Fri 09:00–17:00: Work",
// with `profileName` the name of the window's profile.
QString WindowText(const ScheduleWindow& window, const QString& profileName);

// "HH:MM" for a minute of the day, and back; none for anything else.
QString MinuteText(int minute);
// A time as a person types it: "7:30", "07:30", "7.30", or an hour alone
// ("7" is 07:00); surrounding blanks ignored.
std::optional<int> MinuteFromTyped(const QString& text);
std::optional<int> MinuteFromText(const QString& text);

} // namespace pelmora
