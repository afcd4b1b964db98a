#include "monitor/LineMonitor.h"
#include "monitor/SmsSender.h"
#include "platform/ActiveBackends.h"
#include "platform/sms/PlatformVersion.h"
#include "platform/telephony/ModemManagerLine.h"
#include "tests/TestSupport.h"
#include "tests/platform/modem/ModemTestBus.h"

#include <ModemManager.h>

#include <gtest/gtest.h>
#include <memory>
#include <vector>

// The call monitor and the SMS transport, unchanged, over the ModemManager
// backends and a fake ModemManager, for what the real daemon does not easily
// produce (real_modem_tests cover the common calls): a call whose number
// never comes, a modem unplugged and plugged in again.

using namespace pelmora;
using namespace pelmora::test;

namespace {

const std::u16string kReply = u"Sorry I missed you – I'll call back. Grüße 😊";

// Plays the reply pipeline's part: each missed call is answered at once
// through the transport.
class ReplyingWindow final : public MessageWindow {
public:
    explicit ReplyingWindow(CSmsSender& sender)
        : sender_(sender)
    {
    }
    intptr_t SendWindowMessage(uint32_t message, uintptr_t wParam, intptr_t lParam) override
    {
        if (message == WM_MISSEDCALL) {
            const std::u16string number = *reinterpret_cast<const std::u16string*>(wParam);
            reports.push_back({number, lParam, StartSend(sender_, kReply, number)});
        }
        return 0;
    }
    struct Report {
        std::u16string number;
        intptr_t rings;
        SendAnswer sent;
    };
    std::vector<Report> reports;

private:
    CSmsSender& sender_;
};

class ModemManagerMonitorTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(PrivateSystemBusIsUp());
        SetPlatformMajorVersion(5);
        ASSERT_TRUE(sender.Init());
        ASSERT_TRUE(fake.Start({QStringLiteral("voice")}));
    }
    void TearDown() override { monitor.Close(); }
    void Choose()
    {
        QString error;
        backends = ActiveBackends::Choose(
            {QStringLiteral("modemmanager"), QStringLiteral("600"), dir.Path()}, &error,
            QDBusConnection::systemBus(), {5000, 5000});
        ASSERT_TRUE(backends) << error.toStdString();
        ASSERT_EQ(backends->Kind(), BackendKind::ModemManager);
    }
    QString Modem() const { return backends->ModemLine()->Modem(); }

    ScratchDir dir;
    FakeModemManagerProcess fake;
    std::unique_ptr<ActiveBackends> backends;
    CLineMonitor monitor;
    CSmsSender sender;
    ReplyingWindow window {sender};
};

} // namespace

TEST_F(ModemManagerMonitorTest, CallWithoutCallerIdIsDroppedButNotAnswered)
{
    Choose();
    ASSERT_TRUE(monitor.Open(&window, 1));
    const QString call = fake.IncomingCall(QString());
    ASSERT_TRUE(fake.WaitForLog(QStringLiteral("Hangup\t") + call));
    ASSERT_TRUE(WaitUntil([&] { return monitor.ringCount == -1; }));
    EXPECT_TRUE(window.reports.empty());
    EXPECT_TRUE(fake.Starting(QStringLiteral("Create\t")).isEmpty());
}

TEST_F(ModemManagerMonitorTest, ModemVanishingMidCallResetsTheMonitorAndMonitoringGoesOn)
{
    Choose();
    ASSERT_TRUE(monitor.Open(&window, -1));
    fake.IncomingCall(QStringLiteral("+441632960105"));
    ASSERT_TRUE(WaitUntil([&] { return monitor.ringCount == 1; }));
    fake.RemoveModem(Modem());
    ASSERT_TRUE(WaitUntil([&] { return monitor.ringCount == -1; }));
    EXPECT_TRUE(monitor.callerNumber.empty());
    EXPECT_EQ(monitor.answered, 0);
    // The call ended unanswered: it is reported, and the reply fails for
    // want of a modem instead of being counted as sent.
    ASSERT_EQ(window.reports.size(), 1u);
    EXPECT_EQ(window.reports[0].number, u"+441632960105");
    ASSERT_TRUE(WaitUntil([&] { return window.reports[0].sent->has_value(); }));
    EXPECT_EQ(*window.reports[0].sent, false);
    EXPECT_TRUE(fake.Starting(QStringLiteral("Create\t")).isEmpty());
    EXPECT_TRUE(monitor.IsOpen());

    // A modem coming back is followed without a new start.
    const QString modem = fake.AddModem(true);
    ASSERT_TRUE(WaitUntil([&] { return Modem() == modem; }));
    fake.IncomingCall(QStringLiteral("+441632960106"));
    ASSERT_TRUE(WaitUntil([&] { return monitor.ringCount == 1; }));
    EXPECT_EQ(monitor.callerNumber, u"+441632960106");

    // Without a modem the line cannot be opened; with one it can.
    monitor.Close();
    fake.RemoveModem(modem);
    EXPECT_FALSE(monitor.Open(&window, -1));
    fake.AddModem(true);
    EXPECT_TRUE(monitor.Open(&window, -1));
}

TEST_F(ModemManagerMonitorTest, SecondCallWhileAReplyHangsIsReportedAndAnswered)
{
    fake.SetFault(QStringLiteral("Send"), QStringLiteral("hang"));
    Choose();
    ASSERT_TRUE(monitor.Open(&window, -1));
    const QString first = fake.IncomingCall(QStringLiteral("+441632960107"));
    ASSERT_TRUE(WaitUntil([&] { return monitor.ringCount == 1; }));
    // The first call ends; the second rings and ends while its reply waits.
    fake.SetCallState(first, MM_CALL_STATE_TERMINATED);
    const QString second = fake.IncomingCall(QStringLiteral("+441632960108"));
    fake.SetCallState(second, MM_CALL_STATE_TERMINATED);

    // Well before the first reply's 5 seconds are up.
    ASSERT_TRUE(WaitUntil([&] { return window.reports.size() == 2; }, 2500));
    EXPECT_EQ(window.reports[1].number, u"+441632960108");
    ASSERT_TRUE(fake.WaitForLog(
        QStringLiteral("Create\t+441632960108\t") + QString::fromStdU16String(kReply)));
    ASSERT_TRUE(WaitUntil([&] { return fake.Starting(QStringLiteral("Send\t")).size() == 2; }));
    EXPECT_FALSE(window.reports[0].sent->has_value()) << "the first reply is still on its way";
}
