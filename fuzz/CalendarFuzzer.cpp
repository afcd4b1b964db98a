// An iCalendar file of the calendar folder, or a calendar as Evolution Data
// Server hands it over: any bytes, read over two months with a change to
// summer time in them.

// libical's header first: later headers define some of its names as macros.
#include <libical/ical.h>

#include "calendar/CalendarReading.h"
#include "fuzz/FuzzSupport.h"

#include <glib.h>

#include <algorithm>
#include <limits>

using namespace pelmora;

namespace {

void Quiet(const gchar*, GLogLevelFlags, const gchar*, gpointer) { }

constexpr int64_t kMostMs = int64_t {1} << 62;
constexpr int64_t kMostSteps = 20000;

// Seconds since 1970 of a date and time as written, whatever its zone.
int64_t Seconds(const icaltimetype& time)
{
    // Days from civil dates (Howard Hinnant's algorithm).
    const int64_t y = time.year - (time.month <= 2 ? 1 : 0);
    const int64_t era = (y >= 0 ? y : y - 399) / 400;
    const int64_t yoe = y - era * 400;
    const int64_t m = time.month;
    const int64_t doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + time.day - 1;
    const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    const int64_t days = era * 146097 + doe - 719468;
    return days * 86400 + time.hour * 3600 + time.minute * 60 + time.second;
}

// libecal walks a rule from its event's first occurrence, and libical walks
// a time zone's rules from their start, one step at a time: a rule every
// second (or by the second) from 1970 takes hours, every hour from 1900 a
// quarter of a minute under the sanitizers. The most steps the rules of
// `component` and the components inside it can take up to `until`.
int64_t RuleSteps(icalcomponent* component, int64_t until)
{
    int64_t steps = 0;
    int64_t start = until - 60 * 86400;
    if (icalproperty* dtstart = icalcomponent_get_first_property(component, ICAL_DTSTART_PROPERTY))
        start = Seconds(icalproperty_get_dtstart(dtstart));
    // A time zone's changes are worked out some years past the times read.
    const bool zone = icalcomponent_isa(component) == ICAL_XSTANDARD_COMPONENT
        || icalcomponent_isa(component) == ICAL_XDAYLIGHT_COMPONENT;
    const int64_t end = zone ? until + 20 * 366 * 86400LL : until;
    for (const icalproperty_kind kind : {ICAL_RRULE_PROPERTY, ICAL_EXRULE_PROPERTY}) {
        for (icalproperty* property = icalcomponent_get_first_property(component, kind); property;
             property = icalcomponent_get_next_property(component, kind)) {
            const icalrecurrencetype rule = kind == ICAL_RRULE_PROPERTY
                ? icalproperty_get_rrule(property)
                : icalproperty_get_exrule(property);
            static constexpr int64_t kPeriod[]
                = {1, 60, 3600, 86400, 7 * 86400, 28 * 86400, 365 * 86400};
            if (rule.freq < ICAL_SECONDLY_RECURRENCE || rule.freq > ICAL_YEARLY_RECURRENCE)
                continue;
            // One step a period, or more where the rule names finer times.
            int64_t unit = kPeriod[rule.freq] * std::max<int64_t>(rule.interval, 1);
            const auto names
                = [](const short* list) { return list[0] != ICAL_RECURRENCE_ARRAY_MAX; };
            if (names(rule.by_day) || names(rule.by_month_day) || names(rule.by_year_day)
                || names(rule.by_week_no))
                unit = std::min<int64_t>(unit, 86400);
            if (names(rule.by_hour))
                unit = std::min<int64_t>(unit, 3600);
            if (names(rule.by_minute))
                unit = std::min<int64_t>(unit, 60);
            if (names(rule.by_second))
                unit = 1;
            int64_t last = end;
            if (!icaltime_is_null_time(rule.until))
                last = std::min(last, Seconds(rule.until));
            steps += std::max<int64_t>(last - start, 0) / unit + 1;
        }
    }
    for (icalcomponent* inner = icalcomponent_get_first_component(component, ICAL_ANY_COMPONENT);
         inner; inner = icalcomponent_get_next_component(component, ICAL_ANY_COMPONENT))
        steps += RuleSteps(inner, until);
    return steps;
}

void CheckText(const BusyTimeline& busy, int64_t at, const QTimeZone& zone)
{
    const QString free = QStringLiteral("free");
    const QString text = BusyUntilText(busy, QDateTime::fromMSecsSinceEpoch(at, zone), zone, free);
    FUZZ_CHECK(!text.isEmpty());
    FUZZ_CHECK((text == free) == !busy.StretchAt(at).has_value());
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    // libical and libecal warn about every odd line through GLib.
    g_log_set_default_handler(Quiet, nullptr);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // A calendar this size holds dozens of events: enough for every rule
    // and zone, and each input stays quick under the sanitizers.
    if (size > 16384)
        return 0;
    static const QTimeZone zone(QByteArrayLiteral("Europe/Berlin"));
    static const QDateTime from(QDate(2027, 3, 1), QTime(0, 0), zone);
    static const QDateTime until = from.addDays(60);
    const int64_t fromMs = from.toMSecsSinceEpoch();
    const int64_t untilMs = until.toMSecsSinceEpoch();

    CalendarSnapshot snapshot;
    snapshot.documents.push_back(
        {"fuzz.ics", std::string(reinterpret_cast<const char*>(data), size)});
    // Rules that take libical and libecal too long are known and left out,
    // so the time goes to inputs that can show something new.
    if (icalcomponent* parsed = icalparser_parse_string(snapshot.documents[0].text.c_str())) {
        const int64_t steps = RuleSteps(parsed, untilMs / 1000);
        icalcomponent_free(parsed);
        if (steps > kMostSteps)
            return 0;
    }
    // An address of the user's own, so a declined invitation is let go.
    snapshot.ownAddresses.push_back("Me@Example.org");
    const CalendarReading reading = ReadBusyTime(snapshot, from, until, zone);
    const BusyTimeline& busy = reading.busy;

    FUZZ_CHECK(reading.busyEvents >= 0);
    FUZZ_CHECK(busy.Until() == untilMs);
    // Busy time comes from events that showed the user busy.
    if (!busy.Empty())
        FUZZ_CHECK(reading.busyEvents > 0);

    // Every stretch from the first: boundaries rise strictly and alternate
    // between a stretch's start and its end, the end excluded. A stretch
    // may lie outside the window read, even millions of years away: libical
    // takes a month or day out of range (DTEND:80815934T090000Z) as it is.
    // It stays far from the ends of the numbers, so arithmetic on it holds.
    size_t stretches = 0;
    bool inside = false;
    int64_t at = std::numeric_limits<int64_t>::min() / 2;
    CheckText(busy, fromMs, zone);
    while (const std::optional<int64_t> boundary = busy.NextBoundary(at)) {
        FUZZ_CHECK(*boundary > at);
        const std::optional<BusySpan> before = busy.StretchAt(*boundary - 1);
        const std::optional<BusySpan> after = busy.StretchAt(*boundary);
        if (!inside) {
            // A stretch begins: the moment before it is free.
            FUZZ_CHECK(!before);
            FUZZ_CHECK(after && after->start == *boundary);
            FUZZ_CHECK(after->end > after->start);
            FUZZ_CHECK(after->start > -kMostMs && after->end < kMostMs);
            ++stretches;
            FUZZ_CHECK(stretches <= busy.Size());
        } else {
            // A stretch ends: its last moment is busy, this one free.
            FUZZ_CHECK(before && before->end == *boundary);
            FUZZ_CHECK(!after);
        }
        inside = !inside;
        // Reading a time in a zone is slow: the first stretches are enough.
        if (stretches <= 64) {
            CheckText(busy, *boundary - 1, zone);
            CheckText(busy, *boundary, zone);
        }
        at = *boundary;
    }
    // The walk stops at the end of the time read: a stretch may run on past it.
    if (inside) {
        const std::optional<BusySpan> last = busy.StretchAt(at);
        FUZZ_CHECK(last && last->end > busy.Until());
    }
    FUZZ_CHECK(stretches == busy.Size());
    return 0;
}
