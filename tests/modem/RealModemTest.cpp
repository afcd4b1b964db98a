// The main window over the ModemManager backends, against the real
// ModemManager driving an emulated modem (modem-rig): what reaches the modem,
// AT command by AT command, for each kind of call.

#include "history/CallHistory.h"
#include "tests/modem/RealModemFixture.h"
#include "ui/LogPage.h"

#include <QDateTime>

using namespace pelmora;
using namespace pelmora::test;

namespace {

const QString kStranger = QStringLiteral("+447700900999");

using Texts = std::vector<std::u16string>;

QDBusMessage CallMm(const QString& path, const char* interface, const char* method,
    const QVariantList& arguments = {})
{
    QDBusMessage call = QDBusMessage::createMethodCall(QStringLiteral(MM_DBUS_SERVICE), path,
        QString::fromLatin1(interface), QString::fromLatin1(method));
    call.setArguments(arguments);
    return QDBusConnection::systemBus().call(call);
}

QVariant SmsProperty(const QString& sms, const char* name)
{
    const QDBusMessage reply = CallMm(sms, "org.freedesktop.DBus.Properties", "Get",
        {QStringLiteral(MM_DBUS_INTERFACE_SMS), QString::fromLatin1(name)});
    return qdbus_cast<QDBusVariant>(reply.arguments().value(0)).variant();
}

// The SMS objects ModemManager lists on the modem.
QStringList Messages()
{
    const QDBusMessage list = CallMm(Rig().ModemPath(), MM_DBUS_INTERFACE_MODEM_MESSAGING, "List");
    QStringList paths;
    for (const QDBusObjectPath& sms : qdbus_cast<QList<QDBusObjectPath>>(list.arguments().value(0)))
        paths.append(sms.path());
    return paths;
}

// ModemManager's SMS object for the status report on message reference
// `reference`; empty until one has come.
QString StatusReport(uint reference)
{
    for (const QString& sms : Messages())
        if (SmsProperty(sms, "PduType").toUInt() == MM_SMS_PDU_TYPE_STATUS_REPORT
            && SmsProperty(sms, "MessageReference").toUInt() == reference)
            return sms;
    return {};
}

// The history row of the call from `number`, read as a tool beside the
// program reads it; none until it is recorded.
std::optional<CallRecord> HistoryRow(const ScratchDir& dir, const QString& number)
{
    CallHistory history(
        dir.Path(), QDateTime::currentSecsSinceEpoch(), 0, nullptr, CallHistory::Access::ReadOnly);
    for (const CallRecord& row : history.Read())
        if (row.number == number.toStdU16String())
            return row;
    return std::nullopt;
}

} // namespace

TEST_F(RealModem, MissedCallsGetOnePduEachWithTheirTextAndNoCallerIdGetsNone)
{
    ASSERT_NO_FATAL_FAILURE(Monitor());
    ASSERT_NO_FATAL_FAILURE(MissCall(kAnn));
    ASSERT_NO_FATAL_FAILURE(MissCall(kStranger));
    ASSERT_NO_FATAL_FAILURE(MissCall(std::nullopt));

    const std::vector<ModemSms> sms = Rig().Sms();
    ASSERT_EQ(sms.size(), 2u);
    EXPECT_EQ(sms[0].number, kAnn);
    EXPECT_EQ(sms[0].text, QStringLiteral("Hi Ann, call you later"));
    EXPECT_EQ(sms[0].coding, QStringLiteral("gsm7"));
    EXPECT_EQ(sms[0].partReference, -1);
    EXPECT_EQ(sms[1].number, kStranger);
    EXPECT_EQ(sms[1].text, QStringLiteral("Hi Friend, call you later"));
    EXPECT_EQ(
        Column(CLogListCtrl::Number), (Texts {kAnn.toStdU16String(), kStranger.toStdU16String()}));
    EXPECT_EQ(Column(CLogListCtrl::SmsSent), (Texts {u"Yes", u"Yes"}));
}

TEST_F(RealModem, CallAnsweredOnThePhoneGetsNothing)
{
    ASSERT_NO_FATAL_FAILURE(Monitor());
    Rig().Ring(kAnn);
    ASSERT_TRUE(WaitUntil([&] { return dialog->lineMonitor.ringCount >= 1; }, 10000));
    const QString call = AcceptRingingCall();
    ASSERT_FALSE(call.isEmpty());
    // The far end hangs up once ModemManager has the call active, as a
    // caller who has been answered does.
    ASSERT_TRUE(WaitUntil([&] { return CallState(call) == MM_CALL_STATE_ACTIVE; }, 10000));
    Rig().HangUp();
    ASSERT_TRUE(WaitUntil([&] { return dialog->lineMonitor.ringCount == -1; }, 10000));

    EXPECT_NE(TrafficIndex(Rig().Traffic(), '>', QStringLiteral("ATA")), -1);
    EXPECT_TRUE(Rig().Sms().empty());
    EXPECT_TRUE(Column(CLogListCtrl::Number).empty());
}

TEST_F(RealModem, CallIsReleasedAfterTheChosenRingsThenAnswered)
{
    ASSERT_NO_FATAL_FAILURE(Monitor(kGreeting, 4)); // hang up at the third ring
    Rig().Ring(kAnn);
    ASSERT_TRUE(WaitUntil([&] { return !Rig().Sms().empty(); }, 15000));

    const std::vector<ReleasedCall> released = Rig().Released();
    ASSERT_EQ(released.size(), 1u);
    EXPECT_TRUE(released[0].how == QStringLiteral("AT+CHLD=1%1").arg(released[0].index)
        || released[0].how == QStringLiteral("AT+CHUP"))
        << released[0].how.toStdString();
    const QStringList traffic = Rig().Traffic();
    EXPECT_LT(TrafficIndex(traffic, '>', released[0].how), TrafficIndex(traffic, '>', "AT+CMGS="));
    EXPECT_EQ(Rig().Sms()[0].text, QStringLiteral("Hi Ann, call you later"));
    // A ring counted while the hang-up is on its way may add one.
    const Texts rings = Column(CLogListCtrl::Rings);
    ASSERT_EQ(rings.size(), 1u);
    EXPECT_GE(QString::fromStdU16String(rings[0]).toInt(), 3);
}

TEST_F(RealModem, InteractiveReplyIsSentOnlyAfterTheYes)
{
    ASSERT_NO_FATAL_FAILURE(Monitor(kGreeting, 0, true));
    ASSERT_NO_FATAL_FAILURE(MissCall(kAnn));
    ASSERT_TRUE(dialog->Session().IsTimerActive(2));
    QTest::qWait(500);
    const QStringList before = Rig().Traffic();
    EXPECT_EQ(TrafficIndex(before, '>', QStringLiteral("AT+CMGS=")), -1);

    dialog->RouteCommand(CMonitorDlg::ID_ANSWER_YES);
    ASSERT_NO_FATAL_FAILURE(WaitForReplies());
    ASSERT_EQ(Rig().Sms().size(), 1u);
    EXPECT_EQ(Rig().Sms()[0].number, kAnn);
    EXPECT_EQ(Rig().Sms()[0].text, QStringLiteral("Hi Ann, call you later"));
}

TEST_F(RealModem, TextOutsideTheGsmAlphabetGoesAsUcs2)
{
    const std::u16string text = u"Désolé – je rappelle. Grüße 😊 [FIRSTNAME]";
    ASSERT_NO_FATAL_FAILURE(Monitor(text));
    ASSERT_NO_FATAL_FAILURE(MissCall(kAnn));
    const std::vector<ModemSms> sms = Rig().Sms();
    ASSERT_EQ(sms.size(), 1u);
    EXPECT_EQ(sms[0].coding, QStringLiteral("ucs2"));
    EXPECT_EQ(sms[0].text, QStringLiteral("Désolé – je rappelle. Grüße 😊 Ann"));
}

TEST_F(RealModem, TextLongerThanOneSmsAfterExpansionGoesAsConcatenatedParts)
{
    // 160 units as written; the name makes it 180.
    const std::u16string text = u"[FIRSTNAME], " + std::u16string(135, u'x') + u" [FIRSTNAME]";
    ASSERT_EQ(text.size(), 160u);
    book.Clear();
    ContactCard longName;
    longName.oid = 2;
    longName.firstName = u"Maximiliana-Josephine";
    longName.phones[Mobile] = kAnn.toStdU16String();
    book.Add(longName);
    ASSERT_NO_FATAL_FAILURE(Monitor(text));
    ASSERT_NO_FATAL_FAILURE(MissCall(kAnn));

    const std::vector<ModemSms> sms = Rig().Sms();
    ASSERT_EQ(sms.size(), 2u);
    EXPECT_EQ(sms[0].text + sms[1].text,
        QStringLiteral("Maximiliana-Josephine, ") + QString(135, QLatin1Char('x'))
            + QStringLiteral(" Maximiliana-Josephine"));
    for (int i = 0; i < 2; ++i) {
        EXPECT_EQ(sms[i].number, kAnn);
        EXPECT_EQ(sms[i].coding, QStringLiteral("gsm7"));
        EXPECT_EQ(sms[i].partReference, sms[0].partReference);
        EXPECT_EQ(sms[i].partCount, 2);
        EXPECT_EQ(sms[i].partNumber, i + 1);
    }
    EXPECT_NE(sms[0].partReference, -1);
    EXPECT_EQ(Column(CLogListCtrl::SmsSent), Texts {u"Yes"});
}

TEST_F(RealModem, RefusedSendIsLoggedFailedAndNotCounted)
{
    ASSERT_NO_FATAL_FAILURE(Monitor());
    Rig().RefuseNextSms(500);
    ASSERT_NO_FATAL_FAILURE(MissCall(kAnn));
    EXPECT_TRUE(Rig().Sms().empty());
    EXPECT_NE(TrafficIndex(Rig().Traffic(), '<', QStringLiteral("+CMS ERROR: 500")), -1);
    EXPECT_EQ(Column(CLogListCtrl::SmsSent), Texts {u"Failed"});
    EXPECT_EQ(dialog->MainPage()->GetDlgItemText(CMainPage::IDC_SENT_COUNT), u"0");
}

TEST_F(RealModem, CallNumberFromTheLogDialsItWithMonitoringStopped)
{
    ASSERT_NO_FATAL_FAILURE(Monitor());
    ASSERT_NO_FATAL_FAILURE(MissCall(kStranger));
    dialog->MainPage()->RouteCommand(CMainPage::IDC_START_STOP);
    ASSERT_FALSE(dialog->IsMonitoring());
    dialog->LogList()->SetSelectionMark(0);
    dialog->LogPage()->RouteCommand(CLogListCtrl::ID_CALL_NUMBER);
    ASSERT_TRUE(WaitUntil([&] { return !Rig().Dials().isEmpty(); }, 10000));
    EXPECT_EQ(Rig().Dials(), QStringList {kStranger});
    EXPECT_NE(TrafficIndex(Rig().Traffic(), '>', QStringLiteral("ATD") + kStranger + ";"), -1);
}

// ModemManager alone, driven over D-Bus as an SMS backend would: the modem sees
// the report asked for, and the network's report reaches ModemManager as an
// SMS object of its own with the message's reference and the status given.
TEST_F(RealModem, DeliveryReportReachesModemManagerWithTheNetworksStatus)
{
    const struct {
        bool request;
        int status; // TP-ST played; -1 for none
    } cases[] = {{false, -1}, {true, 0x00}, {true, 0x43}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.status);
        Rig().Reset();
        const QDBusMessage created
            = CallMm(Rig().ModemPath(), MM_DBUS_INTERFACE_MODEM_MESSAGING, "Create",
                {QVariantMap {{QStringLiteral("number"), kAnn},
                    {QStringLiteral("text"), QStringLiteral("Hi")},
                    {QStringLiteral("delivery-report-request"), c.request}}});
        const QString sent = qdbus_cast<QDBusObjectPath>(created.arguments().value(0)).path();
        ASSERT_FALSE(sent.isEmpty()) << created.errorMessage().toStdString();
        const QDBusMessage send = CallMm(sent, MM_DBUS_INTERFACE_SMS, "Send");
        ASSERT_EQ(send.type(), QDBusMessage::ReplyMessage) << send.errorMessage().toStdString();
        const std::vector<ModemSms> sms = Rig().Sms();
        ASSERT_EQ(sms.size(), 1u);
        EXPECT_EQ(sms[0].statusReportRequested, c.request);
        const uint reference = SmsProperty(sent, "MessageReference").toUInt();
        EXPECT_EQ(reference, static_cast<uint>(sms[0].reference));

        QString report;
        if (c.status >= 0) {
            ASSERT_TRUE(Rig().Report(c.status));
            ASSERT_TRUE(WaitUntil([&] { return !(report = StatusReport(reference)).isEmpty(); }));
            EXPECT_EQ(SmsProperty(report, "DeliveryState").toUInt(), static_cast<uint>(c.status));
            EXPECT_EQ(SmsProperty(report, "Number").toString(), kAnn);
        }
        for (const QString& path : {sent, report})
            if (!path.isEmpty())
                CallMm(Rig().ModemPath(), MM_DBUS_INTERFACE_MODEM_MESSAGING, "Delete",
                    {QVariant::fromValue(QDBusObjectPath(path))});
    }
}

// A reply asks for a report: the network's report, matched by ModemManager's
// status-report message, settles the reply's history row, and Pelmora
// deletes both the message and the report from ModemManager.
TEST_F(RealModem, NetworksReportSettlesTheReplysHistoryRow)
{
    const struct {
        QString number;
        int status; // TP-ST played
        DeliveryState delivery;
        std::u16string reason;
    } cases[] = {{kAnn, 0x00, DeliveryState::Delivered, u""},
        {kStranger, 0x43, DeliveryState::Failed, u"the number cannot be reached (0x43)"}};
    ASSERT_NO_FATAL_FAILURE(Monitor());
    for (const auto& c : cases) {
        SCOPED_TRACE(c.status);
        Rig().Reset();
        const QStringList before = Messages();
        ASSERT_NO_FATAL_FAILURE(MissCall(c.number));
        ASSERT_TRUE(WaitUntil([&] {
            const std::optional<CallRecord> row = HistoryRow(dir, c.number);
            return Rig().Sms().size() == 1 && row && row->delivery == DeliveryState::Waiting;
        }));
        QStringList added = Messages();
        added.removeIf([&](const QString& sms) { return before.contains(sms); });
        ASSERT_EQ(added.size(), 1) << "the sent SMS is kept until its report";
        const QString sent = added[0];
        const uint reference = SmsProperty(sent, "MessageReference").toUInt();
        EXPECT_EQ(reference, static_cast<uint>(Rig().Sms()[0].reference));

        ASSERT_TRUE(Rig().Report(c.status));
        ASSERT_TRUE(WaitUntil(
            [&] { return HistoryRow(dir, c.number)->delivery != DeliveryState::Waiting; }, 10000));
        const CallRecord row = *HistoryRow(dir, c.number);
        EXPECT_EQ(row.delivery, c.delivery);
        EXPECT_EQ(row.deliveryReason, c.reason);
        EXPECT_TRUE(WaitUntil([&] {
            return !Messages().contains(sent) && StatusReport(reference).isEmpty();
        })) << Messages().join(QLatin1Char(' ')).toStdString();
    }
}

// Last: the daemon it leaves behind is a new one.
TEST_F(RealModem, DaemonStoppedDuringARingingCallThenStartedAgain)
{
    ASSERT_NO_FATAL_FAILURE(Monitor());
    Rig().Ring(kAnn);
    ASSERT_TRUE(WaitUntil([&] { return dialog->lineMonitor.ringCount >= 1; }, 10000));
    ASSERT_TRUE(Rig().StopDaemon());
    ASSERT_TRUE(WaitUntil([&] { return dialog->lineMonitor.ringCount == -1; }, 10000));
    EXPECT_TRUE(dialog->lineMonitor.callerNumber.empty());
    ASSERT_NO_FATAL_FAILURE(WaitForReplies());
    // The call ended unanswered; its reply found no modem to take it.
    EXPECT_EQ(Column(CLogListCtrl::SmsSent), Texts {u"Failed"});
    EXPECT_TRUE(Rig().Sms().empty());
    Rig().HangUp();

    ASSERT_TRUE(Rig().StartDaemon()) << Rig().Error().toStdString();
    ASSERT_TRUE(
        WaitUntil([&] { return backends->ModemLine()->Modem() == Rig().ModemPath(); }, 15000));
    if (dialog->IsMonitoring())
        dialog->MainPage()->RouteCommand(CMainPage::IDC_START_STOP);
    ASSERT_FALSE(dialog->IsMonitoring());
    dialog->MainPage()->RouteCommand(CMainPage::IDC_START_STOP);
    ASSERT_TRUE(dialog->IsMonitoring());
    Rig().Reset();
    ASSERT_NO_FATAL_FAILURE(MissCall(kStranger));
    ASSERT_EQ(Rig().Sms().size(), 1u);
    EXPECT_EQ(Rig().Sms()[0].number, kStranger);
}
