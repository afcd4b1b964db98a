#include "schedule/ScheduleRunner.h"

#include <gtest/gtest.h>

#include <QStringList>

using namespace pelmora;

namespace {

constexpr uint8_t kEveryDay = 0x7f;

// Monitoring and the profile as a session holds them; the schedule's own
// switches are written down, a hand's are not.
class FakeSession final : public ScheduleTarget {
public:
    int32_t ScheduleActiveProfileId() const override { return profile; }
    bool ScheduleSetActiveProfile(int32_t id) override
    {
        if (id < 1 || id > 3)
            return false;
        if (id != profile)
            log << QStringLiteral("profile %1").arg(id);
        profile = id;
        return true;
    }
    bool ScheduleIsMonitoring() const override { return monitoring; }
    bool ScheduleStart(QString&) override
    {
        log << QStringLiteral("start");
        monitoring = true;
        return true;
    }
    void ScheduleStop() override
    {
        log << QStringLiteral("stop");
        monitoring = false;
    }
    void ScheduleTellUser(const QString& text) override { log << text; }
    void ScheduleWakeAt(const std::optional<QDateTime>&) override { }

    bool monitoring = false;
    int32_t profile = 1;
    QStringList log;
};

// "Mon 09:00" in the week of Monday 2026-01-05, UTC.
QDateTime At(const QString& day, const QString& time)
{
    const int index = QStringList {"Mon", "Tue", "Wed"}.indexOf(day);
    return QDateTime(QDate(2026, 1, 5 + index), QTime::fromString(time, QStringLiteral("HH:mm")),
        QTimeZone::utc());
}

} // namespace

TEST(ScheduleRunner, EveryHandAgreesUnderOneRule)
{
    const WeeklySchedule dayOn {{kEveryDay, 9 * 60, 17 * 60, true, 2}};
    const WeeklySchedule lunchOff {{kEveryDay, 12 * 60, 13 * 60, false, 0}};
    const WeeklySchedule nightOn {{kEveryDay, 22 * 60, 7 * 60, true, 3}};
    const WeeklySchedule allDay {{kEveryDay, 0, 23 * 60 + 59, true, 2}};
    const WeeklySchedule backToBack {
        {kEveryDay, 9 * 60, 12 * 60, true, 2}, {kEveryDay, 12 * 60, 17 * 60, true, 3}};
    struct Row {
        const char* name;
        WeeklySchedule schedule;
        // "DAY HH:MM" moves the clock there; then tap-start, tap-stop,
        // profile-N (a tap or a script), autostart (the start at login),
        // pause-DAY-HH:MM or resume (a script's pause of the schedule).
        const char* steps;
        bool monitoring;
        int32_t profile;
        const char* log; // the schedule's own switches
        // "DAY HH:MM-HH:MM", a meeting that switches monitoring on with profile 3.
        const char* busy = nullptr;
    };
    const Row rows[] = {
        {"a window's end gives back the profile and leaves monitoring on", dayOn,
            "Mon 08:00 tap-start; Mon 09:00; Mon 17:00", true, 1, "profile 2, profile 1"},
        {"an off window's end starts monitoring again", lunchOff,
            "Mon 08:00 tap-start; Mon 12:00; Mon 13:00", true, 1, "stop, start"},
        {"a script's choice inside a window stays after it", nightOn,
            "Mon 21:00; Mon 22:00; Tue 06:55 profile-2 tap-start; Tue 07:00", true, 2,
            "profile 3, start"},
        {"a stop inside a window stays after it", dayOn,
            "Mon 08:00; Mon 09:00; Mon 10:00 tap-stop; Mon 17:00", false, 1,
            "profile 2, start, profile 1"},
        {"a profile chosen inside a window stays, monitoring goes back", dayOn,
            "Mon 08:00; Mon 09:00; Mon 10:00 profile-3; Mon 17:00", false, 3,
            "profile 2, start, stop"},
        {"windows back to back switch no more than they must", backToBack,
            "Mon 08:00 tap-start; Mon 09:00; Mon 12:00; Mon 17:00", true, 1,
            "profile 2, profile 3, profile 1"},
        {"the start at login inside an on window does not toggle", allDay,
            "Mon 00:30 autostart; Mon 23:00", true, 2, "profile 2, start"},
        {"the start at login counts as on when the window ends", allDay,
            "Mon 00:30 autostart; Mon 23:59", true, 1, "profile 2, start, profile 1"},
        {"an off window holds the start at login off", lunchOff, "Mon 12:30 autostart; Mon 12:45",
            false, 1, ""},
        {"the start at login comes when the off window ends", lunchOff,
            "Mon 12:30 autostart; Mon 12:45; Mon 13:00", true, 1, "start"},
        {"the start at login outside every window starts", dayOn, "Mon 08:00 autostart", true, 1,
            "start"},
        {"a pause skips tonight's window", nightOn,
            "Mon 21:00 pause-Tue-08:00; Mon 22:00; Tue 07:00; Tue 08:00", false, 1, ""},
        {"a pause inside a window ends it and its end brings it back", nightOn,
            "Mon 21:00; Mon 22:00; Mon 23:00 pause-Tue-01:00; Tue 01:00", true, 3,
            "profile 3, start, stop, profile 1, profile 3, start"},
        {"resuming brings the window in force", nightOn,
            "Mon 21:00 pause-Tue-08:00; Mon 23:00 resume", true, 3, "profile 3, start"},
        {"a meeting runs monitoring with its profile, and its end gives back", {},
            "Mon 13:00; Mon 14:00; Mon 15:30", false, 1, "profile 3, start, stop, profile 1",
            "Mon 14:00-15:30"},
        {"a meeting wins over an off window, which holds again after it", lunchOff,
            "Mon 08:00 tap-start; Mon 12:00; Mon 12:15; Mon 12:45; Mon 13:00", true, 1,
            "stop, profile 3, start, stop, profile 1, start", "Mon 12:15-12:45"},
        {"a stop during a meeting stays after it", {},
            "Mon 13:00; Mon 14:00; Mon 14:30 tap-stop; Mon 15:30", false, 1,
            "profile 3, start, profile 1", "Mon 14:00-15:30"},
        {"a pause holds the calendar off too", {},
            "Mon 13:00 pause-Mon-15:00; Mon 14:00; Mon 15:00; Mon 15:30", false, 1,
            "profile 3, start, stop, profile 1", "Mon 14:00-15:30"},
        {"the start at login during a meeting counts as on after it", {},
            "Mon 14:10 autostart; Mon 15:30", true, 1, "profile 3, start, profile 1",
            "Mon 14:00-15:30"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        FakeSession session;
        QDateTime now;
        ScheduleRunner runner(
            session, [&] { return now; }, QTimeZone::utc());
        bool started = false;
        for (const QString& step : QString::fromLatin1(row.steps).split(QStringLiteral("; "))) {
            const QStringList words = step.split(QLatin1Char(' '));
            now = At(words[0], words[1]);
            if (!started && row.busy) {
                const QStringList busy = QString::fromLatin1(row.busy).split(u' ');
                const QStringList times = busy[1].split(u'-');
                runner.SetCalendar(
                    std::make_shared<BusyTimeline>(
                        std::vector<BusySpan> {{At(busy[0], times[0]).toMSecsSinceEpoch(),
                            At(busy[0], times[1]).toMSecsSinceEpoch()}},
                        At(QStringLiteral("Wed"), QStringLiteral("23:59")).toMSecsSinceEpoch()),
                    3);
            }
            if (!started)
                runner.SetSchedule(row.schedule);
            else
                runner.Evaluate();
            started = true;
            for (const QString& hand : words.mid(2)) {
                if (hand.startsWith(QStringLiteral("pause-"))) {
                    runner.SetPause(At(hand.mid(6, 3), hand.mid(10)));
                } else if (hand == QStringLiteral("resume")) {
                    runner.SetPause(std::nullopt);
                } else if (hand == QStringLiteral("autostart")) {
                    QString warning;
                    if (runner.AutoStart() && !session.monitoring)
                        session.ScheduleStart(warning);
                } else if (hand.startsWith(QStringLiteral("profile-"))) {
                    session.profile = hand.mid(8).toInt();
                    runner.ChoiceMade(false, true);
                } else {
                    session.monitoring = hand == QStringLiteral("tap-start");
                    runner.ChoiceMade(true, false);
                }
            }
        }
        EXPECT_EQ(session.monitoring, row.monitoring);
        EXPECT_EQ(session.profile, row.profile);
        EXPECT_EQ(session.log.join(QStringLiteral(", ")), QString::fromLatin1(row.log));
    }
}

TEST(ScheduleRunner, ASaveInsideAWindowKeepsTheUsersOwnProfile)
{
    FakeSession session;
    QDateTime now = At(QStringLiteral("Mon"), QStringLiteral("10:00"));
    ScheduleRunner runner(
        session, [&] { return now; }, QTimeZone::utc());
    runner.SetSchedule({{kEveryDay, 9 * 60, 17 * 60, true, 2}});
    EXPECT_EQ(runner.ProfileBefore(), 1);
    session.profile = 3;
    runner.ChoiceMade(false, true);
    EXPECT_EQ(runner.ProfileBefore(), std::nullopt) << "the choice is the user's own now";
}

TEST(ScheduleRunner, AnotherTimeZoneMovesTheNextChangeAtOnce)
{
    FakeSession session;
    const QDateTime now = At(QStringLiteral("Mon"), QStringLiteral("07:00"));
    ScheduleRunner runner(
        session, [&] { return now; }, QTimeZone::utc());
    runner.SetSchedule({{kEveryDay, 9 * 60, 17 * 60, true, 2}});
    ASSERT_TRUE(runner.NextChange());
    EXPECT_EQ(runner.NextChange()->at, At(QStringLiteral("Mon"), QStringLiteral("09:00")));
    runner.SetZone(QTimeZone(3600));
    ASSERT_TRUE(runner.NextChange());
    EXPECT_EQ(runner.NextChange()->at, At(QStringLiteral("Mon"), QStringLiteral("08:00")));
}

TEST(ScheduleRunner, TheNextChangeNamesTheCalendarAndSkipsWhatAMeetingHides)
{
    FakeSession session;
    QDateTime now = At(QStringLiteral("Mon"), QStringLiteral("13:00"));
    ScheduleRunner runner(
        session, [&] { return now; }, QTimeZone::utc());
    const auto ms = [](const char* time) {
        return At(QStringLiteral("Mon"), QString::fromLatin1(time)).toMSecsSinceEpoch();
    };
    // A working day's window, a meeting inside it and one across its end.
    runner.SetSchedule({{kEveryDay, 9 * 60, 17 * 60, true, 2}});
    runner.SetCalendar(
        std::make_shared<BusyTimeline>(
            std::vector<BusySpan> {{ms("14:00"), ms("15:30")}, {ms("16:30"), ms("17:30")}},
            ms("23:59")),
        3);
    const auto name = [](int32_t id) { return QStringLiteral("P%1").arg(id); };
    const std::pair<const char*, const char*> cases[] = {
        {"13:00", "Calendar: P3 from 14:00"},
        {"14:00", "Calendar: busy until 15:30"},
        {"15:30", "Calendar: P3 from 16:30"},
        {"16:30", "Calendar: busy until 17:30"},
        {"17:30", "Schedule: P2 from Tue 09:00"},
    };
    for (const auto& [time, text] : cases) {
        now = At(QStringLiteral("Mon"), QString::fromLatin1(time));
        runner.Evaluate();
        EXPECT_EQ(runner.NextChangeText(name), QString::fromLatin1(text)) << time;
    }
    EXPECT_EQ(runner.BusyStretch(), std::nullopt);
    now = At(QStringLiteral("Mon"), QStringLiteral("14:10"));
    EXPECT_EQ(runner.BusyStretch(), (BusySpan {ms("14:00"), ms("15:30")}));
}

TEST(ScheduleRunner, ACalendarChosenToSwitchNothingLeavesEverythingAlone)
{
    FakeSession session;
    const QDateTime now = At(QStringLiteral("Mon"), QStringLiteral("14:10"));
    ScheduleRunner runner(
        session, [&] { return now; }, QTimeZone::utc());
    const auto ms = [](const char* time) {
        return At(QStringLiteral("Mon"), QString::fromLatin1(time)).toMSecsSinceEpoch();
    };
    runner.SetCalendar(std::make_shared<BusyTimeline>(
                           std::vector<BusySpan> {{ms("14:00"), ms("15:30")}}, ms("23:59")),
        0);
    EXPECT_EQ(session.log, QStringList {});
    EXPECT_FALSE(runner.CalendarHolds());
    EXPECT_EQ(runner.NextChange(), std::nullopt);
    EXPECT_EQ(runner.BusyStretch(), (BusySpan {ms("14:00"), ms("15:30")}));
}
