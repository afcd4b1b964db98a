#include "platform/framework/ScreenModel.h"
#include "platform/sms/SmsBackend.h"
#include "rules/IncludeRulesPage.h"
#include "tests/app/MonitoringWindowFixture.h"
#include "ui/LogPage.h"

using namespace pelmora;
using test::SentMessage;

namespace {

using Texts = std::vector<std::u16string>;
using Messages = std::vector<SentMessage>;

class WindowPipeline : public test::MonitoringWindow {
protected:
    void SetUp() override
    {
        MonitoringWindow::SetUp();
        Open();
    }
    void Interactive() { main->CheckDlgButton(CMainPage::IDC_INTERACTIVE, 1); }
};

} // namespace

TEST_F(WindowPipeline, OverallLimitOfOneAnswersTheFirstCallerOnly)
{
    Start(1);
    ASSERT_TRUE(dialog->IsMonitoring());
    MissCall(u"0111");
    MissCall(u"0222");
    EXPECT_EQ(Column(CLogListCtrl::Number), (Texts {u"0111", u"0222"}));
    EXPECT_EQ(Column(CLogListCtrl::SmsSent), (Texts {u"Yes", u"No"}));
    EXPECT_EQ(outbox.Messages(), (Messages {{u"0111", u"Hi Friend, call you later"}}));
    EXPECT_EQ(SentLabel(), u"1");
}

TEST_F(WindowPipeline, InteractiveQuestionIsAnsweredThroughTheBubble)
{
    book.Add([] {
        ContactCard card;
        card.oid = 7;
        card.firstName = u"<b>Ann</b> & co";
        card.phones[Mobile] = u"0333";
        return card;
    }());
    Interactive();
    Start(1);
    MissCall(u"0333<input type=button name='cmd:32778' value='X'>");
    MissCall(u"0333");
    EXPECT_EQ(Column(CLogListCtrl::SmsSent), (Texts {u"Interactive", u"Interactive"}));
    EXPECT_TRUE(dialog->Session().IsTimerActive(2));
    QWidget* bubble = Bubble();
    ASSERT_NE(bubble, nullptr);
    // The name's markup shows as text; the caller's own button never appears.
    EXPECT_TRUE(BubbleText(bubble).contains(QStringLiteral("&lt;b&gt;Ann")));
    EXPECT_EQ(bubble->findChildren<QPushButton*>().size(), 2);
    QPushButton* yes = BubbleButton(bubble, QStringLiteral("Yes"));
    ASSERT_NE(yes, nullptr);
    yes->click();
    QApplication::processEvents();
    // Only the second question was open: the newer bubble replaced the first.
    EXPECT_EQ(outbox.Messages(), (Messages {{u"0333", u"Hi <b>Ann</b> & co, call you later"}}));
    EXPECT_EQ(SentLabel(), u"1");
    EXPECT_EQ(Bubble(), nullptr);

    // The limit is reached: the next call is not asked about, and a Yes
    // without a question sends nothing.
    MissCall(u"0444");
    EXPECT_EQ(Column(CLogListCtrl::SmsSent).back(), u"No");
    dialog->RouteCommand(CMonitorDlg::ID_ANSWER_YES);
    EXPECT_EQ(outbox.Messages().size(), 1u);
}

TEST_F(WindowPipeline, QuestionExpiresAfterFourMinutesAndNoCloses)
{
    Interactive();
    Start();
    MissCall(u"0555");
    ASSERT_NE(Bubble(), nullptr);
    dialog->Session().FireTimerForTesting(2);
    EXPECT_FALSE(dialog->Session().IsTimerActive(2));
    EXPECT_EQ(Bubble(), nullptr);
    dialog->RouteCommand(CMonitorDlg::ID_ANSWER_YES);
    EXPECT_TRUE(outbox.Messages().empty());

    MissCall(u"0666");
    dialog->RouteCommand(CMonitorDlg::ID_ANSWER_NO);
    EXPECT_EQ(Bubble(), nullptr);
    dialog->RouteCommand(CMonitorDlg::ID_ANSWER_YES);
    EXPECT_TRUE(outbox.Messages().empty());
}

TEST_F(WindowPipeline, YesAfterStopMonitorStillSends)
{
    Interactive();
    Start();
    MissCall(u"0777");
    main->RouteCommand(CMainPage::IDC_START_STOP);
    ASSERT_FALSE(dialog->IsMonitoring());
    EXPECT_EQ(SentLabel(), u"0");
    dialog->RouteCommand(CMonitorDlg::ID_ANSWER_YES);
    EXPECT_EQ(outbox.Messages(), (Messages {{u"0777", u"Hi Friend, call you later"}}));
    EXPECT_EQ(SentLabel(), u"1");
}

TEST_F(WindowPipeline, PerCallerLimitCountsOnlyYesRows)
{
    CLogListCtrl* list = dialog->LogList();
    list->AppendCall(u"0888", u"", u"", 1, u"Interactive");
    list->AppendCall(u"0888", u"", u"", 1, u"No");
    list->AppendCall(u"0888", u"", u"", 1, u"Yes");
    dialog->LogPage()->CheckDlgButton(CLogPage::IDC_CLEAR_SESSION, 0);
    main->ComboSetCurSel(CMainPage::IDC_MAX_PER_CALLER, 1); // two per caller
    Start();
    MissCall(u"0888");
    MissCall(u"0888");
    EXPECT_EQ(
        Column(CLogListCtrl::SmsSent), (Texts {u"Interactive", u"No", u"Yes", u"Yes", u"No"}));
    EXPECT_EQ(outbox.Messages().size(), 1u);
}

TEST_F(WindowPipeline, MinimumRingsAreReadLiveFromTheMainPage)
{
    main->ComboSetCurSel(CMainPage::IDC_RINGS_BEFORE_SEND, 3);
    Start();
    MissCall(u"0101", 2);
    MissCall(u"0202", 3);
    // Changed while monitoring: applies to the next call.
    main->ComboSetCurSel(CMainPage::IDC_RINGS_BEFORE_SEND, 0);
    MissCall(u"0303", 1);
    EXPECT_EQ(Column(CLogListCtrl::SmsSent), (Texts {u"No", u"Yes", u"Yes"}));
    EXPECT_EQ(Column(CLogListCtrl::Rings), (Texts {u"2", u"3", u"1"}));
}

TEST_F(WindowPipeline, PrefixRulesOfTheRulesPagesApply)
{
    auto* exclude = dialog->ExcludePage();
    exclude->CheckDlgButton(CExcludeRulesPage::IDC_STARTING_WITH, 1);
    exclude->SetDlgItemText(CExcludeRulesPage::IDC_PREFIXES, u"090");
    exclude->RefreshExcludeState();
    Start();
    MissCall(u"0900123");
    MissCall(u"0800123");
    EXPECT_EQ(Column(CLogListCtrl::SmsSent), (Texts {u"No", u"Yes"}));
}

TEST_F(WindowPipeline, IncludeRuleOfTheRulesPagesIsReadAtEachCall)
{
    auto* include = dialog->IncludePage();
    include->CheckDlgButton(CIncludeRulesPage::IDC_ALL_NUMBERS, 0);
    include->CheckDlgButton(CIncludeRulesPage::IDC_ONLY_STARTING_WITH, 1);
    include->RouteCommand(CIncludeRulesPage::IDC_ONLY_STARTING_WITH);
    include->SetDlgItemText(CIncludeRulesPage::IDC_PREFIXES, u"07");
    Start();
    MissCall(u"0800111");
    MissCall(u"0712345");
    include->SetDlgItemText(CIncludeRulesPage::IDC_PREFIXES, u"08");
    MissCall(u"0800222");
    EXPECT_EQ(Column(CLogListCtrl::SmsSent), (Texts {u"No", u"Yes", u"Yes"}));
}

TEST_F(WindowPipeline, YesThatCannotBeSentIsShownAndLoggedFailed)
{
    test::ScriptedMessageBoxes boxes;
    Interactive();
    Start();
    MissCall(u"0909");
    FailSmsCall(SmsCall::SmsOpen, 5);
    dialog->RouteCommand(CMonitorDlg::ID_ANSWER_YES);
    ClearSmsFailures();
    ASSERT_EQ(boxes.Shown().size(), 1u);
    EXPECT_EQ(boxes.Shown()[0].text, u"The SMS to 0909 could not be sent.");
    EXPECT_EQ(Column(CLogListCtrl::SmsSent), (Texts {u"Failed"}));
    EXPECT_EQ(SentLabel(), u"0");
}

TEST_F(WindowPipeline, TextExpandingToNothingIsStillSent)
{
    dialog->settings.replacement[1].Assign(u"");
    greeting->text.Assign(u"[FIRSTNAME]");
    Start();
    MissCall(u"0404");
    EXPECT_EQ(Column(CLogListCtrl::SmsSent), (Texts {u"Yes"}));
    EXPECT_EQ(outbox.Messages(), (Messages {{u"0404", u""}}));
}

TEST_F(WindowPipeline, CallerFoundOnlyByTheScanGetsTheContactsEntry)
{
    ContactCard card;
    card.oid = 42;
    card.firstName = u"Bo";
    card.phones[Mobile] = u"(020) 7946-0000";
    book.Add(card);
    TemplateRecord* personal = AppendTemplate(u"Personal", u"Dear [FIRSTNAME]");
    AddContactEntry(*activeProfile, 42, personal->id);
    Start();
    MissCall(u"02079460000");
    EXPECT_EQ(Column(CLogListCtrl::Caller), (Texts {u"Bo "}));
    EXPECT_EQ(outbox.Messages(), (Messages {{u"02079460000", u"Dear Bo"}}));
}

TEST_F(WindowPipeline, TheFoldedQuestionOpensFromTheBarOrTheTrayUntilItsTimeOut)
{
    SimulatedClock clock(0);
    test::ClockInstalled installed(clock);
    dialog->show();
    Interactive();
    Start();
    MissCall(u"0555");
    QPushButton* bar = dialog->QuestionIndicator();
    ASSERT_NE(bar, nullptr);
    enum class Tap { None, Bar, Tray };
    struct Step {
        int64_t advanceMs;
        Tap tap;
        bool bubble; // the bubble is on screen
        bool folded; // the bar and the tray icon's mark offer it
    };
    const Step steps[] = {
        {89'999, Tap::None, true, false}, {1, Tap::None, false, true}, {0, Tap::Bar, true, false},
        {90'000, Tap::None, false, true}, // 3 minutes
        {0, Tap::Tray, true, false}, {59'999, Tap::None, true, false}, // 3 min 59.999 s
        {1, Tap::None, false, false}, // the question's time-out takes it all away
    };
    int64_t at = 0;
    for (const Step& step : steps) {
        at += step.advanceMs;
        SCOPED_TRACE(at);
        clock.Advance(step.advanceMs);
        if (step.tap == Tap::Bar) {
            ASSERT_TRUE(bar->isVisible());
            bar->click();
            // The bar goes with the tap; the bubble keeps off the tab row.
            ASSERT_NE(Bubble(), nullptr);
            const QTabBar* tabs = dialog->Tabs()->Bar();
            EXPECT_LT(Bubble()->geometry().bottom(), tabs->mapToGlobal(QPoint(0, 0)).y());
        } else if (step.tap == Tap::Tray) {
            dialog->OnOK();
            ASSERT_TRUE(dialog->IsInTray());
            EXPECT_FALSE(bar->isVisible());
            dialog->SendWindowMessage(WM_TRAYNOTIFY, 0, 0);
            EXPECT_TRUE(dialog->isVisible());
        }
        EXPECT_EQ(Bubble() != nullptr, step.bubble);
        EXPECT_EQ(!bar->isHidden(), step.folded);
        EXPECT_EQ(dialog->trayIcon.Waiting(), step.folded ? u"New missed call" : u"");
    }
    dialog->RouteCommand(CMonitorDlg::ID_ANSWER_YES);
    EXPECT_TRUE(outbox.Messages().empty());
}

TEST_F(WindowPipeline, TheBubbleLeavesTheMenuAndTheStartButtonFree)
{
    struct Upright {
        ~Upright()
        {
            if (dlg::IsLandscape())
                dlg::ScreenModel::Instance().Rotate();
        }
    } upright;
    dialog->show();
    Interactive();
    Start();
    for (const bool landscape : {false, true}) {
        SCOPED_TRACE(landscape);
        if (dlg::IsLandscape() != landscape)
            dlg::ScreenModel::Instance().Rotate();
        QApplication::processEvents();
        // Asked upright; turned, the same bubble moves with the page.
        if (!landscape)
            MissCall(u"0555");
        QWidget* bubble = Bubble();
        ASSERT_NE(bubble, nullptr);
        const auto global = [](QWidget* widget) {
            return QRect(widget->mapToGlobal(QPoint(0, 0)), widget->size());
        };
        EXPECT_FALSE(bubble->geometry().intersects(global(dialog->MenuBar())));
        EXPECT_FALSE(
            bubble->geometry().intersects(global(main->GetDlgItem(CMainPage::IDC_START_STOP))));
        EXPECT_TRUE(global(dialog.get()).contains(bubble->geometry()));
        EXPECT_GT(bubble->height(), global(dialog.get()).height() / 3);
    }
}

namespace {

class WindowHistory : public test::MonitoringWindow { };

} // namespace

TEST_F(WindowHistory, ADamagedHistoryIsShownOnceKeptAsideAndRepliesGoOn)
{
    const std::vector<uint8_t> junk(4096, 'x');
    test::WriteAll(dir.Path() / kHistoryFileName, junk);
    Open();
    // Among the bubbles on screen (an earlier test's may not be gone yet).
    QApplication::processEvents();
    QStringList told;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->objectName() == QStringLiteral("NotificationBubble") && w->isVisible()
            && BubbleText(w).contains(QStringLiteral("it is kept as history.sqlite.damaged-")))
            told << BubbleText(w);
    EXPECT_EQ(told.size(), 1) << told.join(QLatin1Char('|')).toStdString();

    Start();
    MissCall(u"0111");
    EXPECT_EQ(Column(CLogListCtrl::SmsSent), (Texts {u"Yes"}));
    EXPECT_EQ(outbox.Messages().size(), 1u);
    std::vector<std::filesystem::path> aside;
    for (const auto& entry : std::filesystem::directory_iterator(dir.Path()))
        if (entry.path().filename().string().starts_with("history.sqlite.damaged-"))
            aside.push_back(entry.path());
    ASSERT_EQ(aside.size(), 1u);
    EXPECT_EQ(test::ReadAll(aside[0]), junk);
    CallHistory history(dir.Path(), now, 0, nullptr, CallHistory::Access::ReadOnly);
    const std::vector<CallRecord> rows = history.Read();
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].fate, ReplyFate::Sent);
    EXPECT_EQ(rows[0].text, u"Hi Friend, call you later");
}
