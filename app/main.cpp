#include "app/MonitorDlg.h"
#include "app/PhoneSimulator.h"
#include "app/StartOptions.h"
#include "platform/ActiveBackends.h"
#include "platform/contacts/AddressBookChoice.h"
#include "platform/framework/ScreenModel.h"
#include "platform/modem/HomeCountryProbe.h"
#include "platform/shell/ShellServices.h"
#include "platform/shell/SingleInstance.h"
#include "platform/shell/TerminationSignals.h"
#include "platform/storage/DataDirectory.h"
#include "resources/Resources.h"
#include "ui/MultiWnd.h"

#include <QApplication>
#include <QEventLoop>
#include <QPixmap>
#include <QThread>
#include <QTimer>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

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
        }
        if (!instance.Warning().isEmpty())
            std::fprintf(stderr, "pelmora: %s\n", instance.Warning().toLocal8Bit().constData());
    }

    if (options.landscape)
        pelmora::dlg::ScreenModel::Instance().Rotate();
    pelmora::CMonitorDlg dialog(dataDir);
    if (pelmora::ModemManagerClient* modem = backends->Client())
        dialog.SetHomeCountrySource([modem](QObject* context, auto done) {
            pelmora::ProbeHomeCountry(*modem, context, std::move(done));
        });
    QObject::connect(&instance, &pelmora::CSingleInstance::Activated, &dialog,
        &pelmora::CMonitorDlg::BringToFront);
    if (!screenshot.empty()) {
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
    dialog.show();
    // On the simulated line a desktop user needs a phone to call from.
    std::unique_ptr<pelmora::CPhoneSimulator> phone;
    if (backends->Simulated() && !headless
        && QGuiApplication::platformName() != QStringLiteral("offscreen")) {
        phone = std::make_unique<pelmora::CPhoneSimulator>(
            *backends->Simulated(), *backends->Outbox(), dialog);
        phone->show();
        phone->PlaceBeside(dialog);
    }
    return QApplication::exec() == 0 ? 0 : 1;
}
