// Measures the lasting history at 100,000 calls: the reply pipeline's own
// time from the monitor's report to the text handed to the SMS transport
// (the quiet period's look-up included, the history write that follows the
// hand-over measured apart), and Tools > History opened from the main window:
// the time to its first painted list and the window's memory with it open.

#include "app/MonitorDlg.h"
#include "bench/Measure.h"
#include "history/CallHistory.h"
#include "history/HistoryDlg.h"
#include "messages/ContactsSession.h"
#include "messages/TemplateStore.h"
#include "monitor/BubbleNotifier.h"
#include "monitor/MemoryCallLog.h"
#include "monitor/MissedCallPipeline.h"
#include "monitor/SmsSender.h"
#include "platform/ActiveBackends.h"
#include "platform/contacts/VCardAddressBook.h"
#include "platform/framework/MessageBox.h"
#include "platform/sms/Outbox.h"
#include "platform/sms/PlatformVersion.h"
#include "resources/Resources.h"
#include "rules/ProfileStore.h"
#include "settings/SettingsRecord.h"

#include <QApplication>
#include <QDateTime>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTreeView>
#include <QVariant>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>
#include <vector>

using namespace pelmora;
using pelmora::bench::Figures;
using pelmora::bench::Summarise;

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kRows = 100000;

double Millis(Clock::duration d)
{
    return std::chrono::duration<double, std::milli>(d).count();
}

// A history of `kRows` calls a minute apart up to `now`, written in one
// transaction beside the history's own code, which made the schema.
bool WriteHistory(const std::filesystem::path& dir, int64_t now)
{
    {
        CallHistory history(dir, now, 0);
        CallRecord first;
        first.timeUtc = now - kRows * 60;
        first.number = u"+447700000000";
        if (history.Record(first) == 0)
            return false;
    }
    bool right = true;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), "bench");
        db.setDatabaseName(QString::fromStdString((dir / kHistoryFileName).string()));
        right = db.open() && db.transaction();
        QSqlQuery query(db);
        query.prepare(QStringLiteral(
            "INSERT INTO calls (time_utc, utc_offset, number, caller_name, lookup_stage, rings,"
            " reason, text, fate) VALUES (?, 3600, ?, ?, 'not found', 3, ?, ?, ?)"));
        for (int i = 1; right && i < kRows; ++i) {
            const bool replied = i % 3 != 0;
            query.addBindValue(QVariant::fromValue<qint64>(now - (kRows - i) * 60));
            query.addBindValue(
                QStringLiteral("+4477009%1").arg(i % 20000, 5, 10, QLatin1Char('0')));
            query.addBindValue(
                i % 4 == 0 ? QStringLiteral("First%1 Last%1").arg(i % 500) : QStringLiteral(""));
            query.addBindValue(replied ? QStringLiteral("replied") : QStringLiteral("rings"));
            query.addBindValue(replied ? QStringLiteral("Sorry I missed your call, back soon.")
                                       : QStringLiteral(""));
            query.addBindValue(replied ? QStringLiteral("sent") : QStringLiteral("none"));
            right = query.exec();
        }
        right = right && db.commit();
    }
    QSqlDatabase::removeDatabase("bench");
    return right;
}

// Takes what the transport hands over and notes when.
class MemorySmsBackend final : public ImmediateSmsBackend {
public:
    bool Send(std::u16string_view number, std::u16string_view, SmsPath) override
    {
        handed = Clock::now();
        lastNumber = number;
        return true;
    }
    Clock::time_point handed;
    std::u16string lastNumber;
};

class QuietBubble final : public BubbleNotifier {
public:
    bool Add(std::u16string_view, std::u16string_view, uint32_t, uint32_t) override { return true; }
    bool Remove(uint32_t) override { return true; }
};

class BenchWindow final : public MissedCallWindow {
public:
    MissedCallOptions ReadOptions() const override
    {
        MissedCallOptions options;
        options.ringsBeforeSendIndex = 1;
        options.quietMinutes = 60;
        options.passesRules = [](std::u16string_view, bool) { return true; };
        return options;
    }
    void StartTimer(uint32_t, uint32_t) override { }
    void ShowSentCount(int32_t) override { }
    void ReplyRefused(std::u16string_view) override { }
};

class FixedActiveProfile final : public ActiveProfileSource {
public:
    ProfileRecord* profile = nullptr;
    ProfileRecord* ActiveProfile() const override { return profile; }
};

void Print(const char* what, const Figures& f)
{
    std::printf("%-36s %9.3f %9.3f %9.3f\n", what, f.median, f.mean, f.worst);
}

// The pipeline over the history: every call a number the quiet period looks
// up (and lets pass, so that the text goes out and the row is written).
bool MeasurePipeline(const std::filesystem::path& dir, int64_t start)
{
    std::ofstream(dir / "contacts.vcf")
        << "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Brown;Ann;;;\r\nFN:Ann Brown\r\n"
           "TEL;TYPE=cell:+44 7700 900123\r\nEND:VCARD\r\n";
    VCardAddressBook book(dir / "contacts.vcf");
    SetAddressBook(&book);
    CContactsSession contacts;
    if (!contacts.Logon())
        return false;
    ResetTemplateStore();
    ConnectProfilesToStores();
    const TemplateRecord* greeting
        = AppendTemplate(u"Greeting", u"Hi [FIRSTNAME], sorry I missed your call.");
    FixedActiveProfile active;
    active.profile = AddProfile(u"Default", greeting->id);
    SetActiveProfileSource(&active);
    SettingsRecord settings;
    settings.internationalPrefix.Assign(u"+44");
    SetPlatformMajorVersion(4);
    MemorySmsBackend memory;
    SetSmsBackend(&memory);
    CSmsSender transport;
    transport.Init();
    int64_t now = start;
    CMemoryCallLog log([&] { return now; });
    BenchWindow window;
    QuietBubble bubble;
    CallHistory history(dir, now, 0);
    CMissedCallPipeline pipeline(
        settings, contacts, transport, window, bubble, log, [&] { return now; });
    pipeline.maxTotalAtStart = 1 << 30;
    pipeline.SetRecorder(&history);

    std::vector<double> handOver, whole, write;
    bool right = true;
    for (int i = 0; i < 1000; ++i) {
        // Numbers of the history, answered more than an hour ago.
        const std::u16string number = QStringLiteral("+4477009%1")
                                          .arg(i * 7 % 20000, 5, 10, QLatin1Char('0'))
                                          .toStdU16String();
        now += 3601;
        memory.lastNumber.clear();
        const auto begin = Clock::now();
        const MissedCallResult result = pipeline.OnMissedCall(number, 4);
        const auto end = Clock::now();
        right = right && result.status == ReplyStatus::Yes && memory.lastNumber == number;
        handOver.push_back(Millis(memory.handed - begin));
        whole.push_back(Millis(end - begin));
        write.push_back(Millis(end - memory.handed));
        if (log.Rows().size() > 200)
            log.RemoveRow(0);
    }
    std::printf("%d history rows; milliseconds per call    median      mean     worst\n",
        static_cast<int>(history.Count()));
    Print("report to transport (ours)", Summarise(handOver));
    Print("history write after the hand-over", Summarise(write));
    Print("the whole call", Summarise(whole));
    SetSmsBackend(nullptr);
    SetActiveProfileSource(nullptr);
    contacts.Logoff();
    SetAddressBook(nullptr);
    return right;
}

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

void UntilPainted(QWidget* widget)
{
    PaintWatch watch;
    widget->installEventFilter(&watch);
    widget->update();
    while (!watch.painted)
        QApplication::processEvents(QEventLoop::WaitForMoreEvents);
    widget->removeEventFilter(&watch);
}

// Tools > History from the main window over the history in `data`.
bool MeasureWindow(const std::filesystem::path& data)
{
    RegisterResources();
    dlg::SetMessageBoxHandler([](const dlg::MessageBoxCall&) { return dlg::IDOK; });
    const auto backends = ChooseBackends(QStringLiteral("simulated"), data);
    auto dialog = std::make_unique<CMonitorDlg>(data);
    if (!dialog->Create(nullptr))
        return false;
    dialog->show();
    UntilPainted(dialog.get());
    const double before = StatusMiB("VmRSS");
    double firstPaint = 0, search = 0, open = 0;
    int rows = 0;
    Clock::time_point start;
    dlg::SetModalHandler([&](dlg::CDialog& modal) {
        auto& shown = dynamic_cast<CHistoryDlg&>(modal);
        shown.show();
        UntilPainted(shown.View()->viewport());
        firstPaint = Millis(Clock::now() - start);
        rows = shown.Model().rowCount();
        open = StatusMiB("VmRSS");
        const auto typed = Clock::now();
        shown.Model().Search(u"+447700912");
        UntilPainted(shown.View()->viewport());
        search = Millis(Clock::now() - typed);
        return dlg::IDOK;
    });
    start = Clock::now();
    dialog->RouteCommand(CMonitorDlg::ID_TOOLS_HISTORY);
    dlg::SetModalHandler(nullptr);
    std::printf("\nTools > History over %d calls\n", kRows);
    std::printf("command to first painted list         %.1f ms (%d rows read)\n", firstPaint, rows);
    std::printf("a search typed, to the list painted   %.1f ms\n", search);
    std::printf("resident memory: window %.1f MiB, with History open %.1f MiB (peak %.1f MiB)\n",
        before, open, StatusMiB("VmHWM"));
    dialog.reset();
    return rows > 0;
}

} // namespace

int main(int argc, char** argv)
{
    const auto dir = std::filesystem::temp_directory_path()
        / ("pelmora-history-bench-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir / "data");
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    setenv("PELMORA_HOME", (dir / "data").c_str(), 1);
    QApplication app(argc, argv);
    const int64_t now = QDateTime::currentSecsSinceEpoch();
    bool right = WriteHistory(dir / "data", now - 7 * 86400);
    right = right && MeasurePipeline(dir / "data", now - 7 * 86400);
    right = right && MeasureWindow(dir / "data");
    std::filesystem::remove_all(dir);
    if (!right) {
        std::printf("(something did not end as expected!)\n");
        return 1;
    }
    return 0;
}
