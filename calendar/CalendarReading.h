#pragma once

#include "calendar/BusyTimeline.h"
#include "calendar/CalendarDocuments.h"

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <QTimeZone>

namespace pelmora {

// What the calendars say about a stretch of time.
struct CalendarReading {
    BusyTimeline busy;
    int busyEvents = 0; // events (and detached occurrences) that mark the user busy
    // A calendar that could not be read, or only in part: one line each.
    QStringList problems;
};

// The time the calendars mark busy from `from` to `until`. Only events that
// show the user as busy count: not transparent ("free") ones, not cancelled
// ones, not ones one of the user's own addresses declined. Recurring events
// are expanded with their exceptions and detached occurrences; all-day and
// floating times are read in `local`, other times in their own zones.
CalendarReading ReadBusyTime(const CalendarSnapshot& snapshot, const QDateTime& from,
    const QDateTime& until, const QTimeZone& local);

} // namespace pelmora
