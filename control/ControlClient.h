#pragma once

#include <QDBusConnection>
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

    bool Any() const
    {
        return start || stop || status || quit || !profile.isEmpty() || answer.has_value();
    }
};

// How long the command line waits for each answer of the running Pelmora.
inline constexpr int kControlCallTimeoutMs = 3000;
// The exit status when it did not answer in time.
inline constexpr int kControlNotAnswering = 5;

struct ControlOutcome {
    int exitCode = 0;
    QString out; // for stdout
    QString err; // for stderr
};

// Whether a Pelmora owns the control name on `bus`.
bool ControlServiceRuns(const QDBusConnection& bus);

// Carries out `command` against the running Pelmora: the profile first,
// then start or stop, the answer, the status, and quit last; the first
// refusal ends it with its message and exit status 1, a call not answered
// within kControlCallTimeoutMs with kControlNotAnswering.
ControlOutcome RunControlCommand(const ControlCommand& command, const QDBusConnection& bus);

// The status lines --status prints.
QString ControlStatusText(const QVariantMap& properties);

} // namespace pelmora
