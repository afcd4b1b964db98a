#include "platform/sms/ModemManagerSms.h"
#include "monitor/SmsSender.h"
#include "platform/modem/ModemManagerClient.h"
#include "platform/sms/PlatformVersion.h"
#include "tests/LogicTestSupport.h"
#include "tests/platform/modem/ModemTestBus.h"

#include <gtest/gtest.h>

using namespace pelmora;
using namespace pelmora::test;

namespace {

struct FaultCase {
    const char* name;
    const char* method;
    const char* fault;
    bool sendTried;
    bool deleted;
};

class ModemManagerSmsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(PrivateSystemBusIsUp());
        ASSERT_TRUE(fake.Start({QStringLiteral("voice")}));
    }
    void TearDown() override
    {
        SetSmsBackend(nullptr);
        SetPlatformMajorVersion(5);
    }
    // What the backend answered, once it has.
    static std::optional<bool> Sent(ModemManagerSms& backend, std::u16string_view number,
        std::u16string_view text, SmsPath path)
    {
        auto answer = std::make_shared<std::optional<bool>>();
        backend.StartSend(number, text, path, [answer](const SmsUpdate& update) {
            if (!update.IsReport())
                *answer = update.Accepted();
        });
        (void)WaitUntil([&] { return answer->has_value(); }, 20000);
        return *answer;
    }
    // Every update the backend gives for one message, as it comes.
    using Updates = std::shared_ptr<std::vector<SmsUpdate>>;
    static Updates Start(ModemManagerSms& backend, std::u16string_view number)
    {
        auto updates = std::make_shared<std::vector<SmsUpdate>>();
        backend.StartSend(number, u"Back soon", SmsPath::Direct,
            [updates](const SmsUpdate& update) { updates->push_back(update); });
        return updates;
    }
    static std::optional<bool> WaitForAnswer(const SendAnswer& answer)
    {
        (void)WaitUntil([&] { return answer->has_value(); }, 20000);
        return *answer;
    }
    // The message paths named by the log's Send entries.
    QStringList SentMessages()
    {
        QStringList paths;
        for (const QString& entry : fake.Starting(QStringLiteral("Send\t")))
            paths.append(entry.mid(5));
        return paths;
    }

    FakeModemManagerProcess fake;
    ModemManagerClient client {QDBusConnection::systemBus(), {5000, 5000}};
    ModemManagerSms sms {client};
};

} // namespace

TEST_F(ModemManagerSmsTest, MessageIsCreatedWithNumberAndTextThenSentThenKeptForItsReport)
{
    EXPECT_EQ(
        Sent(sms, u"+441632960201", u"Back at 5 – Grüße 😊\nLine two\tend", SmsPath::Direct), true);
    EXPECT_EQ(fake.Starting(QStringLiteral("Create\t")),
        QStringList {
            QString::fromUtf16(u"Create\t+441632960201\tBack at 5 – Grüße 😊\\nLine two\\tend")});
    const QStringList sent = SentMessages();
    ASSERT_EQ(sent.size(), 1);
    EXPECT_EQ(sms.Waiting(), 1u);
    EXPECT_EQ(fake.Count(QStringLiteral("Delete\t") + sent[0]), 0);
    const QStringList& log = fake.Log();
    EXPECT_LT(log.indexOf(fake.Starting(QStringLiteral("Create\t"))[0]),
        log.indexOf(QStringLiteral("Send\t") + sent[0]));
}

TEST_F(ModemManagerSmsTest, EmptyTextIsStillAMessage)
{
    EXPECT_EQ(Sent(sms, u"01632 960202", u"", SmsPath::Direct), true);
    EXPECT_EQ(fake.Starting(QStringLiteral("Create\t")),
        QStringList {QStringLiteral("Create\t01632 960202\t")});
    EXPECT_EQ(SentMessages().size(), 1);
}

TEST_F(ModemManagerSmsTest, FailureOrSilenceOfEitherStepIsAFailedSend)
{
    const FaultCase cases[] = {
        {"create fails", "Create", "fail", false, false},
        {"create never answers", "Create", "hang", false, false},
        {"send fails", "Send", "fail", true, true},
        {"send never answers", "Send", "hang", true, true},
    };
    ModemManagerClient impatient {QDBusConnection::systemBus(), {300, 300}};
    ModemManagerSms quick {impatient};
    for (const FaultCase& c : cases) {
        SCOPED_TRACE(c.name);
        fake.SetFault(QString::fromLatin1(c.method), QString::fromLatin1(c.fault));
        const int sendsBefore = static_cast<int>(SentMessages().size());
        EXPECT_EQ(Sent(quick, u"+441632960203", u"Back soon", SmsPath::MessageStore), false);
        const QStringList sent = SentMessages();
        EXPECT_EQ(sent.size() > sendsBefore, c.sendTried);
        if (c.deleted) {
            // A message that did not go is not left behind to go later.
            ASSERT_FALSE(sent.isEmpty());
            EXPECT_TRUE(fake.WaitForLog(QStringLiteral("Delete\t") + sent.back()));
        }
        fake.SetFault(QString::fromLatin1(c.method), QString());
    }
    // Once the modem works again, so does sending.
    EXPECT_EQ(Sent(quick, u"+441632960203", u"Back soon", SmsPath::MessageStore), true);
}

TEST_F(ModemManagerSmsTest, WithoutAModemNothingIsSent)
{
    ASSERT_TRUE(fake.Stop());
    EXPECT_EQ(Sent(sms, u"+441632960204", u"Back soon", SmsPath::SmsApi), false);
    ASSERT_TRUE(fake.Start({}));
    EXPECT_EQ(Sent(sms, u"+441632960204", u"Back soon", SmsPath::SmsApi), false);
    EXPECT_TRUE(fake.Starting(QStringLiteral("Create\t")).isEmpty());
}

TEST_F(ModemManagerSmsTest, TransportReportsTheModemsAnswerOnBothPaths)
{
    SetSmsBackend(&sms);
    for (uint32_t major : {4u, 5u}) {
        SCOPED_TRACE(major);
        SetPlatformMajorVersion(major);
        CSmsSender sender;
        ASSERT_TRUE(sender.Init());
        const QString number = QStringLiteral("+44163296020%1").arg(major);
        EXPECT_EQ(WaitForAnswer(StartSend(sender, u"On my way", number.toStdU16String())), true);
        EXPECT_EQ(fake.Count(QStringLiteral("Create\t%1\tOn my way").arg(number)), 1);

        fake.SetFault(QStringLiteral("Send"), QStringLiteral("fail"));
        EXPECT_EQ(WaitForAnswer(StartSend(sender, u"On my way", number.toStdU16String())), false);
        fake.SetFault(QStringLiteral("Send"), QString());
    }
}

TEST_F(ModemManagerSmsTest, TheNetworksReportSettlesTheReplyAndBothMessagesGo)
{
    const struct {
        const char* name;
        std::vector<unsigned> states; // the reports the network gives, in order
        SmsStatus status;
        std::u16string detail;
    } cases[] = {
        {"delivered", {0x00}, SmsStatus::Delivered, u""},
        {"failed for good", {0x43}, SmsStatus::NotDelivered,
            u"the number cannot be reached (0x43)"},
        {"retried, then delivered", {0x21, 0x01}, SmsStatus::Delivered, u""},
        {"retried, then given up", {0x21, 0x61}, SmsStatus::NotDelivered,
            u"the recipient's phone was busy (0x61)"},
        {"a CDMA failure", {0x221}, SmsStatus::NotDelivered,
            u"problem at the recipient's phone (0x221)"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const Updates updates = Start(sms, u"+441632960211");
        ASSERT_TRUE(WaitUntil([&] { return !updates->empty(); }, 20000));
        EXPECT_EQ(updates->at(0).status, SmsStatus::Sent);
        EXPECT_TRUE(updates->at(0).reportFollows);
        const QString sent = SentMessages().back();
        // Another's report with the same reference is not ours to read or
        // delete, though its number ends in the same four digits.
        const QString stranger = fake.Report(sent, 0x43, QStringLiteral("+447700900211"));
        QStringList reports;
        for (unsigned state : c.states) {
            // The network writes the number back in its national form.
            reports.append(fake.Report(sent, state, QStringLiteral("01632 960211")));
            ASSERT_TRUE(fake.WaitForLog(QStringLiteral("Delete\t") + reports.back()));
        }
        ASSERT_TRUE(WaitUntil([&] { return updates->size() == 2; }, 20000));
        EXPECT_EQ(updates->at(1).status, c.status);
        EXPECT_EQ(updates->at(1).detail, c.detail);
        EXPECT_TRUE(fake.WaitForLog(QStringLiteral("Delete\t") + sent));
        EXPECT_EQ(fake.Count(QStringLiteral("Delete\t") + stranger), 0);
        EXPECT_EQ(sms.Waiting(), 0u);
    }
}

TEST_F(ModemManagerSmsTest, WithoutAReportTheWaitEndsAndTheMessageGoes)
{
    ModemManagerSms brief {client, 300};
    const Updates timedOut = Start(brief, u"+441632960212");
    ASSERT_TRUE(WaitUntil([&] { return timedOut->size() == 2; }, 20000));
    EXPECT_EQ(timedOut->at(1).status, SmsStatus::NoReport);
    EXPECT_TRUE(fake.WaitForLog(QStringLiteral("Delete\t") + SentMessages().back()));

    ModemManagerSms patient {client};
    const Updates orphaned = Start(patient, u"+441632960213");
    ASSERT_TRUE(WaitUntil([&] { return orphaned->size() == 1; }, 20000));
    ASSERT_TRUE(client.MessagingModem());
    fake.RemoveModem(client.MessagingModem()->path);
    ASSERT_TRUE(WaitUntil([&] { return orphaned->size() == 2; }, 20000));
    EXPECT_EQ(orphaned->at(1).status, SmsStatus::NoReport);
    EXPECT_EQ(orphaned->at(1).detail, u"the modem went away before a report came");
}
