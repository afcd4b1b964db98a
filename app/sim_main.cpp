// pelmora-sim: runs Pelmora's window off screen from a script of calls,
// taps and clock moves, and prints what the program does.

#include "app/SimRunner.h"
#include "app/SimScript.h"
#include "platform/shell/ShellServices.h"
#include "platform/storage/DataDirectory.h"
#include "resources/Resources.h"

#include <QApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QTextStream>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <optional>

#include <unistd.h>

namespace {

// The offscreen platform says so whenever a window asks for what it lacks;
// the run's output on standard error is for the script's reader.
QtMessageHandler g_standardHandler = nullptr;

void QuietOffscreenNotes(QtMsgType type, const QMessageLogContext& context, const QString& text)
{
    if (text.startsWith(QStringLiteral("This plugin does not support")))
        return;
    if (g_standardHandler)
        g_standardHandler(type, context, text);
    else
        std::fprintf(
            stderr, "%s\n", qFormatLogMessage(type, context, text).toLocal8Bit().constData());
}

// The phone's screen the arguments ask for, read before the platform
// starts, since the offscreen platform takes its screen when it does. A
// wrong value is left for the parser to report.
std::optional<pelmora::sim::PhoneScreen> AskedPhoneScreen(int argc, char** argv)
{
    std::optional<pelmora::sim::PhoneScreen> asked;
    for (int i = 1; i < argc; ++i) {
        const QString word = QString::fromLocal8Bit(argv[i]);
        const auto value = [&](const QString& name) -> std::optional<QString> {
            if (word.startsWith(name + u'='))
                return word.mid(name.size() + 1);
            if (word == name && i + 1 < argc)
                return QString::fromLocal8Bit(argv[i + 1]);
            return std::nullopt;
        };
        if (const auto kind = value(QStringLiteral("--screen")); kind && !asked)
            asked = *kind == QStringLiteral("phone") ? std::optional(pelmora::sim::PhoneScreen {})
                                                     : std::nullopt;
        if (const auto size = value(QStringLiteral("--screen-size")))
            if (const auto screen = pelmora::sim::ParsePhoneScreen(*size))
                asked = screen;
    }
    return asked;
}

} // namespace

int main(int argc, char** argv)
{
    // The window is real but never on a screen: the simulated phone screen
    // on the offscreen platform's own, or a phone's screen given to it.
    std::filesystem::path screenFile;
    if (const auto phone = AskedPhoneScreen(argc, argv)) {
        screenFile = std::filesystem::temp_directory_path()
            / ("pelmora-sim-screen-" + std::to_string(getpid()) + ".json");
        std::ofstream(screenFile) << pelmora::sim::OffscreenConfig(*phone).toStdString();
        setenv("QT_QPA_PLATFORM", ("offscreen:configfile=" + screenFile.string()).c_str(), 1);
    } else {
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    }
    g_standardHandler = qInstallMessageHandler(QuietOffscreenNotes);
    QApplication app(argc, argv);
    if (!screenFile.empty()) {
        std::error_code gone;
        std::filesystem::remove(screenFile, gone);
    }
    QApplication::setApplicationName(QStringLiteral("Pelmora"));
    QApplication::setOrganizationName(QStringLiteral("Vantrel"));
    QGuiApplication::setDesktopFileName(QString::fromLatin1(pelmora::kApplicationId));

    const pelmora::sim::Options options = pelmora::sim::ParseOptions(QApplication::arguments());
    if (options.exitCode >= 0) {
        std::fputs(options.message.toUtf8().constData(), options.exitCode == 0 ? stdout : stderr);
        return options.exitCode;
    }
    QFile file;
    const bool opened = options.script == QStringLiteral("-")
        ? file.open(stdin, QIODevice::ReadOnly)
        : (file.setFileName(options.script), file.open(QIODevice::ReadOnly));
    if (!opened) {
        std::fprintf(
            stderr, "pelmora-sim: %s cannot be read\n", options.script.toUtf8().constData());
        return 2;
    }
    const QString text = QString::fromUtf8(file.readAll());

    pelmora::RegisterResources();
    // The whole script is checked before anything runs.
    const pelmora::sim::Script script
        = pelmora::sim::ParseScript(text, pelmora::SimRunner::TemplateControls());
    if (!script.errors.empty()) {
        for (const pelmora::sim::ScriptError& error : script.errors)
            std::fprintf(stderr, "pelmora-sim: %s:%d: %s\n", options.script.toUtf8().constData(),
                error.line, error.reason.toUtf8().constData());
        return 2;
    }

    pelmora::SimRunner::Setup setup;
    setup.dataDir = options.dataDir.isEmpty()
        ? pelmora::DataDirectory()
        : std::filesystem::path(options.dataDir.toStdString());
    std::error_code made;
    std::filesystem::create_directories(setup.dataDir, made);
    if (!options.contacts.isEmpty())
        setup.contacts = std::filesystem::path(options.contacts.toStdString());
    if (!options.calendar.isEmpty())
        setup.calendar = std::filesystem::path(options.calendar.toStdString());
    setup.screenshots = options.screenshots.isEmpty()
        ? std::filesystem::current_path()
        : std::filesystem::path(options.screenshots.toStdString());
    std::filesystem::create_directories(setup.screenshots, made);
    setup.clockMs = options.clockMs.value_or(QDateTime::currentMSecsSinceEpoch());
    setup.phone = options.phone;

    pelmora::SimRunner runner(setup, std::cout, std::cerr);
    return runner.Run(script.commands);
}
