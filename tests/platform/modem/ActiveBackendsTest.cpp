#include "platform/ActiveBackends.h"
#include "monitor/LineMonitor.h"
#include "monitor/SmsSender.h"
#include "platform/sms/Outbox.h"
#include "platform/sms/PlatformVersion.h"
#include "platform/telephony/ModemManagerLine.h"
#include "platform/telephony/SimulatedLine.h"
#include "tests/TestSupport.h"
#include "tests/platform/modem/ModemTestBus.h"

#include <QFile>

#include <cstdlib>
#include <gtest/gtest.h>

using namespace pelmora;
using namespace pelmora::test;

namespace {

struct NameCase {
    const char* name;
    std::optional<BackendKind> kind;
};

struct IntervalCase {
    const char* text;
    std::optional<int> milliseconds;
};

class NullWindow final : public MessageWindow {
public:
    intptr_t SendWindowMessage(uint32_t, uintptr_t, intptr_t) override { return 0; }
};

class ActiveBackendsTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(PrivateSystemBusIsUp()); }
    std::unique_ptr<ActiveBackends> Choose(const QString& backend, QString* error = nullptr)
    {
        return ActiveBackends::Choose(
            {backend, QString(), dir.Path()}, error, QDBusConnection::systemBus(), {5000, 5000});
    }
    QByteArray Outbox() const
    {
        QFile file(QString::fromStdString((dir.Path() / kOutboxFileName).string()));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    ScratchDir dir;
    FakeModemManagerProcess fake;
    NullWindow window;
};

} // namespace

TEST(BackendNamesTest, OnlyTheTwoNamesAreKnown)
{
    const NameCase cases[] = {
        {"simulated", BackendKind::Simulated},
        {"modemmanager", BackendKind::ModemManager},
        {"ModemManager", std::nullopt},
        {"mm", std::nullopt},
        {" simulated", std::nullopt},
        {"", std::nullopt},
    };
    for (const NameCase& c : cases)
        EXPECT_EQ(BackendKindFromName(QString::fromLatin1(c.name)), c.kind) << c.name;
}

TEST(BackendNamesTest, RingIntervalIsSecondsWithinLimits)
{
    const IntervalCase cases[] = {
        {"5", 5000},
        {"0.5", 500},
        {" 2 ", 2000},
        {"0.01", 10},
        {"60", 60000},
        {"0", std::nullopt},
        {"0.001", std::nullopt},
        {"61", std::nullopt},
        {"-1", std::nullopt},
        {"nan", std::nullopt},
        {"inf", std::nullopt},
        {"5s", std::nullopt},
        {"", std::nullopt},
    };
    for (const IntervalCase& c : cases)
        EXPECT_EQ(RingIntervalFromText(QString::fromLatin1(c.text)), c.milliseconds) << c.text;
}

TEST_F(ActiveBackendsTest, WithoutModemManagerTheSimulatedLineAndOutboxAreUsed)
{
    std::unique_ptr<ActiveBackends> backends = Choose(QString());
    ASSERT_TRUE(backends);
    EXPECT_EQ(backends->Kind(), BackendKind::Simulated);
    ASSERT_EQ(backends->Notices().size(), 1);
    EXPECT_TRUE(backends->Notices()[0].startsWith(QStringLiteral("no voice modem found")));
    EXPECT_TRUE(backends->Notices()[0].contains(
        QString::fromStdString((dir.Path() / kOutboxFileName).string())));
    EXPECT_EQ(
        backends->Description(), QStringLiteral("Simulated line and outbox: no voice modem found"));
    EXPECT_EQ(BackendDescription(), backends->Description());
    ASSERT_NE(backends->Simulated(), nullptr);
    EXPECT_EQ(CurrentTelephonyBackend(), backends->Simulated());

    // Calls come from the simulated line, texts go to the outbox.
    CLineMonitor monitor;
    ASSERT_TRUE(monitor.Open(&window, -1));
    backends->Simulated()->IncomingCall(u"+441632960301");
    EXPECT_EQ(monitor.callerNumber, u"+441632960301");
    monitor.Close();
    SetPlatformMajorVersion(5);
    CSmsSender sender;
    ASSERT_TRUE(sender.Init());
    EXPECT_EQ(SendNow(sender, u"Back soon", u"+441632960301"), true);
    EXPECT_TRUE(Outbox().contains("\"number\":\"+441632960301\",\"path\":\"message-store\","
                                  "\"text\":\"Back soon\""));

    backends.reset();
    EXPECT_EQ(CurrentTelephonyBackend(), nullptr);
    EXPECT_EQ(CurrentSmsBackend(), nullptr);
    EXPECT_TRUE(BackendDescription().isEmpty());
}

TEST_F(ActiveBackendsTest, VoiceModemIsChosenAndNamed)
{
    ASSERT_TRUE(fake.Start({QStringLiteral("data"), QStringLiteral("voice")}));
    std::unique_ptr<ActiveBackends> backends = Choose(QString());
    ASSERT_TRUE(backends);
    EXPECT_EQ(backends->Kind(), BackendKind::ModemManager);
    EXPECT_TRUE(backends->Notices().isEmpty());
    EXPECT_EQ(backends->Description(), QStringLiteral("ModemManager: Pelmora Test Voice Modem"));
    EXPECT_EQ(CurrentTelephonyBackend(), backends->ModemLine());
    EXPECT_EQ(backends->ModemLine()->Options().ringIntervalMs, 5000);
}

TEST_F(ActiveBackendsTest, ModemWithoutVoiceIsNotChosen)
{
    ASSERT_TRUE(fake.Start({QStringLiteral("data")}));
    std::unique_ptr<ActiveBackends> backends = Choose(QString());
    ASSERT_TRUE(backends);
    EXPECT_EQ(backends->Kind(), BackendKind::Simulated);
    EXPECT_EQ(backends->Notices().size(), 1);
}

TEST_F(ActiveBackendsTest, ForcedSimulatedLineLeavesModemManagerAlone)
{
    ASSERT_TRUE(fake.Start({QStringLiteral("voice")}));
    std::unique_ptr<ActiveBackends> backends = Choose(QStringLiteral("simulated"));
    ASSERT_TRUE(backends);
    EXPECT_EQ(backends->Kind(), BackendKind::Simulated);
    EXPECT_TRUE(backends->Notices().isEmpty());
    EXPECT_EQ(backends->Description(), QStringLiteral("Simulated line and outbox"));
    EXPECT_EQ(backends->Client(), nullptr);
    EXPECT_EQ(fake.Count(QStringLiteral("GetManagedObjects")), 0);
}

TEST_F(ActiveBackendsTest, ForcedModemManagerWithoutItCannotOpenTheLineUntilItComes)
{
    std::unique_ptr<ActiveBackends> backends = Choose(QStringLiteral("modemmanager"));
    ASSERT_TRUE(backends);
    EXPECT_EQ(backends->Kind(), BackendKind::ModemManager);
    EXPECT_EQ(backends->Notices().size(), 1);
    EXPECT_EQ(backends->Description(), QStringLiteral("ModemManager: no voice modem"));

    // Start Monitor reports the line that cannot be opened; a reply fails.
    CLineMonitor monitor;
    EXPECT_FALSE(monitor.Open(&window, -1));
    EXPECT_FALSE(monitor.IsOpen());
    SetPlatformMajorVersion(5);
    CSmsSender sender;
    ASSERT_TRUE(sender.Init());
    const SendAnswer answer = StartSend(sender, u"Back soon", u"+441632960302");
    ASSERT_TRUE(WaitUntil([&] { return answer->has_value(); }));
    EXPECT_EQ(*answer, false);
    EXPECT_TRUE(Outbox().isEmpty());

    ASSERT_TRUE(fake.Start({QStringLiteral("voice")}));
    EXPECT_TRUE(monitor.Open(&window, -1));
    EXPECT_EQ(backends->Description(), QStringLiteral("ModemManager: Pelmora Test Voice Modem"));
    monitor.Close();
}

TEST_F(ActiveBackendsTest, UnknownBackendIsAnError)
{
    QString error;
    EXPECT_FALSE(Choose(QStringLiteral("gsm"), &error));
    EXPECT_EQ(error, QStringLiteral("unknown backend \"gsm\"; use simulated or modemmanager"));
    EXPECT_EQ(CurrentTelephonyBackend(), nullptr);
}

TEST_F(ActiveBackendsTest, RingIntervalComesFromTheRequest)
{
    ASSERT_TRUE(fake.Start({QStringLiteral("voice")}));
    std::unique_ptr<ActiveBackends> quick = ActiveBackends::Choose(
        {QString(), QStringLiteral("0.25"), dir.Path()}, nullptr, QDBusConnection::systemBus());
    ASSERT_TRUE(quick && quick->ModemLine());
    EXPECT_EQ(quick->ModemLine()->Options().ringIntervalMs, 250);
    EXPECT_TRUE(quick->Notices().isEmpty());
    quick.reset();

    std::unique_ptr<ActiveBackends> wrong = ActiveBackends::Choose(
        {QString(), QStringLiteral("fast"), dir.Path()}, nullptr, QDBusConnection::systemBus());
    ASSERT_TRUE(wrong && wrong->ModemLine());
    EXPECT_EQ(wrong->ModemLine()->Options().ringIntervalMs, 5000);
    ASSERT_EQ(wrong->Notices().size(), 1);
    EXPECT_TRUE(wrong->Notices()[0].startsWith(QStringLiteral("PELMORA_RING_INTERVAL")));
}

TEST_F(ActiveBackendsTest, OptionWinsOverTheEnvironment)
{
    ASSERT_TRUE(fake.Start({QStringLiteral("voice")}));
    setenv("PELMORA_BACKEND", "simulated", 1);
    setenv("PELMORA_RING_INTERVAL", "1.5", 1);
    std::unique_ptr<ActiveBackends> fromEnvironment = ChooseBackends(QString(), dir.Path());
    ASSERT_TRUE(fromEnvironment);
    EXPECT_EQ(fromEnvironment->Kind(), BackendKind::Simulated);
    fromEnvironment.reset();

    std::unique_ptr<ActiveBackends> fromOption
        = ChooseBackends(QStringLiteral("modemmanager"), dir.Path());
    ASSERT_TRUE(fromOption && fromOption->ModemLine());
    EXPECT_EQ(fromOption->ModemLine()->Options().ringIntervalMs, 1500);
    fromOption.reset();

    setenv("PELMORA_BACKEND", "tapi", 1);
    EXPECT_FALSE(ChooseBackends(QString(), dir.Path()));
    unsetenv("PELMORA_BACKEND");
    unsetenv("PELMORA_RING_INTERVAL");
}
