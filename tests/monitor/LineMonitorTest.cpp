#include "monitor/LineMonitor.h"
#include "platform/telephony/SimulatedLine.h"

#include <gtest/gtest.h>

using namespace pelmora;

namespace {

struct Report {
    std::u16string number;
    intptr_t rings;
    // What the monitor held while the handler ran: the state must not be
    // reset before the handler returns.
    int32_t ringCountDuringHandler;
    bool numberStillSet;
};

class RecordingWindow final : public MessageWindow {
public:
    explicit RecordingWindow(const CLineMonitor& monitor)
        : monitor_(monitor)
    {
    }
    intptr_t SendWindowMessage(uint32_t message, uintptr_t wParam, intptr_t lParam) override
    {
        if (message == WM_MISSEDCALL) {
            const auto* number = reinterpret_cast<const std::u16string*>(wParam);
            reports.push_back(
                {*number, lParam, monitor_.ringCount, !monitor_.callerNumber.empty()});
        }
        return 0;
    }
    std::vector<Report> reports;

private:
    const CLineMonitor& monitor_;
};

class LineMonitorTest : public ::testing::Test {
protected:
    void SetUp() override { SetTelephonyBackend(&line); }
    void TearDown() override
    {
        monitor.Close();
        SetTelephonyBackend(nullptr);
    }
    SimulatedLine line;
    CLineMonitor monitor;
    RecordingWindow window {monitor};
};

} // namespace

TEST_F(LineMonitorTest, StartsClosedWithItsInitialFields)
{
    EXPECT_FALSE(monitor.IsOpen());
    EXPECT_EQ(monitor.ringCount, -1);
    EXPECT_EQ(monitor.hangupRings, -1);
    EXPECT_EQ(monitor.answered, 0);
    EXPECT_TRUE(monitor.callerNumber.empty());
    monitor.Close(); // closing a closed monitor does nothing
    EXPECT_FALSE(monitor.IsOpen());
}

TEST_F(LineMonitorTest, UnansweredCallIsReportedWithNumberAndRings)
{
    ASSERT_TRUE(monitor.Open(&window, -1));
    const CallId call = line.IncomingCall(u"+441234567890");
    EXPECT_EQ(monitor.ringCount, 0);
    EXPECT_EQ(monitor.callerNumber, u"+441234567890");
    line.Ring(call);
    line.Ring(call);
    line.Ring(call);
    EXPECT_EQ(monitor.ringCount, 3);
    line.Disconnect(call);

    ASSERT_EQ(window.reports.size(), 1u);
    EXPECT_EQ(window.reports[0].number, u"+441234567890");
    EXPECT_EQ(window.reports[0].rings, 3);
    EXPECT_EQ(window.reports[0].ringCountDuringHandler, 3);
    EXPECT_TRUE(window.reports[0].numberStillSet);
    // Back to idle once the handler returned.
    EXPECT_EQ(monitor.ringCount, -1);
    EXPECT_TRUE(monitor.callerNumber.empty());
    EXPECT_EQ(monitor.answered, 0);
    EXPECT_TRUE(line.Drops().empty());
}

TEST_F(LineMonitorTest, PerCallStatesFollowTheCall)
{
    ASSERT_TRUE(monitor.Open(&window, -1));
    // Idle
    EXPECT_EQ(monitor.ringCount, -1);
    // Offered / ringing
    const CallId call = line.IncomingCall(u"0123");
    EXPECT_EQ(monitor.ringCount, 0);
    EXPECT_EQ(monitor.answered, 0);
    EXPECT_EQ(monitor.call, call);
    line.Ring(call);
    EXPECT_EQ(monitor.ringCount, 1);
    // Answered
    line.Answer(call);
    EXPECT_EQ(monitor.answered, 1);
    EXPECT_EQ(monitor.ringCount, 1);
    // Ended, then idle at once; an answered call is not reported
    line.Disconnect(call);
    EXPECT_TRUE(window.reports.empty());
    EXPECT_EQ(monitor.ringCount, -1);
    EXPECT_EQ(monitor.answered, 0);
    EXPECT_TRUE(monitor.callerNumber.empty());
}

TEST_F(LineMonitorTest, CallsThatAreNotReported)
{
    ASSERT_TRUE(monitor.Open(&window, -1));
    // No caller ID: counted, never reported.
    const CallId hidden = line.IncomingCall(std::nullopt);
    line.Ring(hidden);
    EXPECT_EQ(monitor.ringCount, 1);
    line.Disconnect(hidden);
    // An outgoing call that connects: its number is never captured.
    const CallId outgoing = line.OutgoingCallConnected();
    EXPECT_EQ(monitor.answered, 1);
    line.Disconnect(outgoing);
    EXPECT_EQ(monitor.answered, 0);
    EXPECT_TRUE(window.reports.empty());
}

TEST_F(LineMonitorTest, CallEndingBeforeAnyRingIsReportedWithZeroRings)
{
    ASSERT_TRUE(monitor.Open(&window, -1));
    line.Disconnect(line.IncomingCall(u"555"));
    ASSERT_EQ(window.reports.size(), 1u);
    EXPECT_EQ(window.reports[0].rings, 0);
}

TEST_F(LineMonitorTest, RingBeforeOfferingChangesNothing)
{
    ASSERT_TRUE(monitor.Open(&window, 0));
    line.RingWithCount(4);
    EXPECT_EQ(monitor.ringCount, -1);
    EXPECT_TRUE(line.Drops().empty()) << "no call is followed, so nothing is dropped";
}

TEST_F(LineMonitorTest, NextCallStartsFromZeroRings)
{
    ASSERT_TRUE(monitor.Open(&window, -1));
    const CallId first = line.IncomingCall(u"111");
    for (int i = 0; i < 5; ++i)
        line.Ring(first);
    line.Disconnect(first);
    const CallId second = line.IncomingCall(u"222");
    EXPECT_EQ(monitor.ringCount, 0);
    line.Ring(second);
    line.Disconnect(second);
    ASSERT_EQ(window.reports.size(), 2u);
    EXPECT_EQ(window.reports[0].rings, 5);
    EXPECT_EQ(window.reports[1].rings, 1);
    EXPECT_EQ(window.reports[1].number, u"222");
}

TEST_F(LineMonitorTest, HangupCountZeroDropsAtTheFirstRing)
{
    ASSERT_TRUE(monitor.Open(&window, 0));
    const CallId call = line.IncomingCall(u"777");
    EXPECT_TRUE(line.Drops().empty());
    line.Ring(call);
    ASSERT_EQ(line.Drops().size(), 1u);
    EXPECT_EQ(line.Drops()[0], call);
    // The network reports the dropped call as disconnected: a missed call.
    ASSERT_EQ(window.reports.size(), 1u);
    EXPECT_EQ(window.reports[0].rings, 1);
}

TEST_F(LineMonitorTest, CallThatKeepsRingingIsDroppedAgain)
{
    line.SetDisconnectOnDrop(false);
    ASSERT_TRUE(monitor.Open(&window, 2));
    const CallId call = line.IncomingCall(u"888");
    line.Ring(call);
    EXPECT_TRUE(line.Drops().empty());
    line.Ring(call);
    line.Ring(call);
    EXPECT_EQ(line.Drops().size(), 2u);
    line.Disconnect(call);
    ASSERT_EQ(window.reports.size(), 1u);
    EXPECT_EQ(window.reports[0].rings, 3);
}

TEST_F(LineMonitorTest, HiddenCallerCanStillBeDropped)
{
    ASSERT_TRUE(monitor.Open(&window, 1));
    const CallId call = line.IncomingCall(std::nullopt);
    line.Ring(call);
    EXPECT_EQ(line.Drops().size(), 1u);
    EXPECT_TRUE(window.reports.empty());
}

TEST_F(LineMonitorTest, WithoutHangupTheLineIsOpenedAsMonitorOnly)
{
    ASSERT_TRUE(monitor.Open(&window, -1));
    const CallId call = line.IncomingCall(u"1");
    for (int i = 0; i < 30; ++i)
        line.Ring(call);
    EXPECT_TRUE(line.Drops().empty());
    // A drop attempt without the owner privilege is refused by the line.
    EXPECT_EQ(tapi::lineDrop(call, nullptr, 0), tapi::LINEERR_NOTOWNER);
}

TEST_F(LineMonitorTest, OpenTwiceFailsAndKeepsTheOpenLine)
{
    ASSERT_TRUE(monitor.Open(&window, 3));
    const auto app = monitor.lineApp;
    const auto handle = monitor.line;
    EXPECT_FALSE(monitor.Open(nullptr, -1));
    EXPECT_TRUE(monitor.IsOpen());
    EXPECT_EQ(monitor.hangupRings, 3);
    EXPECT_EQ(monitor.lineApp, app);
    EXPECT_EQ(monitor.line, handle);
    EXPECT_EQ(monitor.notifyWindow, &window);
}

TEST_F(LineMonitorTest, CloseResetsTheLineFieldsAndStopsReports)
{
    ASSERT_TRUE(monitor.Open(&window, 4));
    monitor.Close();
    EXPECT_FALSE(monitor.IsOpen());
    EXPECT_EQ(monitor.notifyWindow, nullptr);
    EXPECT_EQ(monitor.lineApp, 0u);
    EXPECT_EQ(monitor.line, 0u);
    EXPECT_EQ(monitor.hangupRings, -1);
    EXPECT_FALSE(line.IsStarted());
    line.Disconnect(line.IncomingCall(u"9"));
    EXPECT_TRUE(window.reports.empty());
    // It can be opened again.
    EXPECT_TRUE(monitor.Open(&window, -1));
}

class OpenFailure : public LineMonitorTest, public ::testing::WithParamInterface<LineFunction> { };

TEST_P(OpenFailure, LeavesTheMonitorClosedAndTheLineReleased)
{
    line.SetFailure(GetParam(), tapi::LINEERR_OPERATIONFAILED);
    EXPECT_FALSE(monitor.Open(&window, 5));
    EXPECT_FALSE(monitor.IsOpen());
    EXPECT_EQ(monitor.notifyWindow, nullptr);
    EXPECT_EQ(monitor.lineApp, 0u);
    EXPECT_EQ(monitor.line, 0u);
    EXPECT_EQ(monitor.ringCount, -1);
    EXPECT_EQ(monitor.hangupRings, -1);
    // Whatever was taken was given back: the line is not started and a
    // fresh open succeeds once the fault is gone.
    EXPECT_FALSE(line.IsStarted());
    line.ClearFailures();
    EXPECT_TRUE(monitor.Open(&window, 5));
}

INSTANTIATE_TEST_SUITE_P(EveryStep, OpenFailure,
    ::testing::Values(LineFunction::Initialize, LineFunction::NegotiateAPIVersion,
        LineFunction::Open, LineFunction::SetStatusMessages));

TEST_F(LineMonitorTest, OpenFailsWithoutTelephony)
{
    SetTelephonyBackend(nullptr);
    EXPECT_FALSE(monitor.Open(&window, -1));
    EXPECT_FALSE(monitor.IsOpen());
}

TEST_F(LineMonitorTest, LongCallerIdKeepsItsFirst99Characters)
{
    ASSERT_TRUE(monitor.Open(&window, -1));
    const std::u16string exactly99(99, u'7');
    line.Disconnect(line.IncomingCall(exactly99));
    const std::u16string longer = std::u16string(99, u'1') + u"23456";
    line.Disconnect(line.IncomingCall(longer));
    ASSERT_EQ(window.reports.size(), 2u);
    EXPECT_EQ(window.reports[0].number, exactly99);
    EXPECT_EQ(window.reports[1].number, longer.substr(0, 99));
}

TEST_F(LineMonitorTest, MissingCallInfoBlockMeansNoCallerId)
{
    monitor.SetBlockAllocatorForTesting([](size_t) { return std::unique_ptr<uint8_t[]>(); });
    ASSERT_TRUE(monitor.Open(&window, 0));
    const CallId call = line.IncomingCall(u"123");
    EXPECT_EQ(monitor.ringCount, 0);
    EXPECT_TRUE(monitor.callerNumber.empty());
    line.Ring(call);
    EXPECT_EQ(line.Drops().size(), 1u) << "the call is still followed and dropped";
    EXPECT_TRUE(window.reports.empty());
    EXPECT_EQ(monitor.ringCount, -1);
}

TEST_F(LineMonitorTest, DialNumberGoesToThePhoneApplication)
{
    monitor.DialNumber(u"+4912345");
    const std::u16string longest(81, u'5');
    monitor.DialNumber(longest);
    monitor.DialNumber(std::u16string(82, u'6'));
    ASSERT_EQ(line.DialRequests().size(), 2u);
    EXPECT_EQ(line.DialRequests()[0], u"+4912345");
    EXPECT_EQ(line.DialRequests()[1], longest);
}
