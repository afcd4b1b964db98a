#include "history/HistoryDlg.h"
#include "platform/contacts/PocketOutlook.h"
#include "platform/framework/ScreenModel.h"
#include "platform/sms/PlatformVersion.h"
#include "platform/sms/SmsBackend.h"
#include "tests/app/MonitoringWindowFixture.h"
#include "ui/LogPage.h"

#include <QMenu>
#include <QTreeView>

using namespace pelmora;

namespace {

using Texts = std::vector<std::u16string>;

class WindowStart : public test::MonitoringWindow {
protected:
    void SetUp() override
    {
        MonitoringWindow::SetUp();
        Open();
    }
    Texts Shown() const
    {
        Texts texts;
        for (const dlg::MessageBoxCall& call : boxes.Shown())
            texts.push_back(call.text + u" | " + call.title);
        return texts;
    }
    bool Running() const
    {
        return dialog->IsMonitoring()
            && main->GetDlgItemText(CMainPage::IDC_START_STOP) == u"&Stop Monitor"
            && main->IsDlgItemVisible(CMainPage::IDC_RUNNING_IMAGE)
            && !main->IsDlgItemVisible(CMainPage::IDC_STOPPED_IMAGE)
            && !main->IsDlgItemEnabled(CMainPage::IDC_MAX_TOTAL)
            && main->IsDlgItemReadOnly(CMainPage::IDC_MAX_TOTAL)
            && !main->IsDlgItemEnabled(CMainPage::IDC_HANGUP_RINGS);
    }
    bool Stopped() const
    {
        return !dialog->IsMonitoring()
            && main->GetDlgItemText(CMainPage::IDC_START_STOP) == u"&Start Monitor"
            && !main->IsDlgItemVisible(CMainPage::IDC_RUNNING_IMAGE)
            && main->IsDlgItemVisible(CMainPage::IDC_STOPPED_IMAGE)
            && main->IsDlgItemEnabled(CMainPage::IDC_MAX_TOTAL)
            && !main->IsDlgItemReadOnly(CMainPage::IDC_MAX_TOTAL)
            && main->IsDlgItemEnabled(CMainPage::IDC_HANGUP_RINGS);
    }
    test::ScriptedMessageBoxes boxes;
};

constexpr char16_t kNoProfile[]
    = u"You must select a valid profile before you can continue | Select profile";
constexpr char16_t kInvalidMax[]
    = u"Invalid \"Max allowed SMS to send\" please correct its value | Pelmora";
constexpr char16_t kNoLine[] = u"Could not initialize Phone services | Fatal error";
constexpr char16_t kNotActive[]
    = u"Pelmora is currently not active. Are you sure you want to minimize it? | Confirm Minimize";

} // namespace

TEST_F(WindowStart, StartWithoutProfileIsRefused)
{
    // The page still shows the profile, but the store no longer holds it.
    ResetProfileStore();
    Start();
    EXPECT_TRUE(Stopped());
    EXPECT_EQ(Shown(), (Texts {kNoProfile}));
    EXPECT_FALSE(dialog->contacts.IsLoggedOn());
}

TEST_F(WindowStart, InvalidMaximumKeepsFocusAndLogsContactsOff)
{
    main->SetDlgItemText(CMainPage::IDC_MAX_TOTAL, u"0");
    main->RouteCommand(CMainPage::IDC_START_STOP);
    EXPECT_TRUE(Stopped());
    EXPECT_EQ(Shown(), (Texts {kInvalidMax}));
    EXPECT_EQ(QApplication::focusWidget() == main->GetDlgItem(CMainPage::IDC_MAX_TOTAL)
            || main->GetDlgItem(CMainPage::IDC_MAX_TOTAL)->hasFocus()
            || dialog->focusWidget() == main->GetDlgItem(CMainPage::IDC_MAX_TOTAL),
        true);
    EXPECT_FALSE(dialog->contacts.IsLoggedOn());

    Start(3);
    EXPECT_TRUE(Running());
    EXPECT_TRUE(dialog->contacts.IsLoggedOn());
    EXPECT_EQ(dialog->pipeline.maxTotalAtStart, 3);
    EXPECT_EQ(boxes.Shown().size(), 1u);
}

TEST_F(WindowStart, MaximumIsReadOneWayAtStartAndSave)
{
    struct Case {
        const char16_t* text;
        int32_t value; // at Start and in the saved settings
        bool starts;
    };
    for (const Case c : {Case {u"", 0, false}, Case {u"-3", -3, false}, Case {u" 7x", 7, true},
             Case {u"+2", 2, true}, Case {u"99999999999", INT32_MAX, true}}) {
        SCOPED_TRACE(QString::fromStdU16String(c.text).toStdString());
        main->SetDlgItemText(CMainPage::IDC_MAX_TOTAL, c.text);
        main->RouteCommand(CMainPage::IDC_START_STOP);
        EXPECT_EQ(dialog->IsMonitoring(), c.starts);
        if (c.starts) {
            EXPECT_EQ(dialog->pipeline.maxTotalAtStart, c.value);
            main->RouteCommand(CMainPage::IDC_START_STOP);
        }
        dialog->CollectSettings();
        EXPECT_EQ(dialog->settings.maxTotal, c.value);
    }
}

TEST_F(WindowStart, ContactsThatCannotLogOnLeaveMonitoringStopped)
{
    poom::FailContactsCall(poom::S_OK, -1);
    Start();
    poom::FailContactsCall(poom::S_OK, poom::S_OK);
    EXPECT_TRUE(Stopped());
    EXPECT_EQ(Shown(),
        (Texts {u"Could not initialize COM objects, please contact the software vendor | Fatal "
                u"error"}));
    EXPECT_FALSE(dialog->lineMonitor.IsOpen());
    Start();
    EXPECT_TRUE(Running());
}

TEST_F(WindowStart, HomeCountryIsOfferedOnceAtAStartByHand)
{
    int asked = 0;
    dialog->SetHomeCountrySource([&asked](QObject*, auto done) {
        ++asked;
        done(HomeCountry {QStringLiteral("+44"), QStringLiteral("the network 23410")});
    });
    boxes.Answer(dlg::IDYES);
    Start();
    EXPECT_TRUE(Running());
    ASSERT_EQ(boxes.Shown().size(), 1u);
    EXPECT_EQ(boxes.Shown()[0].title, u"International prefix");
    EXPECT_TRUE(boxes.Shown()[0].text.starts_with(
        u"Your phone reports the network 23410, whose country calling code is +44."));
    EXPECT_EQ(dialog->settings.internationalPrefix.Text(), u"+44");

    // Once a run, and never over a prefix the user has.
    dialog->settings.internationalPrefix.Assign(u"");
    main->RouteCommand(CMainPage::IDC_START_STOP);
    Start();
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(boxes.Shown().size(), 1u);
}

TEST_F(WindowStart, LineThatCannotOpenLeavesMonitoringStopped)
{
    dialog->LogList()->AppendCall(u"0111", u"", u"", 1, u"No");
    dialog->LogPage()->CheckDlgButton(CLogPage::IDC_CLEAR_SESSION, 1);
    line.SetFailure(LineFunction::Open, -1);
    Start();
    EXPECT_TRUE(Stopped());
    EXPECT_EQ(Shown(), (Texts {kNoLine}));
    EXPECT_FALSE(dialog->contacts.IsLoggedOn());
    EXPECT_EQ(dialog->LogList()->RowCount(), 0) << "the cleared log stays cleared";

    line.ClearFailures();
    Start();
    EXPECT_TRUE(Running());
}

TEST_F(WindowStart, RingsWarningStillStarts)
{
    struct Case {
        int ringsBefore;
        int hangup;
        bool warns;
    };
    for (const Case c : {Case {3, 4, true}, Case {3, 5, false}, Case {0, 1, false},
             Case {2, 0, false}, Case {5, 2, true}}) {
        SCOPED_TRACE(c.ringsBefore * 10 + c.hangup);
        main->ComboSetCurSel(CMainPage::IDC_RINGS_BEFORE_SEND, c.ringsBefore);
        main->ComboSetCurSel(CMainPage::IDC_HANGUP_RINGS, c.hangup);
        const size_t before = boxes.Shown().size();
        Start();
        EXPECT_TRUE(Running());
        EXPECT_EQ(dialog->lineMonitor.hangupRings, c.hangup - 1);
        ASSERT_EQ(boxes.Shown().size(), before + (c.warns ? 1 : 0));
        if (c.warns) {
            EXPECT_EQ(boxes.Shown().back().text,
                u"Warning: The number of rings before sms send selected is greater than the "
                u"number of rings to hangup, no SMSes will be sent");
        }
        main->RouteCommand(CMainPage::IDC_START_STOP);
        EXPECT_TRUE(Stopped());
    }
}

TEST_F(WindowStart, StopResetsTheSentCounterAndStartDoesNot)
{
    Start();
    MissCall(u"0111");
    EXPECT_EQ(SentLabel(), u"1");
    main->RouteCommand(CMainPage::IDC_START_STOP);
    EXPECT_EQ(SentLabel(), u"0");
    EXPECT_EQ(dialog->pipeline.sentCount, 0);
    EXPECT_FALSE(dialog->contacts.IsLoggedOn());
    main->SetDlgItemText(CMainPage::IDC_SENT_COUNT, u"5");
    Start();
    EXPECT_EQ(SentLabel(), u"5");
}

TEST_F(WindowStart, TurningTheScreenKeepsTheMonitorsStateOnTheMainPage)
{
    dialog->show();
    Start();
    MissCall(u"0111");
    // The page is laid out again from the other template, whose captions
    // would say "Start Monitor" and a counter of nothing.
    for (int turn = 0; turn < 2; ++turn) {
        dlg::ScreenModel::Instance().Rotate();
        QApplication::processEvents();
        EXPECT_EQ(main->IsLandscapeLayout(), turn == 0);
        EXPECT_TRUE(Running());
        EXPECT_EQ(SentLabel(), u"1");
    }
    main->RouteCommand(CMainPage::IDC_START_STOP);
    dlg::ScreenModel::Instance().Rotate();
    QApplication::processEvents();
    EXPECT_TRUE(Stopped());
    EXPECT_EQ(SentLabel(), u"0");
    dlg::ScreenModel::Instance().Rotate();
}

TEST_F(WindowStart, OkHidesToTheTrayAskingOnlyWhileStopped)
{
    dialog->show();
    boxes.Answer(dlg::IDNO);
    dialog->RouteCommand(dlg::IDOK);
    EXPECT_EQ(Shown(), (Texts {kNotActive}));
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_FALSE(dialog->IsInTray());

    // The window manager's close button is the same OK.
    boxes.Answer(dlg::IDYES);
    dialog->close();
    EXPECT_EQ(boxes.Shown().size(), 2u);
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_TRUE(dialog->IsInTray());
    dialog->SendWindowMessage(WM_TRAYNOTIFY, 0, 0);
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_FALSE(dialog->IsInTray());

    Start();
    dialog->RouteCommand(dlg::IDOK);
    EXPECT_EQ(boxes.Shown().size(), 2u);
    EXPECT_TRUE(dialog->IsInTray());
    EXPECT_TRUE(dialog->IsMonitoring());
}

TEST_F(WindowStart, ExitAsksOnlyWhileMonitoring)
{
    dialog->show();
    Start();
    boxes.Answer(dlg::IDNO);
    dialog->RouteCommand(CMonitorDlg::ID_FILE_EXIT);
    ASSERT_EQ(boxes.Shown().size(), 1u);
    EXPECT_EQ(boxes.Shown()[0].title, u"Confirm Stop Monitor");
    EXPECT_TRUE(dialog->isVisible());

    dialog->LogList()->AppendCall(u"0111", u"", u"", 1, u"No");
    boxes.Answer(dlg::IDYES);
    dialog->RouteCommand(CMonitorDlg::ID_FILE_EXIT);
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_EQ(dialog->result(), dlg::IDOK);
    EXPECT_EQ(dialog->LogList()->RowCount(), 0);
}

TEST_F(WindowStart, ExitWhileStoppedEndsWithoutAQuestion)
{
    dialog->show();
    dialog->RouteCommand(CMonitorDlg::ID_FILE_EXIT);
    EXPECT_TRUE(boxes.Shown().empty());
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_EQ(dialog->result(), dlg::IDOK);
}

TEST_F(WindowStart, MenuBarSendsItsCommands)
{
    CMainMenuBar* menu = dialog->MenuBar();
    ASSERT_NE(menu, nullptr);
    QStringList titles;
    for (QAction* action : menu->actions())
        titles << action->text();
    EXPECT_EQ(titles, (QStringList {"File", "Tools", "Help"}));
    menu->CommandAction(CMonitorDlg::ID_HELP_ABOUT)->trigger();
    EXPECT_EQ(dialog->Tabs()->GetCurSel(), 4);
    menu->CommandAction(CMonitorDlg::ID_FILE_SAVE)->trigger();
    EXPECT_EQ(Shown(), (Texts {u"Settings saved... | Pelmora"}));
    EXPECT_TRUE(std::filesystem::exists(dir.Path() / kSettingsFileName));
}

TEST_F(WindowStart, ToolsHistoryShowsTheRecordedCallsAndDialsThroughTheLine)
{
    QStringList tools;
    for (QAction* action : dialog->MenuBar()->actions()[1]->menu()->actions())
        tools << action->text();
    EXPECT_EQ(tools, (QStringList {"Advanced settings", "Groups", "Schedule", "History"}));
    {
        CallHistory writer(dir.Path(), 0, 0);
        CallRecord call;
        call.number = u"0333";
        call.timeUtc = now;
        ASSERT_GT(writer.Record(call), 0);
    }
    int shown = 0;
    dlg::SetModalHandler([&](dlg::CDialog& modal) {
        auto& history = dynamic_cast<CHistoryDlg&>(modal);
        ++shown;
        EXPECT_EQ(history.Model().rowCount(), 1);
        history.View()->setCurrentIndex(history.Model().index(0, 0));
        history.RouteCommand(CHistoryDlg::ID_CALL_NUMBER);
        return dlg::IDOK;
    });
    dialog->MenuBar()->CommandAction(CMonitorDlg::ID_TOOLS_HISTORY)->trigger();
    dlg::SetModalHandler(nullptr);
    EXPECT_EQ(shown, 1);
    EXPECT_EQ(line.DialRequests(), std::vector<std::u16string> {u"0333"});
}

class AutomaticStart : public test::MonitoringWindow {
protected:
    test::ScriptedMessageBoxes boxes;
};

TEST_F(AutomaticStart, TimerOneStartsAndHidesWithoutAQuestion)
{
    Open(true);
    dialog->show();
    ASSERT_TRUE(dialog->IsTimerActive(CMonitorDlg::kAutoStartTimer));
    main->SetDlgItemInt(CMainPage::IDC_MAX_TOTAL, 5);
    dialog->FireTimerForTesting(CMonitorDlg::kAutoStartTimer);
    EXPECT_FALSE(dialog->IsTimerActive(CMonitorDlg::kAutoStartTimer));
    EXPECT_TRUE(dialog->IsMonitoring());
    EXPECT_TRUE(dialog->IsInTray());
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_TRUE(boxes.Shown().empty());
}

TEST_F(AutomaticStart, UnattendedStartOffersNoHomeCountry)
{
    Open(true);
    int asked = 0;
    dialog->SetHomeCountrySource([&asked](QObject*, auto done) {
        ++asked;
        done(HomeCountry {QStringLiteral("+44"), QStringLiteral("the network 23410")});
    });
    dialog->show();
    dialog->FireTimerForTesting(CMonitorDlg::kAutoStartTimer);
    EXPECT_TRUE(dialog->IsMonitoring());
    EXPECT_EQ(asked, 0);
    EXPECT_TRUE(boxes.Shown().empty());
    EXPECT_EQ(dialog->settings.internationalPrefix.Text(), u"");
}

TEST_F(AutomaticStart, FailedStartAsksTheMinimizeQuestion)
{
    Open(true);
    dialog->show();
    line.SetFailure(LineFunction::Open, -1);
    dialog->FireTimerForTesting(CMonitorDlg::kAutoStartTimer);
    ASSERT_EQ(boxes.Shown().size(), 2u);
    EXPECT_EQ(boxes.Shown()[0].text, u"Could not initialize Phone services");
    EXPECT_EQ(boxes.Shown()[1].title, u"Confirm Minimize");
    EXPECT_TRUE(dialog->isVisible()) << "answered No";
}

TEST_F(AutomaticStart, WithoutTheOptionNoTimerRuns)
{
    Open(false);
    EXPECT_FALSE(dialog->IsTimerActive(CMonitorDlg::kAutoStartTimer));
}

TEST(MonitorDlgTransport, FailedTransportShowsTheMessageAndWritesNoFile)
{
    test::ScratchDir dir;
    test::ScriptedMessageBoxes boxes;
    SetPlatformMajorVersion(5);
    FailSmsCall(SmsCall::LoadMessagingLibrary, -1);
    FailSmsCall(SmsCall::MAPIInitialize, -1);
    {
        CMonitorDlg dialog(dir.Path());
        ASSERT_TRUE(dialog.Create(nullptr));
        ASSERT_EQ(boxes.Shown().size(), 1u);
        EXPECT_EQ(boxes.Shown()[0].text,
            u"Could not initialize sms engine, please reinstall application or contact vendor");
        EXPECT_EQ(dialog.Tabs(), nullptr);
        EXPECT_EQ(dialog.MenuBar(), nullptr);
        dialog.show();
        // Closing such a window ends it.
        dialog.close();
        EXPECT_FALSE(dialog.isVisible());
    }
    ClearSmsFailures();
    EXPECT_TRUE(std::filesystem::is_empty(dir.Path()));
}
