// Times a year's calendar of 5,000 events (single meetings at all hours,
// weekly ones with days off and moved occurrences, days away) in a zone
// with summer time: the reading of the year into the busy timeline, done
// once at every change of the calendar, then the reads a call makes of it:
// the stretch that holds a moment, the next change and [BUSYUNTIL]'s text.

#include "bench/Measure.h"
#include "calendar/CalendarReading.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

using namespace pelmora;

namespace {

constexpr int kEvents = 5000;
constexpr int kMoments = 100000;

// The same numbers on every machine and library: no <random> distributions.
class Numbers final {
public:
    uint32_t Next()
    {
        state_ = state_ * 6364136223846793005ULL + 1442695040888963407ULL;
        return static_cast<uint32_t>(state_ >> 33);
    }
    int Below(int bound) { return static_cast<int>(Next() % static_cast<uint32_t>(bound)); }

private:
    uint64_t state_ = 20270101;
};

QString Stamp(const QDateTime& time, const char* format)
{
    return time.toString(QString::fromLatin1(format));
}

std::string Event(int uid, const std::string& lines)
{
    return "BEGIN:VEVENT\r\nUID:bench-" + std::to_string(uid)
        + "\r\nDTSTAMP:20261201T000000Z\r\nSUMMARY:Meeting\r\n" + lines + "END:VEVENT\r\n";
}

// A calendar of 2027 as a desktop calendar exports it: its zone, then the
// events. Most are single meetings of up to an hour at any quarter hour
// from 06:00 to 22:00, a tenth repeat weekly for weeks or months, some with
// a day off and a moved occurrence, and one in fifty takes whole days (half
// of those, holidays and birthdays, show the user free); a few meetings
// show the user free too.
std::string YearCalendar(Numbers& numbers)
{
    std::string text = "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//Pelmora//Bench//EN\r\n"
                       "BEGIN:VTIMEZONE\r\nTZID:Europe/Berlin\r\n"
                       "BEGIN:DAYLIGHT\r\nTZOFFSETFROM:+0100\r\nTZOFFSETTO:+0200\r\n"
                       "DTSTART:19700329T020000\r\nRRULE:FREQ=YEARLY;BYMONTH=3;BYDAY=-1SU\r\n"
                       "END:DAYLIGHT\r\nBEGIN:STANDARD\r\nTZOFFSETFROM:+0200\r\n"
                       "TZOFFSETTO:+0100\r\nDTSTART:19701025T030000\r\n"
                       "RRULE:FREQ=YEARLY;BYMONTH=10;BYDAY=-1SU\r\nEND:STANDARD\r\n"
                       "END:VTIMEZONE\r\n";
    const QDate first(2027, 1, 1);
    for (int uid = 0; uid < kEvents; ++uid) {
        const int kind = numbers.Below(100);
        const QDate day = first.addDays(numbers.Below(365));
        // Times as written in the zone: reckoned in UTC, free of summer time.
        const QDateTime start(
            day, QTime(6 + numbers.Below(16), 15 * numbers.Below(4)), QTimeZone::utc());
        const QDateTime end = start.addSecs(60 * (15 + 15 * numbers.Below(4)));
        const std::string when = "DTSTART;TZID=Europe/Berlin:"
            + Stamp(start, "yyyyMMdd'T'HHmmss").toStdString() + "\r\nDTEND;TZID=Europe/Berlin:"
            + Stamp(end, "yyyyMMdd'T'HHmmss").toStdString() + "\r\n";
        if (kind < 88) {
            const bool free = numbers.Below(20) == 0;
            text += Event(uid, when + (free ? "TRANSP:TRANSPARENT\r\n" : ""));
        } else if (kind < 98) {
            std::string lines = when
                + "RRULE:FREQ=WEEKLY;COUNT=" + std::to_string(4 + numbers.Below(16)) + "\r\n";
            const QDateTime off = start.addDays(7 * (1 + numbers.Below(3)));
            lines += "EXDATE;TZID=Europe/Berlin:" + Stamp(off, "yyyyMMdd'T'HHmmss").toStdString()
                + "\r\n";
            text += Event(uid, lines);
            if (numbers.Below(2) == 0) {
                const QDateTime moved = start.addDays(7 * (4 + numbers.Below(3)));
                text += Event(uid,
                    "RECURRENCE-ID;TZID=Europe/Berlin:"
                        + Stamp(moved, "yyyyMMdd'T'HHmmss").toStdString()
                        + "\r\nDTSTART;TZID=Europe/Berlin:"
                        + Stamp(moved.addSecs(3 * 3600), "yyyyMMdd'T'HHmmss").toStdString()
                        + "\r\nDURATION:PT1H\r\n");
            }
        } else {
            text += Event(uid,
                "DTSTART;VALUE=DATE:" + Stamp(start, "yyyyMMdd").toStdString()
                    + "\r\nDTEND;VALUE=DATE:"
                    + Stamp(start.addDays(1 + numbers.Below(2)), "yyyyMMdd").toStdString()
                    + (numbers.Below(2) == 0 ? "\r\nTRANSP:TRANSPARENT\r\n" : "\r\n"));
        }
    }
    return text + "END:VCALENDAR\r\n";
}

double Microseconds(double ms)
{
    return ms * 1000.0;
}

} // namespace

int main()
{
    const QTimeZone zone(QByteArrayLiteral("Europe/Berlin"));
    const QDateTime from(QDate(2027, 1, 1), QTime(0, 0), zone);
    const QDateTime until = from.addYears(1);
    Numbers numbers;
    CalendarSnapshot snapshot;
    snapshot.documents.push_back({"year.ics", YearCalendar(numbers)});
    std::printf("calendar: %d events, %.1f KiB of iCalendar text\n", kEvents,
        static_cast<double>(snapshot.documents[0].text.size()) / 1024.0);

    // (a) The reading, once at start and at every change of the calendar.
    CalendarReading reading;
    std::vector<double> wall;
    std::vector<double> cpu;
    for (int run = 0; run < 3; ++run) {
        wall.push_back(bench::WallMs([&] {
            cpu.push_back(
                bench::CpuMs([&] { reading = ReadBusyTime(snapshot, from, until, zone); }));
        }));
    }
    std::printf("read the year: best %.1f ms wall, %.1f ms processor (median %.1f ms wall); "
                "%d busy events, %zu stretches, %lld problems\n",
        *std::min_element(wall.begin(), wall.end()), *std::min_element(cpu.begin(), cpu.end()),
        bench::Summarise(wall).median, reading.busyEvents, reading.busy.Size(),
        static_cast<long long>(reading.problems.size()));
    const BusyTimeline& busy = reading.busy;

    // (b) The reads a call makes, at moments all over the year.
    std::vector<int64_t> moments(kMoments);
    const int64_t first = from.toMSecsSinceEpoch();
    const int64_t span = until.toMSecsSinceEpoch() - first;
    for (int64_t& moment : moments)
        moment = first
            + static_cast<int64_t>((static_cast<uint64_t>(numbers.Next()) << 20 ^ numbers.Next())
                % static_cast<uint64_t>(span));
    size_t next = 0;
    // Keeps the calls from being optimised away.
    volatile int64_t sink = 0;
    const auto moment = [&] { return moments[next++ % moments.size()]; };
    const double boundary = bench::BestMeanMs(
        [&] { sink = sink + busy.NextBoundary(moment()).value_or(0); }, kMoments);
    const double stretch = bench::BestMeanMs(
        [&] {
            if (const auto held = busy.StretchAt(moment()))
                sink = sink + held->end;
        },
        kMoments);
    const QString freeWord = QStringLiteral("free");
    const double text = bench::BestMeanMs(
        [&] {
            const QDateTime now = QDateTime::fromMSecsSinceEpoch(moment(), zone);
            sink = sink + BusyUntilText(busy, now, zone, freeWord).size();
        },
        kMoments / 10);
    // The slowest single look for the next change, each timed by itself.
    std::vector<double> single;
    single.reserve(10000);
    for (int i = 0; i < 10000; ++i) {
        const int64_t at = moment();
        const auto start = std::chrono::steady_clock::now();
        sink = sink + busy.NextBoundary(at).value_or(0);
        single.push_back(
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
                .count());
    }
    const bench::Figures singles = bench::Summarise(single);
    std::printf("%-36s %12s\n", "read of the timeline", "us per call");
    std::printf("%-36s %12.3f\n", "NextBoundary", Microseconds(boundary));
    std::printf("%-36s %12.3f\n", "StretchAt", Microseconds(stretch));
    std::printf("%-36s %12.3f\n", "BusyUntilText (with the moment)", Microseconds(text));
    std::printf("NextBoundary timed one by one: median %.3f us, worst %.3f us (goal: under 5 ms)\n",
        Microseconds(singles.median), Microseconds(singles.worst));
    return 0;
}
