#include "calendar/CalendarReading.h"

#include <gtest/gtest.h>

using namespace pelmora;

namespace {

std::string Calendar(const std::string& events)
{
    return "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//Test//EN\r\n" + events
        + "END:VCALENDAR\r\n";
}

// The busy stretches of a week from Monday 2027-03-01, as UTC times.
std::vector<std::string> Stretches(const std::string& text, const char* zone,
    std::vector<std::string> ownAddresses = {}, QDate day = QDate(2027, 3, 1))
{
    const QTimeZone local(zone);
    const QDateTime from(day, QTime(0, 0), local);
    const CalendarSnapshot snapshot {{{"test", Calendar(text)}}, std::move(ownAddresses), {}};
    const CalendarReading reading = ReadBusyTime(snapshot, from, from.addDays(7), local);
    EXPECT_TRUE(reading.problems.isEmpty()) << reading.problems.join(u'\n').toStdString();
    std::vector<std::string> stretches;
    for (int64_t at = from.toMSecsSinceEpoch();;) {
        const auto next = reading.busy.NextBoundary(at);
        if (!next)
            break;
        if (const auto stretch = reading.busy.StretchAt(*next))
            stretches.push_back(QDateTime::fromMSecsSinceEpoch(stretch->start, QTimeZone::utc())
                                    .toString(QStringLiteral("ddd HH:mm"))
                                    .toStdString()
                + "-"
                + QDateTime::fromMSecsSinceEpoch(stretch->end, QTimeZone::utc())
                      .toString(QStringLiteral("ddd HH:mm"))
                      .toStdString());
        at = *next;
    }
    return stretches;
}

std::string Event(const std::string& uid, const std::string& lines)
{
    return "BEGIN:VEVENT\r\nUID:" + uid + "\r\nDTSTAMP:20270101T000000Z\r\n" + lines
        + "END:VEVENT\r\n";
}

} // namespace

TEST(CalendarReading, OnlyTimeThatShowsTheUserBusyCounts)
{
    using Lines = std::vector<std::string>;
    const struct {
        const char* what;
        std::string events;
        const char* zone;
        Lines busy;
    } cases[] = {
        {"a meeting in Berlin's time, read in London",
            Event("a",
                "DTSTART;TZID=Europe/Berlin:20270302T140000\r\n"
                "DTEND;TZID=Europe/Berlin:20270302T153000\r\n"),
            "Europe/London", {"Tue 13:00-Tue 14:30"}},
        {"UTC and floating times; a floating time is the phone's own",
            Event("a", "DTSTART:20270302T090000Z\r\nDTEND:20270302T100000Z\r\n")
                + Event("b", "DTSTART:20270303T090000\r\nDTEND:20270303T100000\r\n"),
            "America/New_York", {"Tue 09:00-Tue 10:00", "Wed 14:00-Wed 15:00"}},
        {"free, cancelled and tentative",
            Event("free",
                "DTSTART:20270302T090000Z\r\nDTEND:20270302T100000Z\r\n"
                "TRANSP:TRANSPARENT\r\n")
                + Event("cancelled",
                    "DTSTART:20270303T090000Z\r\nDTEND:20270303T100000Z\r\n"
                    "STATUS:CANCELLED\r\n")
                + Event("tentative",
                    "DTSTART:20270304T090000Z\r\nDTEND:20270304T100000Z\r\n"
                    "STATUS:TENTATIVE\r\nTRANSP:OPAQUE\r\n"),
            "UTC", {"Thu 09:00-Thu 10:00"}},
        {"back to back and overlapping meetings are one stretch",
            Event("a", "DTSTART:20270302T090000Z\r\nDTEND:20270302T100000Z\r\n")
                + Event("b", "DTSTART:20270302T100000Z\r\nDTEND:20270302T110000Z\r\n")
                + Event("c", "DTSTART:20270302T103000Z\r\nDTEND:20270302T113000Z\r\n"),
            "UTC", {"Tue 09:00-Tue 11:30"}},
        {"an all-day event holds the local day",
            Event("a", "DTSTART;VALUE=DATE:20270303\r\nDTEND;VALUE=DATE:20270304\r\n"),
            "Europe/Berlin", {"Tue 23:00-Wed 23:00"}},
        {"a daily meeting, one day moved and one dropped",
            Event("w",
                "DTSTART;TZID=Europe/Berlin:20270201T100000\r\n"
                "DTEND;TZID=Europe/Berlin:20270201T110000\r\n"
                "RRULE:FREQ=DAILY;COUNT=60\r\n"
                "EXDATE;TZID=Europe/Berlin:20270303T100000\r\n")
                + Event("w",
                    "RECURRENCE-ID;TZID=Europe/Berlin:20270304T100000\r\n"
                    "DTSTART;TZID=Europe/Berlin:20270304T150000\r\n"
                    "DTEND;TZID=Europe/Berlin:20270304T160000\r\n"),
            "Europe/Berlin",
            {"Mon 09:00-Mon 10:00", "Tue 09:00-Tue 10:00", "Thu 14:00-Thu 15:00",
                "Fri 09:00-Fri 10:00", "Sat 09:00-Sat 10:00", "Sun 09:00-Sun 10:00"}},
        {"a time zone the file itself defines",
            "BEGIN:VTIMEZONE\r\nTZID:Office\r\nBEGIN:STANDARD\r\nDTSTART:19700101T000000\r\n"
            "TZOFFSETFROM:+0500\r\nTZOFFSETTO:+0500\r\nEND:STANDARD\r\nEND:VTIMEZONE\r\n"
                + Event("a",
                    "DTSTART;TZID=Office:20270302T140000\r\n"
                    "DTEND;TZID=Office:20270302T150000\r\n"),
            "UTC", {"Tue 09:00-Tue 10:00"}},
    };
    for (const auto& [what, events, zone, busy] : cases)
        EXPECT_EQ(Stretches(events, zone), busy) << what;
}

TEST(CalendarReading, AMeetingTheUserDeclinedLeavesThemFree)
{
    const std::string events = Event("a",
        "DTSTART:20270302T090000Z\r\nDTEND:20270302T100000Z\r\n"
        "ATTENDEE;PARTSTAT=DECLINED:mailto:Ann@Example.org\r\n"
        "ATTENDEE;PARTSTAT=ACCEPTED:mailto:bob@example.org\r\n");
    EXPECT_EQ(Stretches(events, "UTC", {"ann@example.org"}), std::vector<std::string> {});
    EXPECT_EQ(Stretches(events, "UTC", {"bob@example.org"}),
        std::vector<std::string> {"Tue 09:00-Tue 10:00"});
}

TEST(CalendarReading, ACalendarThatCannotBeReadIsNamed)
{
    const QDateTime from(QDate(2027, 3, 1), QTime(0, 0), QTimeZone::utc());
    const CalendarSnapshot snapshot {{{"work.ics", "BEGIN:VCARD\r\nEND:VCARD\r\n"},
                                         {"home.ics",
                                             Calendar(Event("a",
                                                 "DTSTART:20270302T090000Z\r\n"
                                                 "DTEND:20270302T100000Z\r\n"))}},
        {}, "the calendar server (Evolution Data Server) is not running"};
    const CalendarReading reading = ReadBusyTime(snapshot, from, from.addDays(7), QTimeZone::utc());
    EXPECT_EQ(reading.problems,
        QStringList({QStringLiteral("the calendar server (Evolution Data Server) is not running"),
            QStringLiteral("the calendar \"work.ics\" is not an iCalendar file")}));
    EXPECT_EQ(reading.busyEvents, 1);
}

TEST(CalendarReading, TimeFollowsTheClockAndNothingRunsAway)
{
    // Friday 09:00 to Tuesday 18:00 in Berlin, across the change to summer time.
    EXPECT_EQ(Stretches(Event("a",
                            "DTSTART;TZID=Europe/Berlin:20270326T090000\r\n"
                            "DTEND;TZID=Europe/Berlin:20270330T180000\r\n"),
                  "Europe/Berlin", {}, QDate(2027, 3, 22)),
        std::vector<std::string> {"Fri 08:00-Tue 16:00"});
    // A day libical takes as it stands (2027-04-09) falls outside the week
    // read, and is not kept.
    const QDateTime from(QDate(2027, 3, 1), QTime(0, 0), QTimeZone::utc());
    const CalendarSnapshot outOfRange {
        {{"test", Calendar(Event("a", "DTSTART;VALUE=DATE:20261399\r\n"))}}, {}, {}};
    EXPECT_TRUE(ReadBusyTime(outOfRange, from, from.addDays(7), QTimeZone::utc()).busy.Empty());
    // Every minute since 1900 would take the program's time for ever.
    const CalendarSnapshot snapshot {{{"test",
                                         Calendar(Event("m",
                                             "DTSTART:19000101T000000Z\r\n"
                                             "DTEND:19000101T000030Z\r\n"
                                             "RRULE:FREQ=MINUTELY\r\n"))}},
        {}, {}};
    const CalendarReading reading = ReadBusyTime(snapshot, from, from.addDays(7), QTimeZone::utc());
    EXPECT_TRUE(reading.busy.Empty());
    EXPECT_EQ(reading.problems,
        QStringList {QStringLiteral(
            "the calendar \"test\" has 1 event repeating too often to follow, left out")});
}
