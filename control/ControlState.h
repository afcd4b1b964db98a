#pragma once

#include <QString>
#include <QStringList>
#include <QVariantMap>

#include <cstdint>

namespace pelmora {

// What the control interface shows of the running program, read at one
// moment; comparing two readings tells which properties changed.
struct ControlState {
    bool monitoring = false;
    uint32_t sentCount = 0;
    QString activeProfile;
    QStringList profiles;
    bool interactive = false;
    // number, name and text of the open question; empty when none.
    QVariantMap pendingQuestion;
    // The weekly schedule as its JSON list, and its next change as the Main
    // page tells it ("Schedule: Sleeping from 23:00"); empty without one.
    QString schedule;
    QString nextChange;
    // The same change for scripts: its moment (ISO 8601 with the offset),
    // what it does ("on", "off" or "end") and, for "on", the profile's name;
    // all empty without one.
    QString nextChangeTime;
    QString nextChangeAction;
    QString nextChangeProfile;
    // Until when the schedule is paused (ISO 8601), empty when it is not.
    QString schedulePausedUntil;
    // The calendar's busy stretch that holds now (ISO 8601, back-to-back
    // events as one), whether or not it switches anything; empty when free.
    QString busyFrom;
    QString busyUntil;
    // "Don't reply again to the same number within", in minutes.
    uint32_t quietMinutes = 0;
    // The data directory this Pelmora uses, as its real path.
    QString dataDirectory;

    bool operator==(const ControlState&) const = default;
};

// The properties as the interface names them, all of them.
QVariantMap ControlProperties(const ControlState& state);
// Only those whose values differ between the two readings.
QVariantMap ChangedControlProperties(const ControlState& before, const ControlState& after);

} // namespace pelmora
