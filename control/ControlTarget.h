#pragma once

#include "control/ControlState.h"

#include <QString>

namespace pelmora {

// What the control interface asks of the monitoring session. Each call acts
// as the matching tap would; a refusal returns the text the window would have
// shown in a message box (and shows none), success an empty string.
class ControlTarget {
public:
    virtual ~ControlTarget() = default;
    virtual ControlState ReadControlState() const = 0;
    // `warning` gets what a tap's start would warn of, if anything.
    virtual QString ControlStart(QString& warning) = 0;
    virtual void ControlStop() = 0;
    virtual QString ControlSetActiveProfile(const QString& name) = 0;
    virtual void ControlSetInteractive(bool interactive) = 0;
    // The options a script may change while Pelmora runs, each saved at
    // once: the quiet period (one of its choices), the schedule (its JSON
    // list, checked as the options file is) and a pause of the schedule
    // until a moment (ISO 8601) or its end.
    virtual QString ControlSetQuietMinutes(uint32_t minutes) = 0;
    virtual QString ControlSetSchedule(const QString& json) = 0;
    virtual QString ControlPauseSchedule(const QString& until) = 0;
    virtual void ControlResumeSchedule() = 0;
    // The open question's Yes or No; called only while the question the
    // caller names is the open one.
    virtual QString ControlAnswer(bool yes) = 0;
    // File > Exit without its question, once the caller has had its answer.
    virtual void ControlQuit() = 0;
};

} // namespace pelmora
