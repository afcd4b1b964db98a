#pragma once

#include "app/MonitorDlg.h"
#include "messages/MainPage.h"
#include "messages/TemplateStore.h"
#include "platform/ActiveBackends.h"
#include "platform/contacts/AddressBook.h"
#include "platform/telephony/ModemManagerLine.h"
#include "rules/GroupStore.h"
#include "rules/ProfileStore.h"
#include "settings/SettingsRecord.h"
#include "tests/LogicTestSupport.h"
#include "tests/modem/ModemRig.h"
#include "ui/LogListCtrl.h"

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

namespace pelmora::test {

inline const std::u16string kGreeting = u"Hi [FIRSTNAME], call you later";
inline const QString kAnn = QStringLiteral("+447700900111");

// The main window as at a normal start on the ModemManager backends, over
// the program's one rig (the real ModemManager and the emulated modem), with
// a contact, Ann, in the address book.
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
        // A reply still going out would keep the modem from the next test.
        if (dialog)
            (void)WaitUntil([&] { return dialog->pipeline.sendsInFlight == 0; }, 30000);
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
        ASSERT_NO_FATAL_FAILURE(WaitForReplies());
    }
    // The window hands replies over without waiting: this waits until the
    // modem has answered for each.
    void WaitForReplies()
    {
        ASSERT_TRUE(WaitUntil([&] { return dialog->pipeline.sendsInFlight == 0; }, 30000));
    }
    std::vector<std::u16string> Column(int column) const
    {
        std::vector<std::u16string> texts;
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

} // namespace pelmora::test
