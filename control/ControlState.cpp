#include "control/ControlState.h"

namespace pelmora {

QVariantMap ControlProperties(const ControlState& state)
{
    return {
        {QStringLiteral("Monitoring"), state.monitoring},
        {QStringLiteral("SentCount"), state.sentCount},
        {QStringLiteral("ActiveProfile"), state.activeProfile},
        {QStringLiteral("Profiles"), state.profiles},
        {QStringLiteral("Interactive"), state.interactive},
        {QStringLiteral("PendingQuestion"), state.pendingQuestion},
        {QStringLiteral("Schedule"), state.schedule},
        {QStringLiteral("NextChange"), state.nextChange},
        {QStringLiteral("NextChangeTime"), state.nextChangeTime},
        {QStringLiteral("NextChangeAction"), state.nextChangeAction},
        {QStringLiteral("NextChangeProfile"), state.nextChangeProfile},
        {QStringLiteral("SchedulePausedUntil"), state.schedulePausedUntil},
        {QStringLiteral("BusyFrom"), state.busyFrom},
        {QStringLiteral("BusyUntil"), state.busyUntil},
        {QStringLiteral("QuietMinutes"), state.quietMinutes},
        {QStringLiteral("DataDirectory"), state.dataDirectory},
    };
}

QVariantMap ChangedControlProperties(const ControlState& before, const ControlState& after)
{
    const QVariantMap old = ControlProperties(before);
    QVariantMap changed = ControlProperties(after);
    for (auto it = changed.begin(); it != changed.end();)
        it = old.value(it.key()) == it.value() ? changed.erase(it) : std::next(it);
    return changed;
}

} // namespace pelmora
