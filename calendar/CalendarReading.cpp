// libecal's headers come before anything else: they use names that other
// headers define as macros.
#include <libecal/libecal.h>

#include "calendar/CalendarReading.h"

#include <algorithm>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <utility>

namespace pelmora {

namespace {

// libical-glib hands out references that the caller releases.
template <class T> struct Ref {
    explicit Ref(T* object = nullptr)
        : get(object)
    {
    }
    ~Ref()
    {
        if (get)
            g_object_unref(get);
    }
    Ref(const Ref&) = delete;
    Ref& operator=(const Ref&) = delete;
    Ref(Ref&& other) noexcept
        : get(std::exchange(other.get, nullptr))
    {
    }
    Ref& operator=(Ref&& other) noexcept
    {
        std::swap(get, other.get);
        return *this;
    }
    explicit operator bool() const { return get != nullptr; }
    T* get;
};

const char* Text(const char* text)
{
    return text ? text : "";
}

std::string Folded(std::string_view text)
{
    std::string folded(text);
    for (char& c : folded)
        c = static_cast<char>(g_ascii_tolower(c));
    return folded;
}

// The time zones a calendar's times name: its own VTIMEZONE components
// first, then the zones libical knows by their Olson names.
class Zones final {
public:
    Zones(ICalComponent* calendar, ICalTimezone* local)
        : calendar_(calendar)
        , local_(local)
    {
    }
    ~Zones()
    {
        for (auto& [id, zone] : own_)
            g_object_unref(zone);
    }
    Zones(const Zones&) = delete;
    Zones& operator=(const Zones&) = delete;

    ICalTimezone* Find(const char* tzid)
    {
        if (!tzid || !*tzid)
            return nullptr;
        if (const auto found = own_.find(tzid); found != own_.end())
            return found->second;
        if (ICalTimezone* zone = i_cal_component_get_timezone(calendar_, tzid)) {
            own_.emplace(tzid, zone);
            return zone;
        }
        if (ICalTimezone* zone = i_cal_timezone_get_builtin_timezone_from_tzid(tzid))
            return zone;
        return i_cal_timezone_get_builtin_timezone(tzid);
    }
    static ICalTimezone* Resolve(const gchar* tzid, gpointer self, GCancellable*, GError**)
    {
        return static_cast<Zones*>(self)->Find(tzid);
    }

    // A moment in milliseconds since 1970: a date or a floating time is
    // the local one.
    int64_t Milliseconds(const ICalTime* time) const
    {
        ICalTimezone* zone = nullptr;
        if (i_cal_time_is_utc(time))
            zone = i_cal_timezone_get_utc_timezone();
        else if (!i_cal_time_is_date(time))
            zone = i_cal_time_get_timezone(time);
        return static_cast<int64_t>(i_cal_time_as_timet_with_zone(time, zone ? zone : local_))
            * 1000;
    }

private:
    ICalComponent* calendar_;
    ICalTimezone* local_;
    std::map<std::string, ICalTimezone*> own_;
};

bool ShowsBusy(ICalComponent* event, const std::set<std::string>& ownAddresses)
{
    if (i_cal_component_get_status(event) == I_CAL_STATUS_CANCELLED)
        return false;
    if (Ref<ICalProperty> transp {
            i_cal_component_get_first_property(event, I_CAL_TRANSP_PROPERTY)}) {
        const ICalPropertyTransp value = i_cal_property_get_transp(transp.get);
        if (value == I_CAL_TRANSP_TRANSPARENT || value == I_CAL_TRANSP_TRANSPARENTNOCONFLICT)
            return false;
    }
    if (ownAddresses.empty())
        return true;
    for (Ref<ICalProperty> attendee {
             i_cal_component_get_first_property(event, I_CAL_ATTENDEE_PROPERTY)};
         attendee; attendee
         = Ref<ICalProperty>(i_cal_component_get_next_property(event, I_CAL_ATTENDEE_PROPERTY))) {
        std::string address = Folded(Text(i_cal_property_get_attendee(attendee.get)));
        if (address.starts_with("mailto:"))
            address.erase(0, 7);
        if (!ownAddresses.contains(address))
            continue;
        Ref<ICalParameter> status {
            i_cal_property_get_first_parameter(attendee.get, I_CAL_PARTSTAT_PARAMETER)};
        if (status && i_cal_parameter_get_partstat(status.get) == I_CAL_PARTSTAT_DECLINED)
            return false;
    }
    return true;
}

// The time of one of an event's date-time properties, in its own zone.
struct Moment {
    int64_t ms = 0;
    bool date = false;
};
std::optional<Moment> PropertyMoment(
    ICalComponent* event, ICalPropertyKind kind, ICalTime* (*value)(ICalProperty*), Zones& zones)
{
    Ref<ICalProperty> property {i_cal_component_get_first_property(event, kind)};
    if (!property)
        return std::nullopt;
    Ref<ICalTime> time {value(property.get)};
    if (!time || i_cal_time_is_null_time(time.get))
        return std::nullopt;
    if (!i_cal_time_is_utc(time.get) && !i_cal_time_is_date(time.get)) {
        Ref<ICalParameter> tzid {
            i_cal_property_get_first_parameter(property.get, I_CAL_TZID_PARAMETER)};
        if (tzid)
            if (ICalTimezone* zone = zones.Find(i_cal_parameter_get_tzid(tzid.get)))
                i_cal_time_set_timezone(time.get, zone);
    }
    return Moment {zones.Milliseconds(time.get), i_cal_time_is_date(time.get) != 0};
}

// The moment a detached occurrence replaces; none for the event itself.
std::optional<int64_t> ReplacedOccurrence(ICalComponent* event, Zones& zones)
{
    const auto moment = PropertyMoment(
        event, I_CAL_RECURRENCEID_PROPERTY, i_cal_property_get_recurrenceid, zones);
    return moment ? std::optional(moment->ms) : std::nullopt;
}

// A rule that repeats within the day is walked from its first occurrence,
// however long ago that was: more steps than a year of minutes would hold
// the program up, so such an event is left out (and said so).
constexpr int64_t kMostRuleSteps = 600000;
// Occurrences of one event within the year read.
constexpr int kMostOccurrences = 20000;

bool RepeatsTooOften(ICalComponent* event, int64_t startMs, int64_t untilMs)
{
    Ref<ICalProperty> rule {i_cal_component_get_first_property(event, I_CAL_RRULE_PROPERTY)};
    if (!rule)
        return false;
    Ref<ICalRecurrence> recurrence {i_cal_property_get_rrule(rule.get)};
    if (!recurrence)
        return false;
    int64_t step = 0;
    switch (i_cal_recurrence_get_freq(recurrence.get)) {
    case I_CAL_SECONDLY_RECURRENCE:
        step = 1;
        break;
    case I_CAL_MINUTELY_RECURRENCE:
        step = 60;
        break;
    case I_CAL_HOURLY_RECURRENCE:
        step = 3600;
        break;
    default:
        step = 86400;
        break;
    }
    step *= std::max<int64_t>(i_cal_recurrence_get_interval(recurrence.get), 1);
    return (untilMs - startMs) / 1000 / step > kMostRuleSteps;
}

struct Expansion {
    Zones* zones = nullptr;
    const std::set<int64_t>* replaced = nullptr;
    std::vector<BusySpan>* spans = nullptr;
    // An occurrence lasts as long as the event: DTEND less DTSTART in real
    // time, so one across a change to summer time still ends at its own
    // hour. None for dates and for events without an end of their own.
    std::optional<int64_t> durationMs;
    int64_t fromMs = 0;
    int64_t untilMs = 0;
    int occurrences = 0;
};

gboolean AddOccurrence(
    ICalComponent*, ICalTime* start, ICalTime* end, gpointer data, GCancellable*, GError**)
{
    auto* expansion = static_cast<Expansion*>(data);
    const int64_t from = expansion->zones->Milliseconds(start);
    const int64_t to = expansion->durationMs ? from + *expansion->durationMs
                                             : expansion->zones->Milliseconds(end);
    // Only time within the stretch read counts: a date out of range that
    // libical took as it stood gives nothing far away.
    if (to > from && to > expansion->fromMs && from < expansion->untilMs
        && (!expansion->replaced || !expansion->replaced->contains(from)))
        expansion->spans->push_back({from, to});
    return ++expansion->occurrences < kMostOccurrences;
}

ICalTimezone* LocalZone(const QTimeZone& local)
{
    if (local.isValid())
        if (ICalTimezone* zone = i_cal_timezone_get_builtin_timezone(local.id().constData()))
            return zone;
    return i_cal_timezone_get_utc_timezone();
}

QString Named(const CalendarDocument& document)
{
    return QStringLiteral("the calendar \"%1\"").arg(QString::fromStdString(document.name));
}

void ReadDocument(const CalendarDocument& document, ICalTime* from, ICalTime* until,
    ICalTimezone* local, const std::set<std::string>& own, std::vector<BusySpan>& spans,
    CalendarReading& reading)
{
    Ref<ICalComponent> calendar {i_cal_parser_parse_string(document.text.c_str())};
    if (!calendar || i_cal_component_isa(calendar.get) != I_CAL_VCALENDAR_COMPONENT) {
        reading.problems << QStringLiteral("%1 is not an iCalendar file").arg(Named(document));
        return;
    }
    Zones zones(calendar.get, local);
    // Detached occurrences first: they replace the occurrences of their
    // event that they name, busy or not.
    std::map<std::string, std::set<int64_t>> replaced;
    std::vector<ICalComponent*> events;
    for (ICalComponent* event
         = i_cal_component_get_first_component(calendar.get, I_CAL_VEVENT_COMPONENT);
         event; event = i_cal_component_get_next_component(calendar.get, I_CAL_VEVENT_COMPONENT)) {
        events.push_back(event);
        if (const auto moment = ReplacedOccurrence(event, zones))
            replaced[Text(i_cal_component_get_uid(event))].insert(*moment);
    }
    int broken = 0;
    int tooOften = 0;
    const int64_t fromMs = static_cast<int64_t>(i_cal_time_as_timet(from)) * 1000;
    const int64_t untilMs = static_cast<int64_t>(i_cal_time_as_timet(until)) * 1000;
    for (ICalComponent* event : events) {
        broken += i_cal_component_count_errors(event);
        const auto start
            = PropertyMoment(event, I_CAL_DTSTART_PROPERTY, i_cal_property_get_dtstart, zones);
        if (start && RepeatsTooOften(event, start->ms, untilMs)) {
            ++tooOften;
        } else if (ShowsBusy(event, own)) {
            const bool detached = ReplacedOccurrence(event, zones).has_value();
            const auto found
                = detached ? replaced.end() : replaced.find(Text(i_cal_component_get_uid(event)));
            Expansion expansion;
            expansion.zones = &zones;
            expansion.replaced = found == replaced.end() ? nullptr : &found->second;
            expansion.spans = &spans;
            expansion.fromMs = fromMs;
            expansion.untilMs = untilMs;
            const auto end
                = PropertyMoment(event, I_CAL_DTEND_PROPERTY, i_cal_property_get_dtend, zones);
            if (start && end && !start->date && !end->date)
                expansion.durationMs = end->ms - start->ms;
            const size_t before = spans.size();
            GError* error = nullptr;
            if (!e_cal_recur_generate_instances_sync(event, from, until, AddOccurrence, &expansion,
                    Zones::Resolve, &zones, local, nullptr, &error)) {
                ++broken;
                g_clear_error(&error);
            }
            if (spans.size() > before)
                ++reading.busyEvents;
        }
        g_object_unref(event);
    }
    if (tooOften > 0)
        reading.problems << QStringLiteral("%1 has %2 %3 repeating too often to follow, left out")
                                .arg(Named(document))
                                .arg(tooOften)
                                .arg(tooOften == 1 ? QStringLiteral("event")
                                                   : QStringLiteral("events"));
    if (broken > 0)
        reading.problems << QStringLiteral("%1 has %2 %3 that could not be read")
                                .arg(Named(document))
                                .arg(broken)
                                .arg(
                                    broken == 1 ? QStringLiteral("part") : QStringLiteral("parts"));
}

} // namespace

CalendarReading ReadBusyTime(const CalendarSnapshot& snapshot, const QDateTime& from,
    const QDateTime& until, const QTimeZone& local)
{
    CalendarReading reading;
    if (!snapshot.problem.empty())
        reading.problems << QString::fromStdString(snapshot.problem);
    std::set<std::string> own;
    for (const std::string& address : snapshot.ownAddresses)
        own.insert(Folded(address));
    ICalTimezone* utc = i_cal_timezone_get_utc_timezone();
    Ref<ICalTime> start {i_cal_time_new_from_timet_with_zone(
        static_cast<time_t>(from.toSecsSinceEpoch()), FALSE, utc)};
    Ref<ICalTime> end {i_cal_time_new_from_timet_with_zone(
        static_cast<time_t>(until.toSecsSinceEpoch()), FALSE, utc)};
    ICalTimezone* zone = LocalZone(local);
    std::vector<BusySpan> spans;
    for (const CalendarDocument& document : snapshot.documents)
        ReadDocument(document, start.get, end.get, zone, own, spans, reading);
    // An occurrence that began before `from` may still hold it.
    reading.busy = BusyTimeline(std::move(spans), until.toMSecsSinceEpoch());
    return reading;
}

} // namespace pelmora
