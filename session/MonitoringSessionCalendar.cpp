#include "session/MonitoringSession.h"

#include "calendar/CalendarReading.h"

#include <cstdio>

// The session's calendar: its snapshots read into busy time for the
// schedule and [BUSYUNTIL], and a calendar that cannot be read told.
namespace pelmora {

void MonitoringSession::SetCalendar(std::unique_ptr<CalendarFeed> feed)
{
    calendarFeed_ = std::move(feed);
    if (calendarFeed_ && schedule_)
        calendarFeed_->Start(
            [this](CalendarSnapshot snapshot) { OnCalendar(std::move(snapshot)); });
}

void MonitoringSession::OnCalendar(CalendarSnapshot snapshot)
{
    calendar_ = std::move(snapshot);
    calendarReadAt_ = 0;
    ReadCalendar();
}

void MonitoringSession::ReadCalendar()
{
    // Recurring events are expanded a year ahead and again each day.
    constexpr int64_t kDay = 24 * 60 * 60;
    const int64_t now = clock_();
    if (!calendar_ || (calendarReadAt_ != 0 && now - calendarReadAt_ < kDay))
        return;
    calendarReadAt_ = now;
    const QDateTime moment = QDateTime::fromSecsSinceEpoch(now, zone_);
    CalendarReading reading
        = ReadBusyTime(*calendar_, moment.addDays(-1), moment.addDays(400), zone_);
    busy_ = std::make_shared<const BusyTimeline>(std::move(reading.busy));
    // Only a calendar that matters is worth a notice: one the user named,
    // or one that switches monitoring.
    const QString problem = reading.problems.join(QStringLiteral("; "));
    if (problem != calendarProblem_) {
        calendarProblem_ = problem;
        const bool matters = calendarFeed_->Named() || ownSettings_.calendarBusyProfileId != 0;
        if (!problem.isEmpty() && matters)
            std::fprintf(stderr, "pelmora: calendar: %s\n", problem.toLocal8Bit().constData());
        if (!problem.isEmpty() && matters)
            view_.Add(u"Pelmora calendar",
                QStringLiteral("Your calendar could not be read: %1. The schedule and your own "
                               "choices go on; busy times that cannot be read switch nothing.")
                    .arg(problem)
                    .toHtmlEscaped()
                    .toStdU16String(),
                60, kCalendarNotice);
        else
            view_.Remove(kCalendarNotice);
    }
    if (schedule_)
        schedule_->SetCalendar(busy_, ownSettings_.calendarBusyProfileId);
}

std::optional<BusySpan> MonitoringSession::BusyStretch() const
{
    return busy_ ? busy_->StretchAt(clock_() * 1000) : std::nullopt;
}

QString MonitoringSession::BusyUntilText() const
{
    return pelmora::BusyUntilText(busy_ ? *busy_ : BusyTimeline(),
        QDateTime::fromSecsSinceEpoch(clock_(), zone_), zone_, ownSettings_.busyUntilWord);
}

} // namespace pelmora
