// The main window over the ModemManager backends, against the real
// ModemManager driving an emulated modem (modem-rig): what reaches the modem,
// AT command by AT command, for each kind of call.

#include "app/MonitorDlg.h"
#include "messages/MainPage.h"
#include "messages/TemplateStore.h"
#include "monitor/SettingsRecord.h"
#include "platform/ActiveBackends.h"
#include "platform/contacts/AddressBook.h"
#include "platform/telephony/ModemManagerLine.h"
#include "rules/GroupStore.h"
#include "rules/ProfileStore.h"
#include "tests/LogicTestSupport.h"
#include "tests/modem/ModemRig.h"
#include "ui/LogListCtrl.h"
#include "ui/LogPage.h"

#include <ModemManager.h>

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QDBusVariant>
#include <QTest>

#include <gtest/gtest.h>
#include <memory>

using namespace pelmora;
using namespace pelmora::test;

namespace {

const std::u16string kGreeting = u"Hi [FIRSTNAME], call you later";
const QString kAnn = QStringLiteral("+447700900111");
const QString kStranger = QStringLiteral("+447700900999");

using Texts = std::vector<std::u16string>;

class RealModem : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_FALSE(Rig().ModemPath().isEmpty()) << Rig().Error().toStdString();
        Rig().Reset();
        ResetTemplateStore();
        ResetGroupStore();
        ResetProfileStore();
        ContactCard ann;
        ann.oid = 1;
        ann.firstName = u"Ann";
        ann.phones[Mobile] = kAnn.toStdU16String();
        book.Add(ann);
        SetAddressBook(&book);
    }
    void TearDown() override
    {
        // What the modem saw tells most about a failure.
        if (HasFailure()) {
            std::fprintf(stderr, "AT traffic:\n%s\nlog rows: %s\n",
                qPrintable(Rig().Traffic().join(QLatin1Char('\n'))),
                dialog ? qPrintable(QString::fromStdU16String(dialog->LogList()->RowCount() > 0
                        ? dialog->LogList()->RowText(0, CLogListCtrl::SmsSent)
                        : u"none"))
                       : "none");
        }
        dialog.reset();
        backends.reset();
        SetAddressBook(nullptr);
        ResetTemplateStore();
        ResetGroupStore();
        ResetProfileStore();
        // The next test starts on a quiet modem: a call ModemManager still
        // follows would take the next call's place in the modem's list.
        Rig().HangUp();
        EXPECT_TRUE(WaitUntil([] { return CallsInProgress() == 0; }, 10000));
    }
    // The window as at a normal start on the modem, its active profile
    // answering every caller with `text`, rings counted every 0.2 seconds.
    void Open(const std::u16string& text = kGreeting)
    {
        const int32_t id = AppendTemplate(u"Reply", text)->id;
        SettingsRecord settings;
        LoadSettings(dir.Path(), settings);
        settings.activeProfileId = AddProfile(u"Default", id)->id;
        settings.excludeInternational = 0; // the network gives numbers with "+"
        ASSERT_TRUE(SaveTemplates(dir.Path()) && SaveProfiles(dir.Path())
            && SaveSettings(dir.Path(), settings));
        ResetTemplateStore();
        ResetProfileStore();
        QString error;
        backends = ActiveBackends::Choose(
            {QStringLiteral("modemmanager"), QStringLiteral("0.2"), dir.Path()}, &error);
        ASSERT_TRUE(backends) << error.toStdString();
        dialog = std::make_unique<CMonitorDlg>(dir.Path());
        ASSERT_TRUE(dialog->Create(nullptr));
    }
    void Monitor(
        const std::u16string& text = kGreeting, int hangupIndex = 0, bool interactive = false)
    {
        ASSERT_NO_FATAL_FAILURE(Open(text));
        CMainPage* main = dialog->MainPage();
        main->ComboSetCurSel(CMainPage::IDC_HANGUP_RINGS, hangupIndex);
        main->CheckDlgButton(CMainPage::IDC_INTERACTIVE, interactive ? 1 : 0);
        main->RouteCommand(CMainPage::IDC_START_STOP);
        ASSERT_TRUE(dialog->IsMonitoring());
    }
    // A call that rings until the caller gives up; returns when the window
    // has dealt with it.
    void MissCall(const std::optional<QString>& number)
    {
        Rig().Ring(number);
        ASSERT_TRUE(WaitUntil([&] { return dialog->lineMonitor.ringCount >= 1; }, 10000));
        Rig().HangUp();
        ASSERT_TRUE(WaitUntil([&] { return dialog->lineMonitor.ringCount == -1; }, 10000));
    }
    Texts Column(int column) const
    {
        Texts texts;
        CLogListCtrl* list = dialog->LogList();
        for (int row = 0; row < list->RowCount(); ++row)
            texts.push_back(list->RowText(row, column));
        return texts;
    }
    // Where the first line starting with `prefix` is in the AT traffic, -1
    // if nowhere; `direction` '>' for commands, '<' for the modem's lines.
    static int TrafficIndex(const QStringList& traffic, char direction, const QString& prefix)
    {
        const QString wanted = QString(QLatin1Char(direction)) + QLatin1Char(' ') + prefix;
        for (int i = 0; i < traffic.size(); ++i)
            if (traffic[i].section(QLatin1Char(' '), 1).startsWith(wanted))
                return i;
        return -1;
    }
    // A call's state as ModemManager has it; -1 when it cannot be read.
    static int CallState(const QString& call)
    {
        QDBusMessage get = QDBusMessage::createMethodCall(QStringLiteral(MM_DBUS_SERVICE), call,
            QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"));
        get.setArguments({QStringLiteral(MM_DBUS_INTERFACE_CALL), QStringLiteral("State")});
        const QDBusMessage reply = QDBusConnection::systemBus().call(get);
        if (reply.type() != QDBusMessage::ReplyMessage)
            return -1;
        return qdbus_cast<QDBusVariant>(reply.arguments().value(0)).variant().toInt();
    }
    // ModemManager's calls, the terminated ones deleted as the phone's
    // dialer does; how many are left.
    static int CallsInProgress()
    {
        QDBusConnection bus = QDBusConnection::systemBus();
        int left = 0;
        for (const QString& call : Calls()) {
            if (CallState(call) != MM_CALL_STATE_TERMINATED) {
                ++left;
                continue;
            }
            QDBusMessage remove
                = QDBusMessage::createMethodCall(QStringLiteral(MM_DBUS_SERVICE), Rig().ModemPath(),
                    QStringLiteral(MM_DBUS_INTERFACE_MODEM_VOICE), QStringLiteral("DeleteCall"));
            remove.setArguments({QVariant::fromValue(QDBusObjectPath(call))});
            bus.call(remove);
        }
        return left;
    }
    static QStringList Calls()
    {
        const QDBusMessage list = QDBusConnection::systemBus().call(
            QDBusMessage::createMethodCall(QStringLiteral(MM_DBUS_SERVICE), Rig().ModemPath(),
                QStringLiteral(MM_DBUS_INTERFACE_MODEM_VOICE), QStringLiteral("ListCalls")));
        QStringList paths;
        for (const QDBusObjectPath& call :
            qdbus_cast<QList<QDBusObjectPath>>(list.arguments().value(0)))
            paths.append(call.path());
        return paths;
    }
    // The phone's dialer accepting the ringing call, over ModemManager; the
    // call's path, empty if none was accepted.
    static QString AcceptRingingCall()
    {
        for (const QString& call : Calls()) {
            if (CallState(call) != MM_CALL_STATE_RINGING_IN)
                continue;
            const QDBusMessage accept = QDBusConnection::systemBus().call(
                QDBusMessage::createMethodCall(QStringLiteral(MM_DBUS_SERVICE), call,
                    QStringLiteral(MM_DBUS_INTERFACE_CALL), QStringLiteral("Accept")));
            return accept.type() == QDBusMessage::ReplyMessage ? call : QString();
        }
        return {};
    }

    ScratchDir dir;
    SimulatedAddressBook book;
    std::unique_ptr<ActiveBackends> backends;
    std::unique_ptr<CMonitorDlg> dialog;
};

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
    ASSERT_NO_FATAL_FAILURE(Monitor(kGreeting, 4));
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
    EXPECT_EQ(Column(CLogListCtrl::Rings), Texts {u"3"});
}

TEST_F(RealModem, InteractiveReplyIsSentOnlyAfterTheYes)
{
    ASSERT_NO_FATAL_FAILURE(Monitor(kGreeting, 0, true));
    ASSERT_NO_FATAL_FAILURE(MissCall(kAnn));
    ASSERT_TRUE(dialog->IsTimerActive(2));
    QTest::qWait(500);
    const QStringList before = Rig().Traffic();
    EXPECT_EQ(TrafficIndex(before, '>', QStringLiteral("AT+CMGS=")), -1);

    dialog->RouteCommand(CMonitorDlg::ID_ANSWER_YES);
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
    ContactCard long_name;
    long_name.oid = 2;
    long_name.firstName = u"Maximiliana-Josephine";
    long_name.phones[Mobile] = kAnn.toStdU16String();
    book.Add(long_name);
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

// Last: the daemon it leaves behind is a new one.
TEST_F(RealModem, DaemonStoppedDuringARingingCallThenStartedAgain)
{
    ASSERT_NO_FATAL_FAILURE(Monitor());
    Rig().Ring(kAnn);
    ASSERT_TRUE(WaitUntil([&] { return dialog->lineMonitor.ringCount >= 1; }, 10000));
    ASSERT_TRUE(Rig().StopDaemon());
    ASSERT_TRUE(WaitUntil([&] { return dialog->lineMonitor.ringCount == -1; }, 10000));
    EXPECT_TRUE(dialog->lineMonitor.callerNumber.empty());
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
