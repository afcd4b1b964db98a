#include "app/MonitorDlg.h"
#include "app/PhoneSimulator.h"
#include "app/StartOptions.h"
#include "calendar/CalendarFeed.h"
#include "control/ControlClient.h"
#include "control/ControlService.h"
#include "platform/ActiveBackends.h"
#include "platform/contacts/AddressBookChoice.h"
#include "platform/framework/MessageBox.h"
#include "platform/framework/ScreenModel.h"
#include "platform/modem/HomeCountryProbe.h"
#include "platform/shell/ShellServices.h"
#include "platform/shell/SingleInstance.h"
#include "platform/shell/TerminationSignals.h"
#include "platform/storage/DataDirectory.h"
#include "resources/Resources.h"
#include "ui/MultiWnd.h"

#include <QApplication>
#include <QDBusConnection>
#include <QEventLoop>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QPixmap>
#include <QProcess>
#include <QThread>
#include <QTimer>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include <signal.h>

namespace {

bool HasDisplay()
{
    const char* x11 = std::getenv("DISPLAY");
    const char* wayland = std::getenv("WAYLAND_DISPLAY");
    return (x11 && *x11) || (wayland && *wayland);
}

// After a session start the phone's services need a while to come up.
void WaitBeforeAutostart()
{
    constexpr int kAutostartWaitMs = 30000;
    QEventLoop wait;
    QTimer::singleShot(kAutostartWaitMs, &wait, &QEventLoop::quit);
    wait.exec();
}

void Print(const pelmora::ControlOutcome& outcome)
{
    std::fputs(outcome.out.toLocal8Bit().constData(), stdout);
    std::fputs(outcome.err.toLocal8Bit().constData(), stderr);
}

// Starts this program hidden in the tray and waits until its control object
// is on the bus; false when it ended or did not come up in time.
bool StartHiddenInstance(const QDBusConnection& bus, const QString& backend)
{
    QProcess process;
    process.setProgram(QCoreApplication::applicationFilePath());
    QStringList arguments {QStringLiteral("--hidden")};
    if (!backend.isEmpty())
        arguments << QStringLiteral("--backend") << backend;
    process.setArguments(arguments);
    process.setStandardOutputFile(QProcess::nullDevice());
    qint64 pid = 0;
    if (!process.startDetached(&pid))
        return false;
    constexpr int kWaitMs = 30000;
    constexpr int kStepMs = 100;
    for (int waited = 0; waited < kWaitMs; waited += kStepMs) {
        if (pelmora::ControlServiceRuns(bus))
            return true;
        if (kill(static_cast<pid_t>(pid), 0) != 0)
            return false;
        QThread::msleep(kStepMs);
    }
    return false;
}

// --start, --stop, --status, --profile, --answer, --quit: talks to the
// running program over the session bus and returns the exit status.
// The windows --schedule sends: the file's list, or the "schedule" of an
// options file; empty, with the reason on stderr, when it cannot be read.
QString ReadScheduleFile(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "pelmora: %s: %s\n", path.toLocal8Bit().constData(),
            file.errorString().toLocal8Bit().constData());
        return {};
    }
    const QByteArray bytes = file.readAll();
    const QJsonDocument document = QJsonDocument::fromJson(bytes);
    if (document.isObject() && document.object().contains(QStringLiteral("schedule")))
        return QString::fromUtf8(
            QJsonDocument(document.object().value(QStringLiteral("schedule")).toArray())
                .toJson(QJsonDocument::Compact));
    // Anything else goes as it is: Pelmora says what is wrong with it.
    return QString::fromUtf8(bytes);
}

int RunControlRequest(pelmora::StartOptions options)
{
    const QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        std::fprintf(stderr, "pelmora: no session bus: %s\n",
            bus.lastError().message().toLocal8Bit().constData());
        return pelmora::kControlNotRunning;
    }
    if (!options.scheduleFile.isEmpty()) {
        options.control.schedule = ReadScheduleFile(options.scheduleFile);
        if (options.control.schedule.isEmpty())
            return pelmora::kControlUsage;
    }
    std::error_code ignored;
    const std::filesystem::path real
        = std::filesystem::weakly_canonical(pelmora::DataDirectory(), ignored);
    const QString dataDir = QString::fromStdString(real.string());
    if (pelmora::ControlServiceRuns(bus)) {
        const pelmora::ControlOutcome outcome
            = pelmora::RunControlCommand(options.control, bus, dataDir);
        Print(outcome);
        return outcome.exitCode;
    }
    if (!options.control.start) {
        std::fputs("pelmora: Pelmora is not running\n", stderr);
        return pelmora::kControlNotRunning;
    }
    // The bus starts Pelmora where its service is installed, so it lives in
    // the session, not in the caller's control group (a timer's one-shot
    // unit would end it with itself); a build that is not installed starts
    // its own.
    if (!pelmora::ActivateControlService(bus) && !StartHiddenInstance(bus, options.backend)) {
        std::fputs("pelmora: Pelmora could not be started\n", stderr);
        return pelmora::kControlRefused;
    }
    const pelmora::ControlOutcome outcome
        = pelmora::RunControlCommand(options.control, bus, dataDir);
    Print(outcome);
    // A Pelmora started only to monitor must not stay behind idle.
    if (outcome.exitCode != 0) {
        pelmora::ControlCommand quit;
        quit.quit = true;
        pelmora::RunControlCommand(quit, bus, dataDir);
    }
    return outcome.exitCode;
}

} // namespace

int main(int argc, char** argv)
{
    // Without a display the program still runs: it renders its main window
    // off screen and leaves a picture of it, so a headless machine can show
    // what the program looks like.
    const char* platform = std::getenv("QT_QPA_PLATFORM");
    const bool headless = !HasDisplay() && !(platform && *platform);
    if (headless)
        setenv("QT_QPA_PLATFORM", "offscreen", 1);

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Pelmora"));
    QApplication::setOrganizationName(QStringLiteral("Vantrel"));
    // Lets the desktop match the windows to the installed entry and its icon.
    QGuiApplication::setDesktopFileName(QString::fromLatin1(pelmora::kApplicationId));
    // Qt has taken its own options out of the arguments by now.
    const pelmora::StartOptions options = pelmora::ParseStartOptions(QApplication::arguments());
    if (options.exitCode >= 0) {
        std::fputs(options.message.toUtf8().constData(), options.exitCode == 0 ? stdout : stderr);
        return options.exitCode;
    }
    if (options.control.Any() || !options.scheduleFile.isEmpty())
        return RunControlRequest(options);
    std::string screenshot = options.screenshot.toStdString();
    if (headless && screenshot.empty())
        screenshot = (pelmora::DataDirectory() / "pelmora-main.png").string();
    pelmora::RegisterResources();

    const std::filesystem::path dataDir = pelmora::DataDirectory();
    // The phone line and SMS: ModemManager's voice modem, or the simulated
    // line and the outbox.
    const std::unique_ptr<pelmora::ActiveBackends> backends
        = pelmora::ChooseBackends(options.backend, dataDir);
    if (!backends)
        return 2;

    // Contacts come from Evolution Data Server or from vCard files.
    const auto contacts = pelmora::ChooseAddressBook(dataDir);
    pelmora::SetAddressBook(contacts.get());

    // One program per data directory: a second start brings the first back
    // on screen and ends.
    pelmora::CSingleInstance instance(dataDir);
    if (screenshot.empty()) {
        switch (instance.Claim([](int milliseconds) { QThread::msleep(milliseconds); })) {
        case pelmora::CSingleInstance::ClaimResult::First:
            break;
        case pelmora::CSingleInstance::ClaimResult::Forwarded:
            return 0;
        case pelmora::CSingleInstance::ClaimResult::NoAnswer:
            std::fprintf(stderr,
                "pelmora: Pelmora is already running on %s but does not answer; not started\n",
                dataDir.c_str());
            return 1;
        case pelmora::CSingleInstance::ClaimResult::Refused:
            std::fprintf(
                stderr, "pelmora: %s; not started\n", instance.Warning().toLocal8Bit().constData());
            return 1;
        }
        if (!instance.Warning().isEmpty())
            std::fprintf(stderr, "pelmora: %s\n", instance.Warning().toLocal8Bit().constData());
    }

    pelmora::dlg::ScreenModel::Instance().Choose(options.screen);
    if (options.landscape)
        pelmora::dlg::ScreenModel::Instance().Rotate();
    pelmora::CMonitorDlg dialog(dataDir);
    if (pelmora::ModemManagerClient* modem = backends->Client())
        dialog.SetHomeCountrySource([modem](QObject* context, auto done) {
            pelmora::ProbeHomeCountry(*modem, context, std::move(done));
        });
    QObject::connect(&instance, &pelmora::CSingleInstance::Activated, &dialog,
        &pelmora::CMonitorDlg::BringToFront);
    if (screenshot.empty())
        dialog.Session().SetCalendar(options.calendar.isEmpty()
                ? pelmora::CalendarFeed::FromServer()
                : pelmora::CalendarFeed::FromFiles(options.calendar.toStdString()));
    if (!screenshot.empty()) {
        // Nobody can answer a message box while a picture is made (there
        // may be no display at all): what it says goes to standard error,
        // answered OK, or No to a question.
        pelmora::dlg::SetMessageBoxHandler([](const pelmora::dlg::MessageBoxCall& call) {
            std::fprintf(stderr, "pelmora: %s: %s\n",
                QString::fromStdU16String(call.title).toLocal8Bit().constData(),
                QString::fromStdU16String(call.text).toLocal8Bit().constData());
            return call.buttons == pelmora::dlg::MessageButtons::YesNo ? pelmora::dlg::IDNO
                                                                       : pelmora::dlg::IDOK;
        });
        dialog.Create(nullptr);
        dialog.SelectPage(options.tab);
        dialog.show();
        QApplication::processEvents();
        if (pelmora::CMultiWnd* panes = dialog.RulesPanes(); panes && panes->Caption(options.pane))
            panes->Tap(panes->Caption(options.pane));
        if (options.rotate)
            pelmora::dlg::ScreenModel::Instance().Rotate();
        QApplication::processEvents();
        if (!dialog.grab().save(QString::fromStdString(screenshot), "PNG")) {
            std::fprintf(stderr, "pelmora: could not write %s\n", screenshot.c_str());
            return 1;
        }
        std::printf("%s\n", screenshot.c_str());
        return 0;
    }
    if (options.autostart) {
        WaitBeforeAutostart();
        dialog.autostartSuppressed = 0;
    }
    // The window runs as the application's only window; it hides to the
    // tray without ending, which a modal loop would take as its end.
    QApplication::setQuitOnLastWindowClosed(false);
    QObject::connect(&dialog, &QDialog::finished, &app, &QCoreApplication::quit);
    if (!dialog.Create(nullptr))
        return 1;
    if (dialog.EndedAtStart())
        return 0;
    // From here on there is something to save: logout, shutdown and an
    // interrupt end the program as File > Exit does.
    pelmora::TerminationSignals endSignals;
    QObject::connect(&endSignals, &pelmora::TerminationSignals::Received, &dialog,
        &pelmora::CMonitorDlg::EndSession);
    // Scripts reach the window through the session bus.
    pelmora::ControlService control(dialog.Session());
    QObject::connect(&dialog.Session(), &pelmora::MonitoringSession::StateChanged, &control,
        &pelmora::ControlService::StateMayHaveChanged);
    QObject::connect(&dialog.Session(), &pelmora::MonitoringSession::MissedCallLogged, &control,
        &pelmora::ControlService::ReportMissedCall);
    control.Register(QDBusConnection::sessionBus());
    if (options.hidden)
        dialog.HideToTray();
    else
        dialog.show();
    // On the simulated line a desktop user needs a phone to call from.
    std::unique_ptr<pelmora::CPhoneSimulator> phone;
    if (backends->Simulated() && !headless && !options.hidden
        && QGuiApplication::platformName() != QStringLiteral("offscreen")) {
        phone = std::make_unique<pelmora::CPhoneSimulator>(
            *backends->Simulated(), *backends->Outbox(), dialog);
        phone->show();
        phone->PlaceBeside(dialog);
    }
    return QApplication::exec() == 0 ? 0 : 1;
}
