// Times the schedule at 10, 50 and 100 windows (the most a schedule holds):
// the start's evaluation (the window in force and the next change, worked
// out once) and a read of the next change as the control interface and the
// Main page make it, in a zone with summer time.

#include "bench/Measure.h"
#include "schedule/ScheduleRunner.h"

#include <cstdio>

using namespace pelmora;

namespace {

class Target final : public ScheduleTarget {
public:
    int32_t ScheduleActiveProfileId() const override { return profile_; }
    bool ScheduleSetActiveProfile(int32_t id) override
    {
        profile_ = id;
        return true;
    }
    bool ScheduleIsMonitoring() const override { return monitoring_; }
    bool ScheduleStart(QString&) override { return monitoring_ = true; }
    void ScheduleStop() override { monitoring_ = false; }
    void ScheduleTellUser(const QString&) override { }
    void ScheduleWakeAt(const std::optional<QDateTime>&) override { }

private:
    int32_t profile_ = 1;
    bool monitoring_ = false;
};

// Windows of every kind: on and off, across midnight, on differing days.
WeeklySchedule Windows(size_t count)
{
    WeeklySchedule schedule;
    for (size_t i = 0; i < count; ++i) {
        const int start = static_cast<int>(i * 97 % ScheduleWindow::kMinutesPerDay);
        schedule.push_back({static_cast<uint8_t>(1 + i % 127), start,
            (start + 60 + static_cast<int>(i % 5) * 300) % ScheduleWindow::kMinutesPerDay,
            i % 3 != 0, static_cast<int32_t>(1 + i % 4)});
    }
    return schedule;
}

} // namespace

int main()
{
    const QTimeZone zone(QByteArrayLiteral("Europe/Berlin"));
    // The week before the change to summer time, the hardest to work out.
    const QDateTime now(QDate(2026, 3, 24), QTime(10, 0), zone);
    std::printf("%-10s %14s %14s\n", "windows", "start ms", "read ms");
    for (const size_t count : {size_t {10}, size_t {50}, kMaxScheduleWindows}) {
        const WeeklySchedule schedule = Windows(count);
        Target target;
        const double start = bench::BestMeanMs(
            [&] {
                ScheduleRunner runner(
                    target, [&] { return now; }, zone);
                runner.SetSchedule(schedule);
            },
            3);
        ScheduleRunner runner(
            target, [&] { return now; }, zone);
        runner.SetSchedule(schedule);
        const double read = bench::BestMeanMs(
            [&] { runner.NextChangeText([](int32_t) { return QStringLiteral("Work"); }); }, 100);
        std::printf("%-10zu %14.3f %14.4f\n", count, start, read);
    }
    return 0;
}
