#include "platform/telephony/ModemManagerLine.h"
#include "platform/modem/ModemManagerClient.h"
#include "tests/platform/modem/ModemTestBus.h"

#include <ModemManager.h>

#include <QElapsedTimer>

#include <gtest/gtest.h>
#include <memory>
#include <optional>
#include <string>
#include <vector>

using namespace pelmora;
using namespace pelmora::test;

namespace {

// What the line reported, in order, as text.
class RecordingEvents final : public TelephonyEvents {
public:
    RecordingEvents() { clock.start(); }

    void OnOffering(CallId call, const std::optional<std::u16string>& callerId) override
    {
        offered.push_back(call);
        log.push_back(
            "offer " + (callerId ? QString::fromStdU16String(*callerId).toStdString() : "-"));
        offeredAtMs = clock.elapsed();
    }
    void OnRing(uint32_t count) override
    {
        log.push_back("ring " + std::to_string(count));
        ringsAtMs.push_back(clock.elapsed());
        // Like the call monitor: the drop is asked for at every ring from
        // the chosen count on.
        if (line && dropAt && count >= *dropAt)
            line->Drop(offered.back());
    }
    void OnConnected(CallId call) override
    {
        log.push_back("connected");
        ended.push_back(call);
    }
    void OnDisconnected(CallId call) override
    {
        log.push_back("disconnected");
        ended.push_back(call);
    }
    size_t Count(const std::string& entry) const
    {
        return static_cast<size_t>(std::count(log.begin(), log.end(), entry));
    }

    std::vector<std::string> log;
    std::vector<CallId> offered;
    std::vector<CallId> ended;
    std::vector<qint64> ringsAtMs;
    qint64 offeredAtMs = -1;
    QElapsedTimer clock;
    ModemManagerLine* line = nullptr;
    std::optional<uint32_t> dropAt;
};

constexpr int kNoMoreRings = 600000;

class ModemManagerLineTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(PrivateSystemBusIsUp());
        ASSERT_TRUE(fake.Start({QStringLiteral("voice")}));
    }
    void StartLine(int ringIntervalMs = kNoMoreRings, int numberWaitMs = 1000)
    {
        line = std::make_unique<ModemManagerLine>(
            client, ModemManagerLineOptions {ringIntervalMs, numberWaitMs});
        events.line = line.get();
        ASSERT_TRUE(line->Start(&events));
        ASSERT_FALSE(line->Modem().isEmpty());
    }
    bool WaitForEvents(size_t count)
    {
        return WaitUntil([&] { return events.log.size() >= count; });
    }

    FakeModemManagerProcess fake;
    ModemManagerClient client {QDBusConnection::systemBus(), {5000, 5000}};
    RecordingEvents events;
    std::unique_ptr<ModemManagerLine> line;
};

} // namespace

TEST_F(ModemManagerLineTest, RingingCallIsOfferedWithItsNumberAndItsFirstRing)
{
    StartLine();
    const QString call = fake.IncomingCall(QStringLiteral("+441632960001"));
    // The first ring comes with the offer, not an interval later.
    ASSERT_TRUE(WaitForEvents(2));
    EXPECT_EQ(events.log, (std::vector<std::string> {"offer +441632960001", "ring 1"}));
    EXPECT_EQ(line->OfferedCalls(), 1u);

    fake.SetCallState(call, MM_CALL_STATE_TERMINATED);
    ASSERT_TRUE(WaitForEvents(3));
    EXPECT_EQ(events.log.back(), "disconnected");
    EXPECT_EQ(events.ended, events.offered);
    EXPECT_EQ(line->OfferedCalls(), 0u);
}

TEST_F(ModemManagerLineTest, RingsFollowAtTheIntervalUntilTheCallIsAnswered)
{
    constexpr int kInterval = 150;
    StartLine(kInterval);
    const QString call = fake.IncomingCall(QStringLiteral("+441632960002"));
    ASSERT_TRUE(WaitUntil([&] { return events.ringsAtMs.size() >= 4; }));
    fake.SetCallState(call, MM_CALL_STATE_ACTIVE);
    ASSERT_TRUE(WaitUntil([&] { return events.Count("connected") == 1; }));

    const std::vector<std::string> start(events.log.begin(), events.log.begin() + 5);
    EXPECT_EQ(start,
        (std::vector<std::string> {"offer +441632960002", "ring 1", "ring 2", "ring 3", "ring 4"}));
    EXPECT_LT(events.ringsAtMs[0] - events.offeredAtMs, kInterval);
    // Rings keep to the interval counted from the first one, never early.
    for (size_t i = 1; i < events.ringsAtMs.size(); ++i)
        EXPECT_GE(events.ringsAtMs[i] - events.ringsAtMs[0], static_cast<qint64>(i) * kInterval - 1)
            << "ring " << i + 1;

    // An answered call rings no more.
    const size_t rings = events.ringsAtMs.size();
    RunEventsFor(3 * kInterval);
    EXPECT_EQ(events.ringsAtMs.size(), rings);
    fake.SetCallState(call, MM_CALL_STATE_TERMINATED);
    ASSERT_TRUE(WaitUntil([&] { return events.Count("disconnected") == 1; }));
    EXPECT_EQ(events.log.back(), "disconnected");
}

TEST_F(ModemManagerLineTest, CallWithoutNumberIsOfferedWithoutCallerIdAfterTheWait)
{
    constexpr int kWait = 200;
    StartLine(kNoMoreRings, kWait);
    QElapsedTimer waited;
    waited.start();
    fake.IncomingCall(QString());
    ASSERT_TRUE(WaitForEvents(2));
    EXPECT_GE(waited.elapsed(), kWait);
    EXPECT_EQ(events.log, (std::vector<std::string> {"offer -", "ring 1"}));
}

TEST_F(ModemManagerLineTest, NumberTheModemLearnsLateIsOfferedWithTheCall)
{
    StartLine(kNoMoreRings, 60000);
    const QString call = fake.IncomingCall(QString());
    ASSERT_TRUE(fake.WaitForLog(QStringLiteral("GetAll\t") + call));
    fake.SetCallNumber(call, QStringLiteral("01632 960003"));
    ASSERT_TRUE(WaitForEvents(2));
    EXPECT_EQ(events.log, (std::vector<std::string> {"offer 01632 960003", "ring 1"}));
}

TEST_F(ModemManagerLineTest, CallEndingWhileItWaitsForItsNumberIsStillTold)
{
    StartLine(kNoMoreRings, 60000);
    const QString call = fake.IncomingCall(QString());
    ASSERT_TRUE(fake.WaitForLog(QStringLiteral("GetAll\t") + call));
    fake.SetCallState(call, MM_CALL_STATE_TERMINATED);
    ASSERT_TRUE(WaitForEvents(2));
    EXPECT_EQ(events.log, (std::vector<std::string> {"offer -", "disconnected"}));
}

TEST_F(ModemManagerLineTest, DropHangsTheCallUp)
{
    StartLine(100);
    events.dropAt = 2;
    const QString call = fake.IncomingCall(QStringLiteral("+441632960004"));
    ASSERT_TRUE(WaitUntil([&] { return events.Count("disconnected") == 1; }));
    EXPECT_EQ(events.log,
        (std::vector<std::string> {"offer +441632960004", "ring 1", "ring 2", "disconnected"}));
    EXPECT_EQ(fake.Count(QStringLiteral("Hangup\t") + call), 1);
}

TEST_F(ModemManagerLineTest, FailedHangupLeavesTheCallRingingAndIsAskedAgain)
{
    fake.SetFault(QStringLiteral("Hangup"), QStringLiteral("fail"));
    StartLine(100);
    events.dropAt = 1;
    const QString call = fake.IncomingCall(QStringLiteral("+441632960005"));
    ASSERT_TRUE(fake.WaitForLog(QStringLiteral("Hangup\t") + call, 2));
    EXPECT_GE(events.Count("ring 2"), 1u);
    EXPECT_EQ(events.Count("disconnected"), 0u);

    fake.SetFault(QStringLiteral("Hangup"), QString());
    ASSERT_TRUE(WaitUntil([&] { return events.Count("disconnected") == 1; }));
}

TEST_F(ModemManagerLineTest, DeletedCallEndsEvenWithoutTermination)
{
    StartLine();
    const QString call = fake.IncomingCall(QStringLiteral("+441632960006"));
    ASSERT_TRUE(WaitForEvents(2));
    fake.DeleteCall(call);
    ASSERT_TRUE(WaitForEvents(3));
    EXPECT_EQ(events.log.back(), "disconnected");
    EXPECT_EQ(line->OfferedCalls(), 0u);
}

TEST_F(ModemManagerLineTest, PlacedAndOtherOutgoingCallsAreLeftToThePhone)
{
    StartLine();
    line->PlaceCall(u"+441632960007");
    ASSERT_TRUE(fake.WaitForLog(QStringLiteral("CreateCall\t+441632960007")));
    ASSERT_TRUE(WaitUntil([&] { return fake.Starting(QStringLiteral("Start\t")).size() == 1; }));
    const QString outgoing = fake.Starting(QStringLiteral("Start\t")).at(0).mid(6);
    ASSERT_TRUE(fake.WaitForLog(QStringLiteral("GetAll\t") + outgoing));
    fake.SetCallState(outgoing, MM_CALL_STATE_ACTIVE);
    fake.SetCallState(outgoing, MM_CALL_STATE_TERMINATED);

    // Signals arrive in order, so the next call's offer comes after all of
    // the outgoing call's changes were heard.
    fake.IncomingCall(QStringLiteral("+441632960008"));
    ASSERT_TRUE(WaitForEvents(2));
    EXPECT_EQ(events.log, (std::vector<std::string> {"offer +441632960008", "ring 1"}));
}

TEST_F(ModemManagerLineTest, CallThatVanishesOrCannotBeReadIsNotFollowed)
{
    StartLine();
    const QString vanished = fake.AnnounceVanishedCall();
    ASSERT_TRUE(fake.WaitForLog(QStringLiteral("GetAll\t") + vanished));
    fake.IncomingCall(QStringLiteral("+441632960010"));
    ASSERT_TRUE(WaitForEvents(2));
    EXPECT_EQ(events.log, (std::vector<std::string> {"offer +441632960010", "ring 1"}));
}

TEST_F(ModemManagerLineTest, ReadingThatTimesOutLeavesTheCallAlone)
{
    ModemManagerClient impatient {QDBusConnection::systemBus(), {300, 300}};
    ModemManagerLine quick {impatient, {kNoMoreRings, 0}};
    ASSERT_TRUE(quick.Start(&events));
    fake.SetFault(QStringLiteral("GetAll"), QStringLiteral("hang"));
    const QString unanswered = fake.IncomingCall(QStringLiteral("+441632960011"));
    ASSERT_TRUE(fake.WaitForLog(QStringLiteral("GetAll\t") + unanswered));
    RunEventsFor(600);
    EXPECT_TRUE(events.log.empty());
    EXPECT_EQ(quick.OfferedCalls(), 0u);

    fake.SetFault(QStringLiteral("GetAll"), QString());
    fake.IncomingCall(QStringLiteral("+441632960012"));
    ASSERT_TRUE(WaitForEvents(2));
    EXPECT_EQ(events.log, (std::vector<std::string> {"offer +441632960012", "ring 1"}));
}

TEST_F(ModemManagerLineTest, ModemVanishingEndsTheCallAndTheNextModemIsFollowed)
{
    StartLine(100);
    const QString first = line->Modem();
    fake.IncomingCall(QStringLiteral("+441632960013"));
    ASSERT_TRUE(WaitForEvents(2));
    fake.RemoveModem(first);
    ASSERT_TRUE(WaitUntil([&] { return events.Count("disconnected") == 1; }));
    EXPECT_TRUE(line->Modem().isEmpty());
    EXPECT_EQ(line->OfferedCalls(), 0u);
    EXPECT_EQ(events.ended, events.offered);
    // Nothing rings any more.
    const size_t entries = events.log.size();
    RunEventsFor(300);
    EXPECT_EQ(events.log.size(), entries);

    const QString second = fake.AddModem(true);
    ASSERT_TRUE(WaitUntil([&] { return line->Modem() == second; }));
    events.log.clear();
    fake.IncomingCall(QStringLiteral("+441632960014"));
    ASSERT_TRUE(WaitForEvents(2));
    EXPECT_EQ(events.log, (std::vector<std::string> {"offer +441632960014", "ring 1"}));
}

TEST_F(ModemManagerLineTest, ModemManagerRestartingEndsTheCallAndItsModemIsFollowedAgain)
{
    StartLine();
    fake.IncomingCall(QStringLiteral("+441632960015"));
    ASSERT_TRUE(WaitForEvents(2));
    ASSERT_TRUE(fake.Kill());
    ASSERT_TRUE(WaitUntil([&] { return events.Count("disconnected") == 1; }));
    EXPECT_TRUE(line->Modem().isEmpty());

    // The new ModemManager numbers its calls from the start again.
    ASSERT_TRUE(fake.Start({QStringLiteral("voice")}));
    ASSERT_TRUE(WaitUntil([&] { return !line->Modem().isEmpty(); }));
    events.log.clear();
    fake.IncomingCall(QStringLiteral("+441632960016"));
    ASSERT_TRUE(WaitForEvents(2));
    EXPECT_EQ(events.log, (std::vector<std::string> {"offer +441632960016", "ring 1"}));
    EXPECT_NE(events.offered.front(), events.offered.back());
}

TEST(ModemManagerLineStartTest, StartNeedsAModemWithVoice)
{
    ASSERT_TRUE(PrivateSystemBusIsUp());
    FakeModemManagerProcess fake;
    ModemManagerClient client {QDBusConnection::systemBus(), {5000, 5000}};
    ModemManagerLine line {client};
    RecordingEvents events;
    EXPECT_FALSE(line.Start(&events)); // no ModemManager at all

    ASSERT_TRUE(fake.Start({QStringLiteral("data")}));
    EXPECT_FALSE(line.Start(&events));
    EXPECT_TRUE(line.Modem().isEmpty());

    const QString voice = fake.AddModem(true);
    EXPECT_TRUE(line.Start(&events));
    EXPECT_EQ(line.Modem(), voice);
    line.Stop();
    EXPECT_TRUE(line.Modem().isEmpty());
}

TEST_F(ModemManagerLineTest, CallThatEndedBeforeItWasReadIsStillOffered)
{
    struct EndedCase {
        const char* name;
        bool numberLate;
        bool deleted;
    };
    const EndedCase cases[] = {
        {"read after it ended", false, false},
        {"deleted before it could be read", true, true},
    };
    StartLine();
    for (const EndedCase& c : cases) {
        SCOPED_TRACE(c.name);
        events.log.clear();
        // Everything happens before this program hears of the call.
        const QString number = QStringLiteral("+441632960020");
        const QString call = fake.IncomingCall(c.numberLate ? QString() : number);
        if (c.numberLate)
            fake.SetCallNumber(call, number);
        fake.SetCallState(call, MM_CALL_STATE_TERMINATED);
        if (c.deleted)
            fake.DeleteCall(call);
        ASSERT_TRUE(WaitForEvents(3));
        EXPECT_EQ(events.log,
            (std::vector<std::string> {"offer +441632960020", "ring 1", "disconnected"}));
        EXPECT_EQ(line->OfferedCalls(), 0u);
    }
}
