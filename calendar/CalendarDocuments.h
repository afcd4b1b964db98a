#pragma once

#include <string>
#include <vector>

namespace pelmora {

// One calendar as a source hands it over: a whole iCalendar object
// (BEGIN:VCALENDAR ... END:VCALENDAR) with its events and the time zones
// their times name, read again at every change.
struct CalendarDocument {
    std::string name; // the file, or the calendar's display name, for notices
    std::string text;
};

// Every calendar a source reads, with the user's own addresses: an event
// one of them declined does not make the user busy.
struct CalendarSnapshot {
    std::vector<CalendarDocument> documents;
    std::vector<std::string> ownAddresses; // without "mailto:", any case
    // Why some or all of it could not be read; empty when all of it was.
    std::string problem;
};

} // namespace pelmora
