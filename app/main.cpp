#include "app/MonitorDlg.h"
#include "app/StartOptions.h"
#include "platform/contacts/VCardAddressBook.h"
#include "platform/storage/DataDirectory.h"
#include "platform/telephony/SimulatedLine.h"
#include "resources/Resources.h"

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

    // Until a modem backend is chosen, calls come from the simulated line.
    pelmora::SimulatedLine line;
    pelmora::SetTelephonyBackend(&line);

    // Contacts come from vCard files: PELMORA_CONTACTS, or contacts.vcf in
    // the data directory.
    const std::filesystem::path dataDir = pelmora::DataDirectory();
    pelmora::VCardAddressBook contacts(pelmora::VCardAddressBook::DefaultSource(dataDir));
    pelmora::SetAddressBook(&contacts);

    pelmora::CMonitorDlg dialog(dataDir);
    if (!screenshot.empty()) {
        dialog.Create(nullptr);
        dialog.SelectPage(options.tab);
        dialog.show();
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
