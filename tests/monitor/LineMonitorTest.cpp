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
    // The handle the monitor gave the first call of `function`, if any.
    std::optional<uint32_t> HandleGivenTo(LineFunction function) const
    {
        for (const LineRequest& request : line.Requests())
            if (request.function == function)
                return request.handle;
        return std::nullopt;
    }
    // An event straight from the telephony service, for this monitor.
    void Deliver(uint32_t device, uint32_t message, uint32_t p1, uint32_t p2, uint32_t p3)
    {
        CLineMonitor::LineCallback(
            device, message, reinterpret_cast<uintptr_t>(&monitor), p1, p2, p3);
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

struct FailureCase {
    const char* name;
    LineFunction failing;
    // What the monitor asks of the line, up to the failure and after it.
    std::vector<LineFunction> calls;
};

class OpenFailure : public LineMonitorTest, public ::testing::WithParamInterface<FailureCase> { };

TEST_P(OpenFailure, LeavesTheMonitorClosedAndTheLineReleased)
{
    line.SetFailure(GetParam().failing, tapi::LINEERR_OPERATIONFAILED);
    EXPECT_FALSE(monitor.Open(&window, 5));
    // Whatever was taken is given back, the line before the application.
    EXPECT_EQ(line.RequestedFunctions(), GetParam().calls);
    if (const auto closed = HandleGivenTo(LineFunction::Close)) {
        EXPECT_EQ(closed, HandleGivenTo(LineFunction::SetStatusMessages)) << "the opened line";
    }
    if (const auto shut = HandleGivenTo(LineFunction::Shutdown)) {
        EXPECT_EQ(shut, HandleGivenTo(LineFunction::NegotiateAPIVersion)) << "the application";
    }
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

using F = LineFunction;
INSTANTIATE_TEST_SUITE_P(EveryStep, OpenFailure,
    ::testing::Values(FailureCase {"Initialize", F::Initialize, {F::Initialize}},
        FailureCase {"Negotiate", F::NegotiateAPIVersion,
            {F::Initialize, F::NegotiateAPIVersion, F::Shutdown}},
        FailureCase {
            "Open", F::Open, {F::Initialize, F::NegotiateAPIVersion, F::Open, F::Shutdown}},
        FailureCase {"StatusMessages", F::SetStatusMessages,
            {F::Initialize, F::NegotiateAPIVersion, F::Open, F::SetStatusMessages, F::Close,
                F::Shutdown}}),
    [](const auto& info) { return std::string(info.param.name); });

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

struct OpenCase {
    const char* name;
    int32_t hangupRings;
    uint32_t privileges;
};

class OpenArguments : public LineMonitorTest, public ::testing::WithParamInterface<OpenCase> { };

TEST_P(OpenArguments, AreWhatTheLineExpects)
{
    line.SetHighestApiVersion(0x00010004); // a line that speaks up to 1.4
    ASSERT_TRUE(monitor.Open(&window, GetParam().hangupRings));
    using F = LineFunction;
    ASSERT_EQ(line.RequestedFunctions(),
        (std::vector<F> {F::Initialize, F::NegotiateAPIVersion, F::Open, F::SetStatusMessages}));
    const LineRequest& init = line.Requests()[0];
    EXPECT_EQ(init.appName, u"Pelmora-Line");
    const LineRequest& negotiate = line.Requests()[1];
    EXPECT_EQ(negotiate.handle, monitor.lineApp);
    EXPECT_EQ(negotiate.device, 0u);
    EXPECT_EQ(negotiate.lowVersion, 0x00010003u);
    EXPECT_EQ(negotiate.highVersion, 0x00020000u);
    const LineRequest& open = line.Requests()[2];
    EXPECT_EQ(open.handle, monitor.lineApp);
    EXPECT_EQ(open.device, 0u);
    EXPECT_EQ(open.apiVersion, 0x00010004u) << "the negotiated version";
    EXPECT_EQ(open.extVersion, 0u);
    EXPECT_EQ(open.instance, reinterpret_cast<uintptr_t>(&monitor));
    EXPECT_EQ(open.privileges, GetParam().privileges);
    EXPECT_EQ(open.mediaModes, tapi::LINEMEDIAMODE_INTERACTIVEVOICE);
    EXPECT_EQ(open.blockSize, 180u);
    EXPECT_TRUE(open.blockCleared);
    const LineRequest& status = line.Requests()[3];
    EXPECT_EQ(status.handle, monitor.line);
    EXPECT_EQ(status.lineStates, tapi::LINEDEVSTATE_RINGING);
    EXPECT_EQ(status.addressStates, 0u);

    const tapi::HLINE opened = monitor.line;
    const tapi::HLINEAPP app = monitor.lineApp;
    line.ClearRequests();
    monitor.Close();
    ASSERT_EQ(line.RequestedFunctions(), (std::vector<F> {F::Close, F::Shutdown}));
    EXPECT_EQ(line.Requests()[0].handle, opened);
    EXPECT_EQ(line.Requests()[1].handle, app);
}

// Only an owner may drop a call: monitor alone without a hang-up count.
INSTANTIATE_TEST_SUITE_P(HangupCounts, OpenArguments,
    ::testing::Values(
        OpenCase {"Never", -1, 2}, OpenCase {"AtRingZero", 0, 6}, OpenCase {"AtRingTwenty", 20, 6}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(LineMonitorTest, CallInformationAndDropRequests)
{
    ASSERT_TRUE(monitor.Open(&window, 1));
    line.ClearRequests();
    const CallId call = line.IncomingCall(u"0123");
    line.Ring(call);
    using F = LineFunction;
    ASSERT_EQ(line.RequestedFunctions(), (std::vector<F> {F::GetCallInfo, F::Drop}));
    const LineRequest& info = line.Requests()[0];
    EXPECT_EQ(info.handle, call);
    EXPECT_EQ(info.blockSize, 428u);
    EXPECT_TRUE(info.blockCleared) << "a zero-filled block";
    const LineRequest& drop = line.Requests()[1];
    EXPECT_EQ(drop.handle, call);
    EXPECT_FALSE(drop.extraGiven) << "no user-user information";
}

TEST_F(LineMonitorTest, DialRequestNamesTheProductOnly)
{
    monitor.DialNumber(u"+4912345");
    ASSERT_EQ(line.Requests().size(), 1u);
    const LineRequest& dial = line.Requests()[0];
    EXPECT_EQ(dial.function, LineFunction::RequestMakeCall);
    EXPECT_EQ(dial.number, u"+4912345");
    EXPECT_EQ(dial.appName, u"Pelmora");
    EXPECT_FALSE(dial.extraGiven) << "no called party, no comment";
}

TEST_F(LineMonitorTest, RingCountIsThePlatformsNotCountedHere)
{
    ASSERT_TRUE(monitor.Open(&window, -1));
    const CallId call = line.IncomingCall(u"0123");
    Deliver(monitor.line, tapi::LINE_LINEDEVSTATE, tapi::LINEDEVSTATE_RINGING, 0, 7);
    EXPECT_EQ(monitor.ringCount, 7);
    Deliver(monitor.line, tapi::LINE_LINEDEVSTATE, tapi::LINEDEVSTATE_RINGING, 0, 3);
    EXPECT_EQ(monitor.ringCount, 3);
    line.RingWithCount(5);
    EXPECT_EQ(monitor.ringCount, 5);
    // Other line-device states and other messages are no rings.
    Deliver(monitor.line, tapi::LINE_LINEDEVSTATE, 0x4, 0, 9);
    Deliver(monitor.line, 12, tapi::LINEDEVSTATE_RINGING, 0, 9);
    EXPECT_EQ(monitor.ringCount, 5);
    line.Disconnect(call);
    ASSERT_EQ(window.reports.size(), 1u);
    EXPECT_EQ(window.reports[0].rings, 5);
}

TEST_F(LineMonitorTest, OfferingOnDeviceZeroIsIgnored)
{
    ASSERT_TRUE(monitor.Open(&window, 0));
    line.ClearRequests();
    Deliver(0, tapi::LINE_CALLSTATE, tapi::LINECALLSTATE_OFFERING, 0, 0);
    EXPECT_EQ(monitor.ringCount, -1);
    EXPECT_EQ(monitor.call, 0u);
    EXPECT_TRUE(line.Requests().empty()) << "no call information asked for";
    Deliver(monitor.line, tapi::LINE_LINEDEVSTATE, tapi::LINEDEVSTATE_RINGING, 0, 1);
    EXPECT_TRUE(line.Drops().empty());
}

TEST_F(LineMonitorTest, OnlyAnActiveConnectionIsAnAnswer)
{
    ASSERT_TRUE(monitor.Open(&window, -1));
    const CallId call = line.IncomingCall(u"0123");
    for (const uint32_t mode : {0x2u, 0x4u, 0x8u, 0x10u}) { // inactive, on hold, ...
        Deliver(call, tapi::LINE_CALLSTATE, tapi::LINECALLSTATE_CONNECTED, mode, 0);
        EXPECT_EQ(monitor.answered, 0) << mode;
    }
    // Other states only follow the call's handle.
    Deliver(0x777, tapi::LINE_CALLSTATE, tapi::LINECALLSTATE_ACCEPTED, 0, 0);
    EXPECT_EQ(monitor.call, 0x777u);
    EXPECT_EQ(monitor.ringCount, 0);
    EXPECT_EQ(monitor.callerNumber, u"0123");
    Deliver(call, tapi::LINE_CALLSTATE, tapi::LINECALLSTATE_DISCONNECTED, 0, 0);
    ASSERT_EQ(window.reports.size(), 1u) << "never answered: a missed call";

    const CallId answered = line.IncomingCall(u"0456");
    Deliver(answered, tapi::LINE_CALLSTATE, tapi::LINECALLSTATE_CONNECTED,
        tapi::LINECONNECTEDMODE_ACTIVE, 0);
    EXPECT_EQ(monitor.answered, 1);
    line.Disconnect(answered);
    EXPECT_EQ(window.reports.size(), 1u);
}

TEST_F(LineMonitorTest, SecondOfferingKeepsTheRingsAndTakesItsNumber)
{
    ASSERT_TRUE(monitor.Open(&window, -1));
    const CallId first = line.IncomingCall(u"111");
    line.Ring(first);
    line.Ring(first);
    const CallId waiting = line.IncomingCall(u"222");
    EXPECT_EQ(monitor.call, waiting);
    EXPECT_EQ(monitor.ringCount, 2) << "only an idle monitor starts from 0";
    EXPECT_EQ(monitor.callerNumber, u"222");
    line.IncomingCall(std::nullopt);
    EXPECT_EQ(monitor.callerNumber, u"222") << "without caller ID the number stays";
    line.Disconnect(first);
    ASSERT_EQ(window.reports.size(), 1u);
    EXPECT_EQ(window.reports[0].number, u"222");
    EXPECT_EQ(window.reports[0].rings, 2);
}

TEST_F(LineMonitorTest, NumberIsTakenOnlyWithTheAddressFlag)
{
    ASSERT_TRUE(monitor.Open(&window, -1));
    line.SetCallerIdFlags(tapi::LINECALLPARTYID_BLOCKED);
    line.Disconnect(line.IncomingCall(u"0123"));
    EXPECT_TRUE(window.reports.empty()) << "a number the network says not to show";
    line.SetCallerIdFlags(tapi::LINECALLPARTYID_NAME | tapi::LINECALLPARTYID_ADDRESS);
    line.Disconnect(line.IncomingCall(u"0456"));
    ASSERT_EQ(window.reports.size(), 1u);
    EXPECT_EQ(window.reports[0].number, u"0456");
}
