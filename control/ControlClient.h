#pragma once

#include <QDBusConnection>
#include <QJsonObject>
#include <QString>

#include <optional>

namespace pelmora {

// What the command line asks of a running Pelmora.
struct ControlCommand {
    bool start = false;
    bool stop = false;
    bool status = false;
    bool quit = false;
    QString profile; // --profile NAME; empty when not given
    std::optional<bool> answer; // --answer yes|no
    std::optional<bool> interactive; // --interactive on|off
    std::optional<uint32_t> quietMinutes; // --quiet MINUTES
    QString schedule; // --schedule FILE.json: the file's text
    QString pauseUntil; // --pause-schedule UNTIL, or "resume" for --resume-schedule
    bool json = false; // --json: --status as one JSON object

    bool Any() const
    {
        return start || stop || status || quit || !profile.isEmpty() || answer.has_value()
            || interactive.has_value() || quietMinutes.has_value() || !schedule.isEmpty()
            || !pauseUntil.isEmpty();
    }
};

// The command line's exit statuses for requests to the running Pelmora.
enum ControlExit : int {
    kControlDone = 0,
    kControlRefused = 1,
    kControlUsage = 2,
    kControlNotRunning = 3,
    kControlOtherDataDirectory = 4,
    kControlNotAnswering = 5,
};

// How long the command line waits for each answer of the running Pelmora.
inline constexpr int kControlCallTimeoutMs = 3000;

struct ControlOutcome {
    int exitCode = 0;
    QString out; // for stdout
    QString err; // for stderr
};

// Whether a Pelmora owns the control name on `bus`.
bool ControlServiceRuns(const QDBusConnection& bus);

// Carries out `command` against the running Pelmora: first it checks that
// Pelmora uses `dataDirectory` (kControlOtherDataDirectory when not), then
// the options (quiet period, schedule, its pause, interactive mode), the
// profile, start or stop, the answer, the status, and quit last; the first
// refusal ends it with its message and kControlRefused, a call not answered
// within kControlCallTimeoutMs with kControlNotAnswering.
ControlOutcome RunControlCommand(
    const ControlCommand& command, const QDBusConnection& bus, const QString& dataDirectory);

// Asks the bus to start Pelmora (its D-Bus service, through systemd where
// systemd runs the session) and waits until it owns its name; false when
// the bus knows no such service or it did not come up.
bool ActivateControlService(const QDBusConnection& bus);

// The status lines --status prints, and the object --status --json prints.
QString ControlStatusText(const QVariantMap& properties);
QJsonObject ControlStatusJson(const QVariantMap& properties);

} // namespace pelmora
