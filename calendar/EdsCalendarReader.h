#pragma once

#include "calendar/CalendarDocuments.h"

#include <atomic>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

typedef struct _GMainContext GMainContext;
typedef struct _GCancellable GCancellable;
typedef struct _GSource GSource;
typedef struct _ESourceRegistry ESourceRegistry;

namespace pelmora {

// Reads Evolution Data Server's enabled calendars on a thread of its own,
// with a GLib main context of its own, like the contacts' EdsReader: the
// server's signals arrive there whatever event loop the program's thread
// runs. After reading every calendar, and after each burst of changes to
// their events, it hands a whole new snapshot to `publish`, from the reader
// thread.
//
// Each calendar becomes one VCALENDAR text: its events (masters and detached
// instances) and the time zones their times name. Document order: the
// default calendar first, then the others by display name (then UID).
// Calendars added, removed, enabled or disabled in the registry, and a
// server process that went away, make it connect to the calendars again.
// Without a server the snapshot is empty, says why in `problem`, and the
// reader tries again now and then.
class EdsCalendarReader final {
public:
    using Publish = std::function<void(CalendarSnapshot snapshot)>;

    explicit EdsCalendarReader(Publish publish);
    ~EdsCalendarReader();
    EdsCalendarReader(const EdsCalendarReader&) = delete;
    EdsCalendarReader& operator=(const EdsCalendarReader&) = delete;

    // Whether the server's registry runs on the session bus or can be
    // started there; asks the bus only, without starting anything.
    static bool ServerAvailable();

private:
    class Calendar; // one open calendar, its view and its last text
    struct Signals; // the registry's signal handlers and the timers
    friend struct Signals;

    void Run();
    void Reload();
    void Rebuild();
    bool ConnectRegistry();
    void ScheduleReload(unsigned delayMs);
    void ScheduleRebuild();
    static void Cancel(GSource*& source);

    Publish publish_;
    std::atomic<bool> stopping_ {false};
    GMainContext* context_;
    GCancellable* cancel_;
    ESourceRegistry* registry_ = nullptr;
    std::vector<std::unique_ptr<Calendar>> calendars_;
    std::vector<std::string> openProblems_; // calendars that could not be opened
    GSource* reload_ = nullptr;
    GSource* rebuild_ = nullptr;
    bool registryFailed_ = false;
    std::string registryProblem_; // why there is no registry
    std::thread thread_;
};

} // namespace pelmora
