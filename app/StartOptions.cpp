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
