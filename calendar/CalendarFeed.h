#pragma once

#include "calendar/CalendarDocuments.h"

#include <QObject>

#include <filesystem>
#include <functional>
#include <memory>
#include <optional>

namespace pelmora {

// Where the program's calendar comes from, handing each new snapshot to
// the thread that started it: iCalendar files (--calendar), or the user's
// calendars in Evolution Data Server, read live.
class CalendarFeed : public QObject {
public:
    using Publish = std::function<void(CalendarSnapshot)>;

    // Files are looked at again every `pollMs` milliseconds (0: only when
    // Poll() asks), so an edited file counts without a restart.
    static std::unique_ptr<CalendarFeed> FromFiles(std::filesystem::path source, int pollMs = 2000);
    static std::unique_ptr<CalendarFeed> FromServer();
    // The server's calendars as they are now, for a command that reads
    // them once; none when the server does not answer within `waitMs`.
    static std::optional<CalendarSnapshot> ReadServerOnce(int waitMs);

    virtual void Start(Publish publish) = 0;
    // Looks at the calendar now where it is not told of changes.
    virtual void Poll() { }
    // The user named this calendar: when it cannot be read they are told,
    // even if nothing else needs it.
    virtual bool Named() const = 0;
};

} // namespace pelmora
