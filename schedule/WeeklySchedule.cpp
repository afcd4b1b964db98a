#include "schedule/WeeklySchedule.h"

#include <QRegularExpression>
#include <QStringList>

#include <algorithm>
#include <array>
#include <map>
#include <set>

namespace pelmora {

namespace {

constexpr int64_t kDaySeconds = 24 * 60 * 60;

struct Occurrence {
    QDateTime start;
    QDateTime end;
};

// Local wall-clock moments over a run of dates. A day the zone does not
// change its offset on is one subtraction; only a day with a transition
// asks the zone for each time.
class DayMoments {
public:
    explicit DayMoments(const QTimeZone& zone)
        : zone_(zone)
    {
    }

    QDateTime At(QDate date, int minute)
    {
        const int64_t midnight = QDateTime(date, QTime(0, 0), QTimeZone::utc()).toSecsSinceEpoch();
        auto [found, added] = steady_.try_emplace(date.toJulianDay());
        if (added)
            found->second = SteadyOffset(midnight);
        if (!found->second)
            return WallClockMoment(date, minute, zone_);
        return QDateTime::fromSecsSinceEpoch(
            midnight + int64_t {minute} * 60 - *found->second, QTimeZone::utc());
    }

private:
    // The offset of a day (midnight as if UTC) when no transition lies
    // within a day of it either way.
    std::optional<int64_t> SteadyOffset(int64_t midnight) const
    {
        const QDateTime from
            = QDateTime::fromSecsSinceEpoch(midnight - kDaySeconds, QTimeZone::utc());
        const QTimeZone::OffsetData next = zone_.nextTransition(from);
        if (next.atUtc.isValid() && next.atUtc.toSecsSinceEpoch() <= midnight + 2 * kDaySeconds)
            return std::nullopt;
        return zone_.offsetFromUtc(from);
    }

    const QTimeZone& zone_;
    std::map<int64_t, std::optional<int64_t>> steady_;
};

// The occurrence of `window` that starts on `date`, if the window runs that day.
std::optional<Occurrence> OccurrenceOn(
    const ScheduleWindow& window, QDate date, DayMoments& moments)
{
    if (!window.OnDay(date.dayOfWeek()))
        return std::nullopt;
    const QDate endDate = window.endMinute <= window.startMinute ? date.addDays(1) : date;
    return Occurrence {moments.At(date, window.startMinute), moments.At(endDate, window.endMinute)};
}

// Windows reach at most one day past their start, so the occurrences that
// may hold `now` start yesterday or today (in local dates, with a day of
// margin for the zone's offset).
template <class Visit>
void ForOccurrencesAround(
    const WeeklySchedule& schedule, QDate from, QDate to, const QTimeZone& zone, Visit visit)
{
    DayMoments moments(zone);
    for (QDate date = from; date <= to; date = date.addDays(1))
        for (size_t i = 0; i < schedule.size(); ++i)
            if (const auto occurrence = OccurrenceOn(schedule[i], date, moments))
                visit(i, *occurrence);
}

} // namespace

QDateTime WallClockMoment(QDate date, int minute, const QTimeZone& zone)
{
    // The wall-clock time read as if it were UTC; the real moment is that
    // minus the zone's offset then, and the offset can only be the one
    // before or the one after a transition near it.
    const int64_t wall
        = QDateTime(date, QTime(0, 0), QTimeZone::utc()).toSecsSinceEpoch() + int64_t {minute} * 60;
    const auto offsetAt = [&](int64_t seconds) {
        return int64_t {
            zone.offsetFromUtc(QDateTime::fromSecsSinceEpoch(seconds, QTimeZone::utc()))};
    };
    std::optional<int64_t> first;
    for (const int64_t offset : {offsetAt(wall - kDaySeconds), offsetAt(wall + kDaySeconds)}) {
        const int64_t candidate = wall - offset;
        if (offsetAt(candidate) == offset && (!first || candidate < *first))
            first = candidate;
    }
    if (!first) {
        // The day skips this time: the clock jumps past it at the transition
        // that lies between the two readings.
        const int64_t earliest
            = wall - std::max(offsetAt(wall - kDaySeconds), offsetAt(wall + kDaySeconds));
        const QTimeZone::OffsetData jump
            = zone.nextTransition(QDateTime::fromSecsSinceEpoch(earliest - 1, QTimeZone::utc()));
        first = jump.atUtc.isValid() ? jump.atUtc.toSecsSinceEpoch() : earliest;
    }
    return QDateTime::fromSecsSinceEpoch(*first, QTimeZone::utc());
}

std::optional<size_t> WindowInForce(
    const WeeklySchedule& schedule, const QDateTime& now, const QTimeZone& zone)
{
    const QDate today = now.toTimeZone(zone).date();
    std::optional<size_t> winner;
    ForOccurrencesAround(schedule, today.addDays(-2), today.addDays(1), zone,
        [&](size_t index, const Occurrence& occurrence) {
            if (occurrence.start <= now && now < occurrence.end && (!winner || index > *winner))
                winner = index;
        });
    return winner;
}

std::optional<ScheduleChange> NextScheduleChange(
    const WeeklySchedule& schedule, const QDateTime& now, const QTimeZone& zone)
{
    // One sweep over the occurrences of the coming week and a day: the
    // windows in force are those begun and not yet ended, the last of them
    // wins, and the first moment the winner differs is the change.
    struct Edge {
        QDateTime at;
        size_t index;
        bool opens;
    };
    const QDate today = now.toTimeZone(zone).date();
    std::vector<Edge> edges;
    std::multiset<size_t> inForce;
    ForOccurrencesAround(schedule, today.addDays(-2), today.addDays(8), zone,
        [&](size_t index, const Occurrence& occurrence) {
            // A clock change may shrink an occurrence to nothing: it never holds.
            if (occurrence.end <= now || occurrence.end <= occurrence.start)
                return;
            if (occurrence.start <= now)
                inForce.insert(index);
            else
                edges.push_back({occurrence.start, index, true});
            edges.push_back({occurrence.end, index, false});
        });
    std::sort(edges.begin(), edges.end(), [](const Edge& a, const Edge& b) { return a.at < b.at; });
    const auto winner = [&]() -> std::optional<size_t> {
        return inForce.empty() ? std::nullopt : std::optional(*inForce.rbegin());
    };
    const std::optional<size_t> current = winner();
    for (size_t i = 0; i < edges.size();) {
        const QDateTime at = edges[i].at;
        // Every edge at one moment counts before the winner is asked.
        for (; i < edges.size() && edges[i].at == at; ++i) {
            if (edges[i].opens)
                inForce.insert(edges[i].index);
            else if (const auto open = inForce.find(edges[i].index); open != inForce.end())
                inForce.erase(open);
        }
        if (const std::optional<size_t> next = winner(); next != current)
            return ScheduleChange {at, next};
    }
    return std::nullopt;
}

QString DaysText(uint8_t days)
{
    static const std::array<const char*, 7> kShort
        = {"Mon", "Tue", "Wed", "Thu", "Fri", "Sat", "Sun"};
    days &= 0x7f;
    if (days == 0x7f)
        return QStringLiteral("Every day");
    // A run of three or more days in a row is written as its ends.
    QStringList parts;
    for (int day = 0; day < 7;) {
        if (!(days & (1u << day))) {
            ++day;
            continue;
        }
        int last = day;
        while (last + 1 < 7 && (days & (1u << (last + 1))))
            ++last;
        if (last - day >= 2)
            parts << QStringLiteral("%1\u2013%2")
                         .arg(QLatin1String(kShort[day]), QLatin1String(kShort[last]));
        else
            for (int d = day; d <= last; ++d)
                parts << QLatin1String(kShort[d]);
        day = last + 1;
    }
    return parts.join(QStringLiteral(", "));
}

QString WindowText(const ScheduleWindow& window, const QString& profileName)
{
    return QStringLiteral("%1 %2\u2013%3: %4")
        .arg(DaysText(window.days), MinuteText(window.startMinute), MinuteText(window.endMinute),
            window.monitoring ? profileName : QStringLiteral("off"));
}

QString MinuteText(int minute)
{
    return QStringLiteral("%1:%2")
        .arg(minute / 60, 2, 10, QLatin1Char('0'))
        .arg(minute % 60, 2, 10, QLatin1Char('0'));
}

std::optional<int> MinuteFromText(const QString& text)
{
    static const QRegularExpression pattern(QStringLiteral("^([01][0-9]|2[0-3]):([0-5][0-9])$"));
    const QRegularExpressionMatch match = pattern.match(text);
    if (!match.hasMatch())
        return std::nullopt;
    return match.captured(1).toInt() * 60 + match.captured(2).toInt();
}

std::optional<int> MinuteFromTyped(const QString& text)
{
    static const QRegularExpression pattern(
        QStringLiteral("^([01]?[0-9]|2[0-3])(?:[:.]([0-5][0-9]))?$"));
    const QRegularExpressionMatch match = pattern.match(text.trimmed());
    if (!match.hasMatch())
        return std::nullopt;
    return match.captured(1).toInt() * 60 + match.captured(2).toInt();
}

} // namespace pelmora
