#include "monitor/MissedCallPipeline.h"
#include "history/CallHistory.h"
#include "messages/ContactsSession.h"
#include "messages/TemplateStore.h"
#include "monitor/LineMonitor.h"
#include "monitor/MemoryCallLog.h"
#include "monitor/MissedCallTexts.h"
#include "platform/contacts/AddressBook.h"
#include "platform/shell/NotificationHtml.h"
#include "platform/sms/SmsBackend.h"
#include "platform/telephony/SimulatedLine.h"
#include "rules/GroupStore.h"
#include "rules/ProfileStore.h"
#include "settings/SettingsRecord.h"
#include "tests/LogicTestSupport.h"
#include "tests/monitor/PipelineFakes.h"

#include <QDateTime>

#include <gtest/gtest.h>

using namespace pelmora;
using test::SentMessage;

namespace {

class FixedActiveProfile final : public ActiveProfileSource {
public:
    ProfileRecord* profile = nullptr;
    ProfileRecord* ActiveProfile() const override { return profile; }
};

// The main window's part in the road of a call: the report reaches the pipeline.
class ForwardingWindow final : public MessageWindow {
public:
    explicit ForwardingWindow(CMissedCallPipeline& pipeline)
        : pipeline_(pipeline)
    {
    }
    intptr_t SendWindowMessage(uint32_t message, uintptr_t wParam, intptr_t lParam) override
    {
        if (message == WM_MISSEDCALL)
            pipeline_.OnMissedCall(
                *reinterpret_cast<const std::u16string*>(wParam), static_cast<int32_t>(lParam));
        return 0;
    }

private:
    CMissedCallPipeline& pipeline_;
};

ContactCard Card(uint32_t oid, std::u16string first, std::u16string last, std::u16string mobile)
{
    ContactCard card;
    card.oid = oid;
    card.firstName = std::move(first);
    card.lastName = std::move(last);
    card.phones[Mobile] = std::move(mobile);
    return card;
}

class MissedCallPipelineTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ResetTemplateStore();
        ResetGroupStore();
        ResetProfileStore();
        ConnectProfilesToStores();
        greeting = AppendTemplate(u"Greeting", u"Hi [FIRSTNAME], call you later");
        active.profile = AddProfile(u"Default", greeting->id);
        SetActiveProfileSource(&active);

        SetAddressBook(&book);
        ASSERT_TRUE(contacts.Logon());
        settings.internationalPrefix.Assign(u"+44");
        pipeline.maxTotalAtStart = 20;
        SetTelephonyBackend(&line);
        ASSERT_TRUE(monitor.Open(&forwarder, -1));
    }
    void TearDown() override
    {
        monitor.Close();
        SetTelephonyBackend(nullptr);
        contacts.Logoff();
        SetAddressBook(nullptr);
        SetActiveProfileSource(nullptr);
        ResetTemplateStore();
        ResetGroupStore();
        ResetProfileStore();
        SetTemplateForgetter(nullptr);
        SetGroupProfileHooks({});
    }

    // The contacts service reads the address book when the session logs on.
    void AddContact(ContactCard card)
    {
        book.Add(std::move(card));
        contacts.Logoff();
        ASSERT_TRUE(contacts.Logon());
    }
    void MissCall(std::u16string number, uint32_t rings = 1)
    {
        const CallId call = line.IncomingCall(std::move(number));
        for (uint32_t i = 0; i < rings; ++i)
            line.Ring(call);
        line.Disconnect(call);
    }
    std::vector<std::u16string> Column(std::u16string CallLogRow::*column) const
    {
        std::vector<std::u16string> texts;
        for (const CallLogRow& row : log.Rows())
            texts.push_back(row.*column);
        return texts;
    }
    std::vector<std::u16string> Sent() const { return Column(&CallLogRow::smsSent); }
    ParsedNotification Bubble() const
    {
        const auto it = bubble.shown.find(kQuestionNotificationId);
        return it == bubble.shown.end()
            ? ParsedNotification {}
            : ParseNotificationHtml(QString::fromStdU16String(it->second.html));
    }

    using Texts = std::vector<std::u16string>;
    using Messages = std::vector<SentMessage>;

    TemplateRecord* greeting = nullptr;
    FixedActiveProfile active;
    SimulatedAddressBook book;
    CContactsSession contacts;
    SettingsRecord settings;
    test::FakeMissedCallWindow window;
    test::RecordingBubble bubble;
    int64_t now = 1'800'000'000;
    CMemoryCallLog log {[this] { return now; }};
    test::OutboxTransport transport;
    CMissedCallPipeline pipeline {
        settings, contacts, transport.sender, window, bubble, log, [this] { return now; }};
    ForwardingWindow forwarder {pipeline};
    SimulatedLine line;
    CLineMonitor monitor;
};

} // namespace

TEST_F(MissedCallPipelineTest, UnknownCallerGetsTheExpandedDefaultAndAYesRow)
{
    MissCall(u"0999", 2);
    EXPECT_EQ(transport.Messages(), (Messages {{u"0999", u"Hi Friend, call you later"}}));
    ASSERT_EQ(log.Rows().size(), 1u);
    const CallLogRow& row = log.Rows()[0];
    EXPECT_EQ(row.number, u"0999");
    EXPECT_EQ(row.caller, u"Unknown");
    EXPECT_EQ(row.rings, u"2");
    EXPECT_EQ(row.smsSent, u"Yes");
    EXPECT_EQ(row.stamp, static_cast<uint32_t>(now));
    EXPECT_EQ(pipeline.sentCount, 1);
    EXPECT_EQ(window.sentLabel, "1");
    EXPECT_EQ(window.reads, 1);
    EXPECT_TRUE(bubble.events.empty());
}

TEST_F(MissedCallPipelineTest, OverallLimitOfOneStopsLaterCallsAlsoInInteractiveMode)
{
    pipeline.maxTotalAtStart = 1;
    MissCall(u"0101");
    window.options.interactive = true;
    MissCall(u"0202");
    EXPECT_EQ(Sent(), (Texts {u"Yes", u"No"}));
    EXPECT_TRUE(bubble.events.empty());
    EXPECT_TRUE(window.timers.empty());
    EXPECT_EQ(transport.Messages().size(), 1u);
}

TEST_F(MissedCallPipelineTest, YesIsHonouredAfterTheLimitWasReachedMeanwhile)
{
    pipeline.maxTotalAtStart = 1;
    window.options.interactive = true;
    MissCall(u"0101");
    window.options.interactive = false;
    MissCall(u"0202");
    EXPECT_EQ(pipeline.sentCount, 1);
    EXPECT_EQ(pipeline.OnAnswerYes(), PendingSendResult::Sent);
    EXPECT_EQ(pipeline.sentCount, 2);
    EXPECT_EQ(window.sentLabel, "2");
    EXPECT_EQ(Sent(), (Texts {u"Yes", u"Yes"}));
    EXPECT_EQ(transport.Messages(),
        (Messages {
            {u"0202", u"Hi Friend, call you later"}, {u"0101", u"Hi Friend, call you later"}}));
}

TEST_F(MissedCallPipelineTest, PerCallerLimitCountsOnlyYesRows)
{
    window.options.maxPerCallerIndex = 0; // "1"
    MissCall(u"0101");
    MissCall(u"0101");
    window.options.interactive = true;
    MissCall(u"0202");
    EXPECT_EQ(pipeline.OnAnswerYes(), PendingSendResult::Sent);
    MissCall(u"0202"); // its first reply went out after a Yes: counted, nothing asked
    EXPECT_TRUE(bubble.shown.empty());
    window.options.interactive = false;
    window.options.ringsBeforeSendIndex = 5;
    MissCall(u"0303", 1); // a "No" row
    window.options.ringsBeforeSendIndex = 0;
    MissCall(u"0303");
    EXPECT_EQ(Sent(), (Texts {u"Yes", u"No", u"Yes", u"No", u"No", u"Yes"}));

    window.options.maxPerCallerIndex = 1; // "2": the choice applies to the next call at once
    MissCall(u"0101");
    MissCall(u"0101");
    EXPECT_EQ(Sent().back(), u"No");
    EXPECT_EQ(Sent()[Sent().size() - 2], u"Yes");
}

TEST_F(MissedCallPipelineTest, RemovedRowsNoLongerCountAndAgeCleanUpRunsFirst)
{
    MissCall(u"0101");
    MissCall(u"0101");
    EXPECT_EQ(Sent(), (Texts {u"Yes", u"No"}));
    log.ClearAll();
    MissCall(u"0101");
    EXPECT_EQ(Sent(), (Texts {u"Yes"}));

    window.options.logAgeIndex = 1; // "0.5 hours"
    now += 29 * 60 + 59;
    MissCall(u"0101");
    EXPECT_EQ(Sent(), (Texts {u"Yes", u"No"}));
    now += 1; // the first row is 30 minutes old now: removed before the count
    MissCall(u"0101");
    EXPECT_EQ(Sent(), (Texts {u"No", u"Yes"}));
}

TEST_F(MissedCallPipelineTest, RuleTestGetsTheDeliveredNumberAndIdentity)
{
    AddContact(Card(7, u"Ann", u"Lee", u"+44800123"));
    std::vector<std::pair<std::u16string, bool>> asked;
    window.options.passesRules = [&](std::u16string_view number, bool identified) {
        asked.emplace_back(number, identified);
        for (std::u16string_view piece : {u"0800", u"0900"})
            if (number.starts_with(piece))
                return false;
        return true;
    };
    MissCall(u"0800123"); // found in stage 2, excluded by the delivered number
    MissCall(u"80012");
    EXPECT_EQ(asked,
        (std::vector<std::pair<std::u16string, bool>> {{u"0800123", true}, {u"80012", false}}));
    EXPECT_EQ(Sent(), (Texts {u"No", u"Yes"}));
    EXPECT_EQ(Column(&CallLogRow::caller), (Texts {u"Ann Lee", u"Unknown"}));
    EXPECT_EQ(transport.Messages(), (Messages {{u"80012", u"Hi Friend, call you later"}}));
}

TEST_F(MissedCallPipelineTest, MinimumRings)
{
    window.options.ringsBeforeSendIndex = 3;
    MissCall(u"0101", 2);
    MissCall(u"0101", 3);
    EXPECT_EQ(Sent(), (Texts {u"No", u"Yes"}));
    EXPECT_EQ(Column(&CallLogRow::rings), (Texts {u"2", u"3"}));
}

TEST_F(MissedCallPipelineTest, TextThatExpandsToNothingIsStillSent)
{
    AddOrUpdateTemplate(u"Greeting", u"[TITLE]");
    MissCall(u"0101");
    EXPECT_EQ(transport.Messages(), (Messages {{u"0101", u""}}));
    EXPECT_EQ(Sent(), (Texts {u"Yes"}));
    EXPECT_EQ(pipeline.sentCount, 1);
}

TEST_F(MissedCallPipelineTest, NoTextMeansNothingSentNorAsked)
{
    active.profile->defaultMessageId = 0; // "<do not send>"
    MissCall(u"0101");
    window.options.interactive = true;
    MissCall(u"0202");
    active.profile = nullptr;
    MissCall(u"0303");
    EXPECT_EQ(Sent(), (Texts {u"No", u"Interactive", u"Interactive"}));
    EXPECT_TRUE(bubble.events.empty());
    EXPECT_TRUE(transport.Messages().empty());
    EXPECT_EQ(pipeline.sentCount, 0);
}

TEST_F(MissedCallPipelineTest, SecondQuestionReplacesTheFirst)
{
    AddContact(Card(7, u"Ann", u"Lee", u"0202"));
    window.options.interactive = true;
    MissCall(u"0101");
    MissCall(u"0202");
    EXPECT_EQ(bubble.events, (Texts {u"add 99", u"remove 99", u"add 99"}));
    const test::RecordingBubble::Shown& shown = bubble.shown.at(kQuestionNotificationId);
    EXPECT_EQ(shown.title, u"New missed call");
    EXPECT_EQ(shown.seconds, 90u);
    EXPECT_EQ(shown.html, QuestionHtml(u"0202", u"Ann Lee", u"Hi Ann, call you later"));
    const std::pair<uint32_t, uint32_t> timeout {2, 240000};
    EXPECT_EQ(window.timers, (std::vector {timeout, timeout}));
    EXPECT_TRUE(transport.Messages().empty());

    EXPECT_EQ(pipeline.OnAnswerYes(), PendingSendResult::Sent);
    EXPECT_EQ(transport.Messages(), (Messages {{u"0202", u"Hi Ann, call you later"}}));
    EXPECT_TRUE(bubble.shown.empty());
    // Only the answered question's row shows the reply; the replaced one stays.
    EXPECT_EQ(Sent(), (Texts {u"Interactive", u"Yes"}));
    EXPECT_EQ(pipeline.OnAnswerYes(), PendingSendResult::NothingPending);
    EXPECT_EQ(Sent(), (Texts {u"Interactive", u"Yes"}));
    EXPECT_EQ(transport.Messages().size(), 1u);
}

TEST_F(MissedCallPipelineTest, NoAndTheTimeoutCloseWithoutSending)
{
    window.options.interactive = true;
    MissCall(u"0101");
    pipeline.OnAnswerNo();
    EXPECT_TRUE(bubble.shown.empty());
    MissCall(u"0202");
    pipeline.OnQuestionTimeout(); // four minutes later
    EXPECT_TRUE(bubble.shown.empty());
    EXPECT_EQ(Sent(), (Texts {u"Interactive", u"Interactive"}));
    EXPECT_EQ(pipeline.OnAnswerYes(), PendingSendResult::NothingPending);
    pipeline.OnQuestionTimeout(); // a timer that finds nothing open
    EXPECT_TRUE(transport.Messages().empty());
    EXPECT_EQ(pipeline.sentCount, 0);
}

TEST_F(MissedCallPipelineTest, YesAfterStopMonitorStillSends)
{
    window.options.interactive = true;
    MissCall(u"0101");
    MissCall(u"0101"); // a second question from the same caller: not limited
    monitor.Close();
    contacts.Logoff();
    pipeline.ResetSentCount();
    EXPECT_EQ(window.sentLabel, "0");
    EXPECT_EQ(pipeline.OnAnswerYes(), PendingSendResult::Sent);
    EXPECT_EQ(transport.Messages(), (Messages {{u"0101", u"Hi Friend, call you later"}}));
    EXPECT_EQ(window.sentLabel, "1");
}

TEST_F(MissedCallPipelineTest, CallersFoundInStageTwoOrThreeGetTheirContactsEntries)
{
    AddContact(Card(17, u"Ann", u"Lee", u"+44 7700 900123")); // formatted: stage 3 only
    AddContact(Card(18, u"Bob", u"Ray", u"+447700900456")); // international: stage 2
    TemplateRecord* dear = AppendTemplate(u"Dear", u"Dear [FULLNAME]");
    TemplateRecord* team = AppendTemplate(u"Team", u"Team [LASTNAME]");
    ASSERT_NE(AddContactEntry(*active.profile, 17, dear->id), nullptr);
    GroupRecord source;
    source.members = {18};
    ASSERT_NE(AddGroupEntry(*active.profile, AddGroup(source)->id, team->id), nullptr);

    MissCall(u"07700900123");
    MissCall(u"07700900456");
    MissCall(u"07700900789");
    EXPECT_EQ(transport.Messages(),
        (Messages {{u"07700900123", u"Dear Ann Lee"}, {u"07700900456", u"Team Ray"},
            {u"07700900789", u"Hi Friend, call you later"}}));
    EXPECT_EQ(Column(&CallLogRow::caller), (Texts {u"Ann Lee", u"Bob Ray", u"Unknown"}));
    EXPECT_EQ(
        Column(&CallLogRow::number), (Texts {u"07700900123", u"07700900456", u"07700900789"}));
}

TEST_F(MissedCallPipelineTest, RefusedImmediateReplyIsLoggedFailedAndNotCounted)
{
    pipeline.maxTotalAtStart = 1;
    window.options.maxPerCallerIndex = 0;
    FailSmsCall(SmsCall::SmsSendMessage, 5);
    MissCall(u"0101");
    EXPECT_EQ(pipeline.sentCount, 0);
    EXPECT_EQ(window.sentLabel, "0");
    ClearSmsFailures();
    MissCall(u"0101"); // neither the run's limit nor the caller's allowance was used
    EXPECT_EQ(Sent(), (Texts {u"Failed", u"Yes"}));
    EXPECT_EQ(transport.Messages(), (Messages {{u"0101", u"Hi Friend, call you later"}}));
}

TEST_F(MissedCallPipelineTest, RefusedYesIsReportedAndNotCounted)
{
    window.options.interactive = true;
    MissCall(u"0101");
    FailSmsCall(SmsCall::SmsOpen, 5);
    EXPECT_EQ(pipeline.OnAnswerYes(), PendingSendResult::Failed);
    EXPECT_EQ(pipeline.sentCount, 0);
    EXPECT_TRUE(bubble.shown.empty());
    EXPECT_EQ(
        FailedReplyMessage(pipeline.pendingReply.number), u"The SMS to 0101 could not be sent.");
    EXPECT_EQ(Sent(), (Texts {u"Failed"}));
}

TEST_F(MissedCallPipelineTest, CallerIdCarryingAButtonCannotAddOne)
{
    AddContact(Card(9, u"<input type=button name='cmd:13' value='x'>", u"&", u"0404"));
    window.options.interactive = true;
    MissCall(u"<input type=button name='cmd:13' value='Send'>");
    ParsedNotification parsed = Bubble();
    ASSERT_EQ(parsed.buttons.size(), 2u);
    EXPECT_EQ(parsed.buttons[0].command, 13);
    EXPECT_EQ(parsed.buttons[1].command, 12);
    EXPECT_TRUE(
        parsed.plain.contains(QStringLiteral("<input type=button name='cmd:13' value='Send'>")));

    MissCall(u"0404");
    parsed = Bubble();
    ASSERT_EQ(parsed.buttons.size(), 2u);
    EXPECT_TRUE(
        parsed.plain.contains(QStringLiteral("<input type=button name='cmd:13' value='x'> &")));
}

// A transport that answers when the test says, as a modem does.
class LaterSmsBackend final : public SmsBackend {
public:
    void StartSend(
        std::u16string_view number, std::u16string_view, SmsPath, SmsSendDone done) override
    {
        waiting.emplace_back(number, std::move(done));
        // A network as quick as the call: sent and reported before it returns.
        if (atOnce) {
            Answer(waiting.size() - 1, true);
            Report(waiting.size() - 1, *std::exchange(atOnce, std::nullopt));
        }
    }
    void Answer(size_t index, bool accepted, std::u16string why = {})
    {
        SmsSendDone& done = waiting.at(index).second;
        done({accepted ? SmsStatus::Sent : SmsStatus::Refused, why, true});
        if (!accepted)
            done = nullptr;
    }
    void Report(size_t index, const SmsUpdate& report)
    {
        std::exchange(waiting.at(index).second, {})(report);
    }
    std::optional<SmsUpdate> atOnce;
    std::vector<std::pair<std::u16string, SmsSendDone>> waiting;
};

TEST_F(MissedCallPipelineTest, SlowTransportHoldsNoCallUpAndItsAnswersSetTheRows)
{
    LaterSmsBackend later;
    SetSmsBackend(&later);
    pipeline.maxTotalAtStart = 2;
    MissCall(u"0101");
    MissCall(u"0202"); // rings and ends while the first reply is on its way
    ASSERT_EQ(later.waiting.size(), 2u);
    EXPECT_EQ(later.waiting[1].first, u"0202");
    EXPECT_EQ(Sent(), (Texts {u"Yes", u"Yes"}));
    EXPECT_EQ(window.sentLabel, "0");
    later.Answer(0, false);
    later.Answer(1, true);
    EXPECT_EQ(Sent(), (Texts {u"Failed", u"Yes"}));
    EXPECT_EQ(window.sentLabel, "1");

    // A reply on its way counts against the run's limit; a refused Yes is told.
    window.options.interactive = true;
    MissCall(u"0303");
    EXPECT_EQ(pipeline.OnAnswerYes(), PendingSendResult::Sending);
    EXPECT_EQ(Sent().back(), u"Yes");
    MissCall(u"0404");
    EXPECT_EQ(Sent().back(), u"No");
    later.Answer(2, false);
    EXPECT_EQ(Sent(), (Texts {u"Failed", u"Yes", u"Failed", u"No"}));
    EXPECT_EQ(window.refused, (Texts {u"0303"}));
    EXPECT_EQ(window.sentLabel, "1");
}

namespace {

// The pipeline with a real history file beside it.
class PipelineHistoryTest : public MissedCallPipelineTest {
protected:
    void SetUp() override
    {
        MissedCallPipelineTest::SetUp();
        pipeline.SetRecorder(history.get());
    }
    void TearDown() override
    {
        pipeline.SetRecorder(nullptr);
        MissedCallPipelineTest::TearDown();
    }
    // Ends this history and opens the file again, as a new run does.
    void Reopen()
    {
        history.reset();
        history = std::make_unique<CallHistory>(
            dir.Path(), now, 0, [this](const QString& p) { problems.push_back(p); });
        pipeline.SetRecorder(history.get());
    }
    std::vector<CallRecord> Rows(std::u16string number)
    {
        return history->Read({std::nullopt, std::move(number)});
    }

    test::ScratchDir dir;
    std::vector<QString> problems;
    std::unique_ptr<CallHistory> history = std::make_unique<CallHistory>(
        dir.Path(), now, 0, [this](const QString& p) { problems.push_back(p); });
};

} // namespace

TEST_F(PipelineHistoryTest, ARepliedCallIsRecordedWholeAfterItsSend)
{
    AddContact(Card(7, u"Ann", u"Lee", u"0202"));
    MissCall(u"0202", 3);
    MissCall(u"0999");
    const std::vector<CallRecord> rows = history->Read();
    ASSERT_EQ(rows.size(), 2u);
    CallRecord expected;
    expected.id = rows[0].id;
    expected.timeUtc = now;
    expected.utcOffset = QDateTime::fromSecsSinceEpoch(now).offsetFromUtc();
    expected.number = u"0202";
    expected.callerName = u"Ann Lee";
    expected.contactId = 7;
    expected.lookupStage = "as delivered";
    expected.rings = 3;
    expected.profileId = active.profile->id;
    expected.templateId = greeting->id;
    expected.text = u"Hi Ann, call you later";
    expected.fate = ReplyFate::Sent;
    expected.delivery = DeliveryState::Waiting;
    EXPECT_EQ(rows[0], expected);
    // The network's report comes after the row: it moves the row on.
    ASSERT_TRUE(
        test::WaitUntil([&] { return history->Read()[0].delivery != DeliveryState::Waiting; }));
    EXPECT_EQ(history->Read()[0].delivery, DeliveryState::Delivered);
    EXPECT_EQ(rows[1].callerName, u"");
    EXPECT_EQ(rows[1].lookupStage, "not found");
    EXPECT_EQ(rows[1].text, u"Hi Friend, call you later");
    EXPECT_TRUE(problems.empty());
}

TEST_F(PipelineHistoryTest, EveryReasonAndFateReachesTheRow)
{
    struct Case {
        std::u16string number;
        std::function<void()> act; // with the options reset before
        HistoryReason reason;
        ReplyFate fate;
        std::u16string text;
    };
    const std::u16string hi = u"Hi Friend, call you later";
    const auto ask = [this] { window.options.interactive = true; };
    const Case cases[] = {
        {u"01", [] {}, HistoryReason::Replied, ReplyFate::Sent, hi},
        {u"02", [] { FailSmsCall(SmsCall::SmsSendMessage, 5); }, HistoryReason::Replied,
            ReplyFate::Failed, hi},
        {u"03", [&] { ask(); }, HistoryReason::Asked, ReplyFate::AnsweredYes, hi},
        {u"04", [&] { ask(); }, HistoryReason::Asked, ReplyFate::AnsweredNo, hi},
        {u"05", [&] { ask(); }, HistoryReason::Asked, ReplyFate::Expired, hi},
        {u"06", [&] { ask(); }, HistoryReason::Asked, ReplyFate::Replaced, hi},
        {u"07", [&] { ask(); }, HistoryReason::Asked, ReplyFate::Failed, hi},
        {u"08", [&] { window.options.ringsBeforeSendIndex = 3; }, HistoryReason::Rings,
            ReplyFate::None, u""},
        {u"09", [&] { window.options.passesRules = [](auto, bool) { return false; }; },
            HistoryReason::Rule, ReplyFate::None, u""},
        {u"10", [&] { active.profile = nullptr; }, HistoryReason::NoText, ReplyFate::None, u""},
        {u"11", [&] { pipeline.maxTotalAtStart = 0; }, HistoryReason::OverallLimit, ReplyFate::None,
            u""},
    };
    ProfileRecord* profile = active.profile;
    for (const Case& c : cases) {
        window.options = {};
        window.options.maxPerCallerIndex = 9;
        c.act();
        MissCall(c.number);
        ClearSmsFailures();
        if (c.fate == ReplyFate::AnsweredYes)
            pipeline.OnAnswerYes();
        if (c.fate == ReplyFate::AnsweredNo)
            pipeline.OnAnswerNo();
        if (c.fate == ReplyFate::Expired)
            pipeline.OnQuestionTimeout();
        if (c.fate == ReplyFate::Replaced)
            MissCall(u"0999");
        if (c.reason == HistoryReason::Asked && c.fate == ReplyFate::Failed) {
            FailSmsCall(SmsCall::SmsOpen, 5);
            pipeline.OnAnswerYes();
            ClearSmsFailures();
        }
        pipeline.OnAnswerNo();
        active.profile = profile;
        pipeline.maxTotalAtStart = 20;
        const auto rows = Rows(c.number);
        ASSERT_EQ(rows.size(), 1u) << ReasonName(c.reason);
        EXPECT_EQ(rows[0].reason, c.reason) << FateName(c.fate);
        EXPECT_EQ(rows[0].fate, c.fate) << ReasonName(c.reason);
        EXPECT_EQ(rows[0].text, c.text) << FateName(c.fate);
        EXPECT_EQ(rows[0].error.empty(), c.fate != ReplyFate::Failed) << ReasonName(c.reason);
    }
    EXPECT_EQ(Rows(u"0999")[0].fate, ReplyFate::AnsweredNo);
}

TEST_F(PipelineHistoryTest, LateAnswersMoveTheRowOn)
{
    LaterSmsBackend later;
    SetSmsBackend(&later);
    MissCall(u"0101");
    MissCall(u"0202");
    window.options.interactive = true;
    MissCall(u"0303");
    EXPECT_EQ(pipeline.OnAnswerYes(), PendingSendResult::Sending);
    const auto fates = [this] {
        std::vector<ReplyFate> fates;
        for (const CallRecord& row : history->Read())
            fates.push_back(row.fate);
        return fates;
    };
    EXPECT_EQ(
        fates(), (std::vector {ReplyFate::Sending, ReplyFate::Sending, ReplyFate::AnsweredYes}));
    later.Answer(0, true);
    later.Answer(1, false);
    later.Answer(2, false);
    EXPECT_EQ(fates(), (std::vector {ReplyFate::Sent, ReplyFate::Failed, ReplyFate::Failed}));
}

TEST_F(PipelineHistoryTest, DeliveryReportsAndRefusalsReachTheirRowsWheneverTheyCome)
{
    LaterSmsBackend later;
    SetSmsBackend(&later);
    window.options.maxPerCallerIndex = 9;
    MissCall(u"0101");
    later.Answer(0, true);
    MissCall(u"0202");
    later.Answer(1, false, u"ModemManager could not send it: no network");
    later.atOnce = SmsUpdate {SmsStatus::NotDelivered, u"the number cannot be reached (0x43)"};
    MissCall(u"0303");
    window.options.interactive = true;
    MissCall(u"0404");
    pipeline.OnAnswerYes();
    later.Answer(3, true);
    const auto row = [this](const std::u16string& number) { return Rows(number).at(0); };
    EXPECT_EQ(row(u"0101").delivery, DeliveryState::Waiting);
    EXPECT_EQ(row(u"0404").delivery, DeliveryState::Waiting);
    EXPECT_EQ(row(u"0202").fate, ReplyFate::Failed);
    EXPECT_EQ(row(u"0202").error, u"ModemManager could not send it: no network");
    EXPECT_EQ(row(u"0303").fate, ReplyFate::Sent);
    EXPECT_EQ(row(u"0303").delivery, DeliveryState::Failed);
    EXPECT_EQ(row(u"0303").deliveryReason, u"the number cannot be reached (0x43)");

    later.Report(0, {SmsStatus::Delivered});
    later.Report(3, {SmsStatus::NoReport, u"no report came within a day"});
    EXPECT_EQ(row(u"0101").delivery, DeliveryState::Delivered);
    EXPECT_EQ(row(u"0404").fate, ReplyFate::AnsweredYes);
    EXPECT_EQ(row(u"0404").delivery, DeliveryState::Unknown);
    EXPECT_EQ(row(u"0404").deliveryReason, u"no report came within a day");
}

TEST_F(PipelineHistoryTest, TheQuietPeriodHoldsAcrossARestartAndIsLoggedNo)
{
    window.options.maxPerCallerIndex = 9;
    window.options.quietMinutes = 60;
    MissCall(u"0101");
    now += 59 * 60;
    Reopen();
    MissCall(u"0101");
    MissCall(u"0202");
    now += 2 * 60;
    MissCall(u"0101");
    EXPECT_EQ(Sent(), (Texts {u"Yes", u"No", u"Yes", u"Yes"}));
    EXPECT_EQ(transport.Messages().size(), 3u);
    const auto rows = Rows(u"0101");
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[1].reason, HistoryReason::QuietPeriod);
    EXPECT_EQ(rows[1].fate, ReplyFate::None);

    // Never: only the other limits.
    window.options.quietMinutes = 0;
    MissCall(u"0101");
    EXPECT_EQ(Sent().back(), u"Yes");
}

TEST_F(PipelineHistoryTest, ADamagedHistoryNeverStopsAReplyAndIsKeptAsideAtTheNextStart)
{
    MissCall(u"0101");
    const std::vector<uint8_t> junk(8192, 'x');
    test::WriteAll(dir.Path() / kHistoryFileName, junk);
    MissCall(u"0202");
    MissCall(u"0303");
    EXPECT_EQ(Sent(), (Texts {u"Yes", u"Yes", u"Yes"}));
    EXPECT_EQ(transport.Messages().size(), 3u);
    ASSERT_EQ(problems.size(), 1u);
    EXPECT_TRUE(problems[0].contains(QStringLiteral("the call from 0202 cannot be recorded")))
        << problems[0].toStdString();

    problems.clear();
    Reopen();
    ASSERT_FALSE(history->KeptAside().empty());
    EXPECT_EQ(test::ReadAll(history->KeptAside()), junk);
    MissCall(u"0404");
    EXPECT_EQ(Rows(u"0404").size(), 1u);
    EXPECT_EQ(problems.size(), 1u);
}
