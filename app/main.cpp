#include "app/MonitorDlg.h"
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
    // --landscape starts on a turned screen, --rotate turns it once the
    // window is up, --pane N opens pane N of the Rules tab.
    std::string screenshot;
    int tab = 0;
    int pane = -1;
    bool landscape = false;
    bool rotate = false;
    QString backend;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--screenshot" && i + 1 < argc)
            screenshot = argv[++i];
        else if (arg == "--tab" && i + 1 < argc)
            tab = std::atoi(argv[++i]);
        else if (arg == "--pane" && i + 1 < argc)
            pane = std::atoi(argv[++i]);
        else if (arg == "--landscape")
            landscape = true;
        else if (arg == "--rotate")
            rotate = true;
        else if (arg == "--backend" && i + 1 < argc)
            backend = QString::fromLocal8Bit(argv[++i]);
    }
    const char* platform = std::getenv("QT_QPA_PLATFORM");
    const bool headless = !HasDisplay() && !(platform && *platform);
    if (headless) {
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
        if (screenshot.empty())
            screenshot = (pelmora::DataDirectory() / "pelmora-main.png").string();
    }

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Pelmora"));
    QApplication::setOrganizationName(QStringLiteral("Vantrel"));
    pelmora::RegisterResources();

    const std::filesystem::path dataDir = pelmora::DataDirectory();
    // The phone line and SMS: ModemManager's voice modem, or the simulated
    // line and the outbox.
    const std::unique_ptr<pelmora::ActiveBackends> backends
        = pelmora::ChooseBackends(backend, dataDir);
    if (!backends)
        return 2;

    // Contacts come from Evolution Data Server or from vCard files.
    const auto contacts = pelmora::ChooseAddressBook(dataDir);
    pelmora::SetAddressBook(contacts.get());

    if (landscape)
        pelmora::dlg::ScreenModel::Instance().Rotate();
    pelmora::CMonitorDlg dialog(dataDir);
    if (!screenshot.empty()) {
        dialog.Create(nullptr);
        dialog.SelectPage(tab);
        dialog.show();
        QApplication::processEvents();
        if (pelmora::CMultiWnd* panes = dialog.RulesPanes(); panes && panes->Caption(pane))
            panes->Tap(panes->Caption(pane));
        if (rotate)
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
