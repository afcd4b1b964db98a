// Measures the start of the program as a user meets it: from main() to the
// first painted main window, then each of the five tabs painted once, then
// monitoring started (which reads the address book), over a vCard address
// book of 10,000 contacts; and the window's resident memory at the end.

#include "app/MonitorDlg.h"
#include "messages/MainPage.h"
#include "platform/ActiveBackends.h"
#include "platform/contacts/VCardAddressBook.h"
#include "platform/framework/MessageBox.h"
#include "resources/Resources.h"

#include <QApplication>
#include <QEvent>

#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>

using namespace pelmora;

namespace {

using Clock = std::chrono::steady_clock;

double Millis(Clock::duration d)
{
    return std::chrono::duration<double, std::milli>(d).count();
}

void WriteBook(const std::filesystem::path& file, int count)
{
    std::ofstream out(file, std::ios::binary);
    for (int i = 0; i < count; ++i) {
        out << "BEGIN:VCARD\r\nVERSION:3.0\r\n"
            << "N:Last" << i << ";First" << i << ";;Mx.;\r\n"
            << "FN:First" << i << " Last" << i << "\r\n"
            << "UID:bench-" << i << "\r\n"
            << "TEL;TYPE=cell:+44 7700 " << 100000 + i << "\r\n"
            << "TEL;TYPE=home:020 7946 " << 1000 + i % 9000 << "\r\n"
            << "END:VCARD\r\n";
    }
}

// A field of /proc/self/status in MiB ("VmRSS", "VmHWM").
double StatusMiB(const char* field)
{
    std::ifstream status("/proc/self/status");
    std::string line;
    const std::string key = std::string(field) + ":";
    while (std::getline(status, line))
        if (line.rfind(key, 0) == 0)
            return std::stod(line.substr(key.size())) / 1024.0;
    return 0;
}

double CpuMsSoFar()
{
    rusage usage {};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_utime.tv_sec * 1000.0 + usage.ru_utime.tv_usec / 1000.0
        + usage.ru_stime.tv_sec * 1000.0 + usage.ru_stime.tv_usec / 1000.0;
}

// Notes when a widget has painted.
class PaintWatch final : public QObject {
public:
    bool painted = false;
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Paint)
            painted = true;
        return QObject::eventFilter(watched, event);
    }
};

// Runs the event loop until `widget` has painted.
void UntilPainted(QWidget* widget)
{
    PaintWatch watch;
    widget->installEventFilter(&watch);
    widget->update();
    while (!watch.painted)
        QApplication::processEvents(QEventLoop::WaitForMoreEvents);
    widget->removeEventFilter(&watch);
}

} // namespace

int main(int argc, char** argv)
{
    constexpr int kContacts = 10000;
    const auto dir = std::filesystem::temp_directory_path()
        / ("pelmora-window-bench-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir / "data");
    WriteBook(dir / "contacts.vcf", kContacts);
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    setenv("PELMORA_HOME", (dir / "data").c_str(), 1);
    const double cpuBefore = CpuMsSoFar();

    // From here on, what the program does when it starts.
    const auto start = Clock::now();
    QApplication app(argc, argv);
    RegisterResources();
    dlg::SetMessageBoxHandler([](const dlg::MessageBoxCall&) { return dlg::IDOK; });
    const auto backends = ChooseBackends(QStringLiteral("simulated"), dir / "data");
    VCardAddressBook book(dir / "contacts.vcf");
    SetAddressBook(&book);
    auto dialog = std::make_unique<CMonitorDlg>(dir / "data");
    if (!dialog->Create(nullptr)) {
        std::fprintf(stderr, "the window could not be built\n");
        return 1;
    }
    dialog->show();
    UntilPainted(dialog.get());
    const double firstPaint = Millis(Clock::now() - start);
    const double firstPaintCpu = CpuMsSoFar() - cpuBefore;

    // Every tab once, as a user looking around does.
    const auto tabsStart = Clock::now();
    for (int tab : {1, 2, 3, 4, 0}) {
        dialog->SelectPage(tab);
        UntilPainted(dialog->Page(tab));
    }
    const double allTabs = Millis(Clock::now() - tabsStart);

    // Start monitoring: the contacts are logged on and the book is read.
    CMainPage* main = dialog->MainPage();
    const auto monitorStart = Clock::now();
    main->RouteCommand(CMainPage::IDC_START_STOP);
    const double startMonitor = Millis(Clock::now() - monitorStart);
    const bool monitoring = dialog->IsMonitoring();
    QApplication::processEvents();

    std::printf("contacts                              %d\n", kContacts);
    std::printf("main() to first painted window        %.1f ms (%.1f ms processor time)\n",
        firstPaint, firstPaintCpu);
    std::printf("the five tabs, each painted once      %.1f ms\n", allTabs);
    std::printf("Start Monitor (contacts logged on)    %.1f ms%s\n", startMonitor,
        monitoring ? "" : "  (monitoring did not start!)");
    std::printf("resident memory of the window         %.1f MiB (peak %.1f MiB)\n",
        StatusMiB("VmRSS"), StatusMiB("VmHWM"));

    dialog.reset();
    SetAddressBook(nullptr);
    std::filesystem::remove_all(dir);
    return 0;
}
