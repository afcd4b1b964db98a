#include "app/StartOptions.h"

#include <QCommandLineParser>

namespace pelmora {

namespace {
constexpr int kTabCount = 5;
}

StartOptions ParseStartOptions(const QStringList& arguments)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Answers missed phone calls with a text message."));
    const QCommandLineOption help = parser.addHelpOption();
    const QCommandLineOption screenshot(QStringLiteral("screenshot"),
        QStringLiteral("Render the main window to a PNG file and exit."), QStringLiteral("FILE"));
    const QCommandLineOption tab(QStringLiteral("tab"),
        QStringLiteral("The tab shown in the screenshot, 0 to 4."), QStringLiteral("N"));
    const QCommandLineOption pane(QStringLiteral("pane"),
        QStringLiteral("The pane of the Rules tab opened in the screenshot: 0 exclude, 1 include."),
        QStringLiteral("N"));
    const QCommandLineOption landscape(
        QStringLiteral("landscape"), QStringLiteral("Start on a turned (landscape) screen."));
    const QCommandLineOption rotate(
        QStringLiteral("rotate"), QStringLiteral("Turn the screen once the window is up."));
    const QCommandLineOption backend(QStringLiteral("backend"),
        QStringLiteral("The phone line and SMS: simulated or modemmanager."),
        QStringLiteral("NAME"));
    const QCommandLineOption calendar(QStringLiteral("calendar"),
        QStringLiteral("Read the busy times from this iCalendar file or folder of .ics files "
                       "instead of the calendars of Evolution Data Server."),
        QStringLiteral("FILE_OR_DIR"));
    const QCommandLineOption start(QStringLiteral("start"),
        QStringLiteral("Start monitoring in the running Pelmora, or start Pelmora hidden and "
                       "monitoring when none runs."));
    const QCommandLineOption stop(
        QStringLiteral("stop"), QStringLiteral("Stop monitoring in the running Pelmora."));
    const QCommandLineOption status(QStringLiteral("status"),
        QStringLiteral("Print whether the running Pelmora monitors, its sent count, active "
                       "profile and open question."));
    const QCommandLineOption profile(QStringLiteral("profile"),
        QStringLiteral("Make the profile of this name the active one."), QStringLiteral("NAME"));
    const QCommandLineOption answer(QStringLiteral("answer"),
        QStringLiteral("Answer the open question: yes or no."), QStringLiteral("yes|no"));
    const QCommandLineOption quit(
        QStringLiteral("quit"), QStringLiteral("End the running Pelmora, everything saved."));
    const QCommandLineOption json(QStringLiteral("json"),
        QStringLiteral("With --status: print one JSON object (monitoring, interactive, sent "
                       "count, profiles, the open question, the next schedule change)."));
    const QCommandLineOption interactive(QStringLiteral("interactive"),
        QStringLiteral("Ask before each reply (on) or not (off)."), QStringLiteral("on|off"));
    const QCommandLineOption quiet(QStringLiteral("quiet"),
        QStringLiteral("Don't reply again to the same number within MINUTES: 0, 15, 60, 360, "
                       "1440 or 10080."),
        QStringLiteral("MINUTES"));
    const QCommandLineOption schedule(QStringLiteral("schedule"),
        QStringLiteral("Replace the schedule with the windows of a JSON file (a list, or an "
                       "options file)."),
        QStringLiteral("FILE"));
    const QCommandLineOption pause(QStringLiteral("pause-schedule"),
        QStringLiteral("The schedule switches nothing until UNTIL (ISO 8601, such as "
                       "2026-12-10T08:00)."),
        QStringLiteral("UNTIL"));
    const QCommandLineOption resume(
        QStringLiteral("resume-schedule"), QStringLiteral("End a pause of the schedule."));
    const QCommandLineOption hidden(
        QStringLiteral("hidden"), QStringLiteral("Start in the tray, with the window hidden."));
    const QCommandLineOption screen(QStringLiteral("screen"),
        QStringLiteral("The screen to lay out for: phone (the real screen), simulated (a 240 x 320 "
                       "phone screen) or auto."),
        QStringLiteral("KIND"));
    parser.addOption(screenshot);
    parser.addOption(screen);
    parser.addOption(tab);
    parser.addOption(pane);
    parser.addOption(landscape);
    parser.addOption(rotate);
    parser.addOption(backend);
    parser.addOption(calendar);
    for (const QCommandLineOption* option : {&start, &stop, &status, &json, &profile, &answer,
             &interactive, &quiet, &schedule, &pause, &resume, &quit, &hidden})
        parser.addOption(*option);
    parser.addPositionalArgument(QStringLiteral("/h"),
        QStringLiteral("The start-up shortcut's argument: start monitoring by itself."),
        QStringLiteral("[/h]"));

    StartOptions options;
    const auto usageError = [&](const QString& what) {
        options.exitCode = 2;
        options.message = QStringLiteral("pelmora: %1\n%2").arg(what, parser.helpText());
        return options;
    };
    if (!parser.parse(arguments))
        return usageError(parser.errorText());
    if (parser.isSet(help) || parser.isSet(QStringLiteral("help-all"))) {
        options.exitCode = 0;
        options.message = parser.helpText();
        return options;
    }
    // "/h" counts anywhere, as on the phone, but only outside option values:
    // a screenshot path under /home is not a start from the shortcut.
    for (const QString& argument : parser.positionalArguments())
        if (argument.contains(QStringLiteral("/h")))
            options.autostart = true;
    options.screenshot = parser.value(screenshot);
    if (parser.isSet(tab)) {
        bool number = false;
        options.tab = parser.value(tab).toInt(&number);
        if (!number || options.tab < 0 || options.tab >= kTabCount)
            return usageError(QStringLiteral("--tab takes a number from 0 to %1, not \"%2\"")
                                  .arg(kTabCount - 1)
                                  .arg(parser.value(tab)));
    }
    if (parser.isSet(pane)) {
        bool number = false;
        options.pane = parser.value(pane).toInt(&number);
        if (!number || options.pane < 0 || options.pane > 1)
            return usageError(
                QStringLiteral("--pane takes 0 or 1, not \"%1\"").arg(parser.value(pane)));
    }
    options.landscape = parser.isSet(landscape);
    options.rotate = parser.isSet(rotate);
    options.backend = parser.value(backend);
    options.calendar = parser.value(calendar);
    options.hidden = parser.isSet(hidden);
    ControlCommand& control = options.control;
    control.start = parser.isSet(start);
    control.stop = parser.isSet(stop);
    control.status = parser.isSet(status);
    control.quit = parser.isSet(quit);
    if (parser.isSet(profile)) {
        control.profile = parser.value(profile);
        if (control.profile.isEmpty())
            return usageError(QStringLiteral("--profile takes a profile's name"));
    }
    if (parser.isSet(answer)) {
        const QString value = parser.value(answer).toLower();
        if (value != QStringLiteral("yes") && value != QStringLiteral("no"))
            return usageError(
                QStringLiteral("--answer takes yes or no, not \"%1\"").arg(parser.value(answer)));
        control.answer = value == QStringLiteral("yes");
    }
    control.json = parser.isSet(json);
    if (control.json && !control.status)
        return usageError(QStringLiteral("--json goes with --status"));
    if (parser.isSet(interactive)) {
        const QString value = parser.value(interactive).toLower();
        if (value != QStringLiteral("on") && value != QStringLiteral("off"))
            return usageError(QStringLiteral("--interactive takes on or off, not \"%1\"")
                                  .arg(parser.value(interactive)));
        control.interactive = value == QStringLiteral("on");
    }
    if (parser.isSet(quiet)) {
        bool number = false;
        const uint minutes = parser.value(quiet).toUInt(&number);
        if (!number)
            return usageError(
                QStringLiteral("--quiet takes minutes, not \"%1\"").arg(parser.value(quiet)));
        control.quietMinutes = minutes;
    }
    options.scheduleFile = parser.value(schedule);
    if (parser.isSet(schedule) && options.scheduleFile.isEmpty())
        return usageError(QStringLiteral("--schedule takes a file"));
    if (parser.isSet(pause) && parser.isSet(resume))
        return usageError(QStringLiteral("--pause-schedule and --resume-schedule cannot be asked "
                                         "together"));
    control.pauseUntil = parser.isSet(resume) ? QStringLiteral("resume") : parser.value(pause);
    if (parser.isSet(pause) && control.pauseUntil.isEmpty())
        return usageError(QStringLiteral("--pause-schedule takes a moment"));
    if (control.start && control.stop)
        return usageError(QStringLiteral("--start and --stop cannot be asked together"));
    if (control.Any() && !options.screenshot.isEmpty())
        return usageError(QStringLiteral("--screenshot cannot be given with a request to the "
                                         "running Pelmora"));
    if (parser.isSet(screen)) {
        const std::optional<ScreenChoice> choice = ParseScreenChoice(parser.value(screen));
        if (!choice)
            return usageError(QStringLiteral("--screen takes phone, simulated or auto, not \"%1\"")
                                  .arg(parser.value(screen)));
        options.screen = *choice;
    }
    return options;
}

} // namespace pelmora
