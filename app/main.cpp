#include "app/MonitorDlg.h"
#include "app/StartOptions.h"
#include "platform/ActiveBackends.h"
#include "platform/contacts/AddressBookChoice.h"
#include "platform/framework/ScreenModel.h"
#include "platform/storage/DataDirectory.h"
#include "resources/Resources.h"
#include "ui/MultiWnd.h"

#include <QApplication>
#include <QPixmap>
#include <QTimer>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

bool HasDisplay()
{
    const char* x11 = std::getenv("DISPLAY");
    const char* wayland = std::getenv("WAYLAND_DISPLAY");
    return (x11 && *x11) || (wayland && *wayland);
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

    if (options.landscape)
        pelmora::dlg::ScreenModel::Instance().Rotate();
    pelmora::CMonitorDlg dialog(dataDir);
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
    dialog.DoModal();
    return 0;
}
