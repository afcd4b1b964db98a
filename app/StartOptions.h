#pragma once

#include "control/ControlClient.h"
#include "platform/shell/ScreenMetrics.h"

#include <QString>
#include <QStringList>

namespace pelmora {

// What the program's command line asks for.
struct StartOptions {
    // Exit status when the program should not start: 0 after --help, 2 for a
    // usage error; -1 to start.
    int exitCode = -1;
    // What to print before exiting: the usage (stdout) or the error and the
    // usage (stderr).
    QString message;

    // "/h" in any argument: the start-up shortcut's automatic start.
    bool autostart = false;
    // --screenshot FILE: render the window to a PNG and exit.
    QString screenshot;
    // --tab N: the tab shown in the screenshot.
    int tab = 0;
    // --pane N: the pane of the Rules tab opened for the screenshot.
    int pane = -1;
    // --landscape starts on a turned screen, --rotate turns it once the
    // window is up.
    bool landscape = false;
    bool rotate = false;
    // --backend NAME: the phone line and SMS backend, chosen at start when
    // empty.
    QString backend;
    // --calendar FILE_OR_DIR: busy times from iCalendar files rather than
    // Evolution Data Server.
    QString calendar;
    // --start, --stop, --status, --profile, --answer, --quit: a request to
    // the running program over the session bus.
    ControlCommand control;
    // --schedule FILE: the windows to send, read by the caller.
    QString scheduleFile;
    // --hidden: start in the tray with the window hidden, as --start does
    // when no Pelmora runs yet.
    bool hidden = false;
    // --screen phone|simulated|auto: the real screen or the simulated one;
    // automatic (PELMORA_SCREEN, else the screen and the session decide)
    // when not given.
    ScreenChoice screen = ScreenChoice::Automatic;
};

// Reads the arguments (the program name first) as Qt left them. Arguments
// that are not options are allowed, as the phone's shell passes any; only
// "/h" means something in them.
StartOptions ParseStartOptions(const QStringList& arguments);

} // namespace pelmora
