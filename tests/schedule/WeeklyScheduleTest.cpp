#include "schedule/WeeklySchedule.h"

#include <gtest/gtest.h>

using namespace pelmora;

namespace {

constexpr uint8_t kWeekdays = 0x1f;
constexpr uint8_t kEveryDay = 0x7f;
constexpr uint8_t kMonday = 1 << 0;
constexpr uint8_t kWednesday = 1 << 2;

QTimeZone Zone(const char* id)
{
    return QTimeZone(QByteArray(id));
}

QDateTime Local(const char* text, const QTimeZone& zone)
{
    return QDateTime(QDateTime::fromString(QString::fromLatin1(text), Qt::ISODate).date(),
        QDateTime::fromString(QString::fromLatin1(text), Qt::ISODate).time(), zone);
}

QString Utc(const QDateTime& moment)
{
    return moment.toUTC().toString(QStringLiteral("yyyy-MM-dd HH:mm"));
}

} // namespace

TEST(WallClockMoment, SkippedTimesStartAtTheJumpAndRepeatedOnesAtTheirFirstPass)
{
    struct Case {
        const char* zone;
        const char* date;
        const char* time;
        const char* utc;
    };
    const Case cases[] = {
        {"Europe/Berlin", "2026-01-05", "23:00", "2026-01-05 22:00"},
        {"Europe/Berlin", "2026-03-29", "02:30", "2026-03-29 01:00"}, // 02:30 skipped: 03:00
        {"Europe/Berlin", "2026-10-25", "02:30", "2026-10-25 00:30"}, // first 02:30, summer time
        {"America/New_York", "2026-03-08", "02:30", "2026-03-08 07:00"}, // 03:00 EDT
        {"America/New_York", "2026-11-01", "01:30", "2026-11-01 05:30"}, // first 01:30, EDT
        {"America/New_York", "2026-11-01", "02:30", "2026-11-01 07:30"},
    };
    for (const Case& c : cases) {
        const QDate date = QDate::fromString(QString::fromLatin1(c.date), Qt::ISODate);
        const int minute = *MinuteFromText(QString::fromLatin1(c.time));
        EXPECT_EQ(Utc(WallClockMoment(date, minute, Zone(c.zone))), QString::fromLatin1(c.utc))
            << c.zone << " " << c.date << " " << c.time;
    }
}

TEST(WeeklySchedule, TypedTimesAreReadAsPeopleWriteThem)
{
    const std::pair<const char*, int> read[] = {
        {"7:30", 450}, {"07:30", 450}, {" 7.30 ", 450}, {"7", 420}, {"0:00", 0}, {"23:59", 1439}};
    for (const auto& [text, minute] : read)
        EXPECT_EQ(MinuteFromTyped(QString::fromLatin1(text)), minute) << text;
    for (const char* refused : {"24:00", "7:3", "7:60", "730", "", "-1", "7:30pm"})
        EXPECT_EQ(MinuteFromTyped(QString::fromLatin1(refused)), std::nullopt) << refused;
}

TEST(WeeklySchedule, LaterWindowsWinAndNightsRunPastMidnight)
{
    const WeeklySchedule schedule {
        {kWeekdays, 9 * 60, 17 * 60, true, 1},
        {kEveryDay, 23 * 60, 7 * 60, true, 2},
        {kWednesday, 12 * 60, 13 * 60, false, 0},
    };
    struct Case {
        const char* now; // Europe/Berlin; 2026-01-05 is a Monday
        std::optional<size_t> inForce;
        const char* nextAt;
        std::optional<size_t> next;
    };
    const Case cases[] = {
        {"2026-01-05T08:59", {}, "2026-01-05T09:00", 0},
        {"2026-01-05T12:30", 0, "2026-01-05T17:00", {}},
        {"2026-01-07T12:30", 2, "2026-01-07T13:00", 0},
        {"2026-01-10T10:00", {}, "2026-01-10T23:00", 1},
        {"2026-01-11T06:59", 1, "2026-01-11T07:00", {}},
        {"2026-01-05T00:30", 1, "2026-01-05T07:00", {}},
        {"2026-01-09T23:00", 1, "2026-01-10T07:00", {}},
        {"2026-01-09T17:00", {}, "2026-01-09T23:00", 1},
    };
    const QTimeZone zone = Zone("Europe/Berlin");
    for (const Case& c : cases) {
        const QDateTime now = Local(c.now, zone);
        EXPECT_EQ(WindowInForce(schedule, now, zone), c.inForce) << c.now;
        const auto change = NextScheduleChange(schedule, now, zone);
        ASSERT_TRUE(change) << c.now;
        EXPECT_EQ(change->at, Local(c.nextAt, zone)) << c.now;
        EXPECT_EQ(change->window, c.next) << c.now;
    }
    EXPECT_FALSE(NextScheduleChange({}, Local("2026-01-05T00:00", zone), zone));
}

TEST(WeeklySchedule, AWindowBelongsToTheDayItStarts)
{
    struct Case {
        const char* name;
        WeeklySchedule schedule;
        const char* now; // Europe/Berlin; 2026-01-05 is a Monday
        std::optional<size_t> inForce;
        const char* nextAt;
        std::optional<size_t> next;
    };
    const WeeklySchedule weeknights {{kWeekdays, 23 * 60, 7 * 60, true, 1}};
    const WeeklySchedule nightOverMorning {
        {kEveryDay, 0, 8 * 60, true, 1},
        {kEveryDay, 23 * 60, 7 * 60, false, 0},
    };
    const WeeklySchedule wholeWednesday {{kWednesday, 12 * 60, 12 * 60, true, 1}};
    const WeeklySchedule mondayMorning {{kMonday, 9 * 60, 10 * 60, true, 1}};
    const Case cases[] = {
        {"Friday's night runs into Saturday", weeknights, "2026-01-10T01:00", 0, "2026-01-10T07:00",
            {}},
        {"Sunday has no night", weeknights, "2026-01-12T01:00", {}, "2026-01-12T23:00", 0},
        {"the later window wins, begun the day before", nightOverMorning, "2026-01-06T01:00", 1,
            "2026-01-06T07:00", 0},
        {"an end equal to the start is a whole day", wholeWednesday, "2026-01-08T11:59", 0,
            "2026-01-08T12:00", {}},
        {"before the whole day", wholeWednesday, "2026-01-07T11:59", {}, "2026-01-07T12:00", 0},
        {"next week's window", mondayMorning, "2026-01-06T10:00", {}, "2026-01-12T09:00", 0},
    };
    const QTimeZone zone = Zone("Europe/Berlin");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const QDateTime now = Local(c.now, zone);
        EXPECT_EQ(WindowInForce(c.schedule, now, zone), c.inForce);
        const auto change = NextScheduleChange(c.schedule, now, zone);
        ASSERT_TRUE(change);
        EXPECT_EQ(change->at, Local(c.nextAt, zone));
        EXPECT_EQ(change->window, c.next);
    }
}

TEST(WeeklySchedule, DaylightSavingChangesStartAWindowOnce)
{
    const WeeklySchedule schedule {{kEveryDay, 2 * 60 + 30, 3 * 60 + 30, true, 1}};
    struct Case {
        const char* zone;
        const char* nowUtc;
        std::optional<size_t> inForce;
        const char* nextUtc;
    };
    const Case cases[] = {
        // Spring: 02:30 does not exist; the window starts at 03:00 local.
        {"Europe/Berlin", "2026-03-29T00:59:00Z", {}, "2026-03-29 01:00"},
        {"Europe/Berlin", "2026-03-29T01:00:00Z", 0, "2026-03-29 01:30"},
        // Autumn: 02:30 comes twice; the window starts at the first and
        // holds through the second until 03:30 winter time.
        {"Europe/Berlin", "2026-10-25T00:29:00Z", {}, "2026-10-25 00:30"},
        {"Europe/Berlin", "2026-10-25T01:45:00Z", 0, "2026-10-25 02:30"},
        {"America/New_York", "2026-03-08T06:59:00Z", {}, "2026-03-08 07:00"},
        {"America/New_York", "2026-11-01T07:45:00Z", 0, "2026-11-01 08:30"},
    };
    for (const Case& c : cases) {
        const QDateTime now = QDateTime::fromString(QString::fromLatin1(c.nowUtc), Qt::ISODate);
        EXPECT_EQ(WindowInForce(schedule, now, Zone(c.zone)), c.inForce) << c.zone << c.nowUtc;
        const auto change = NextScheduleChange(schedule, now, Zone(c.zone));
        ASSERT_TRUE(change);
        EXPECT_EQ(Utc(change->at), QString::fromLatin1(c.nextUtc)) << c.zone << c.nowUtc;
    }
}
