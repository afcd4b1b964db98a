#include "schedule/ScheduleDlg.h"
#include "platform/framework/ScreenModel.h"
#include "platform/shell/WallClockAlarm.h"
#include "tests/app/MonitoringWindowFixture.h"
#include "tests/rules/GroupDialogsFixture.h"

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QLineEdit>
#include <QListWidget>
#include <QTimer>

using namespace pelmora;
using namespace pelmora::test;

namespace {

class ScheduleDialogs : public MonitoringWindow {
protected:
    // Fills the window editor as a user would and presses OK.
    static ModalScript::Step Editor(uint8_t days, const char16_t* start, const char16_t* end)
    {
        return [=](dlg::CDialog& editor) {
            Shoot(editor, QStringLiteral("schedule-window"));
            for (int day = 0; day < 7; ++day)
                editor.CheckDlgButton(CScheduleWindowDlg::IDC_FIRST_DAY + day, (days >> day) & 1);
            editor.SetDlgItemText(CScheduleWindowDlg::IDC_START, start);
            editor.SetDlgItemText(CScheduleWindowDlg::IDC_END, end);
            editor.ComboSetCurSel(CScheduleWindowDlg::IDC_ACTION, 1);
            editor.RouteCommand(dlg::IDOK);
            if (editor.result() == 0)
                editor.EndDialog(dlg::IDCANCEL);
        };
    }
    static void Shoot(dlg::CDialog& shown, const QString& name)
    {
        if (const QByteArray dir = qgetenv("PELMORA_SCREENSHOT_DIR"); !dir.isEmpty())
            shown.grab().save(QDir(QString::fromUtf8(dir))
                                  .filePath(name
                                      + (dlg::IsLandscape() ? QStringLiteral("-landscape.png")
                                                            : QStringLiteral("-portrait.png"))));
    }

    ScriptedMessageBoxes boxes;
};

} // namespace

TEST_F(ScheduleDialogs, WrongWindowsAreRefusedAndKeptOpen)
{
    Open();
    struct Case {
        uint8_t days;
        const char16_t* start;
        const char16_t* end;
        const char16_t* message;
    };
    const Case cases[] = {
        {0, u"23:00", u"07:00", u"Choose at least one day."},
        {1, u"25:00", u"07:00", u"Write the times as 7:30 or 19:30, from 0:00 to 23:59."},
        {1, u"23:00", u"7:3", u"Write the times as 7:30 or 19:30, from 0:00 to 23:59."},
        {1, u"7", u"07:00",
            u"The window starts and ends at the same time. Change one of the times, or choose "
            u"All day for the whole day."},
    };
    for (const Case& c : cases) {
        ModalScript script;
        script.Then([](dlg::CDialog& shown) {
            shown.RouteCommand(CScheduleDlg::IDC_ADD);
            EXPECT_TRUE(static_cast<CScheduleDlg&>(shown).Edited().empty());
            shown.RouteCommand(dlg::IDOK);
        });
        script.Then(Editor(c.days, c.start, c.end));
        dialog->RouteCommand(CMonitorDlg::ID_TOOLS_SCHEDULE);
        ASSERT_FALSE(boxes.Shown().empty());
        EXPECT_EQ(boxes.Shown().back().text, c.message);
    }
    EXPECT_FALSE(std::filesystem::exists(dir.Path() / kOwnSettingsFileName));
}

// Times as a finger types them, a whole day, and the arrows that follow
// the row tapped.
TEST_F(ScheduleDialogs, TypedTimesAllDayAndTheTappedRow)
{
    Open();
    ModalScript script;
    script.Then([](dlg::CDialog& shown) {
        shown.RouteCommand(CScheduleDlg::IDC_ADD);
        shown.RouteCommand(CScheduleDlg::IDC_ADD);
        auto* list = shown.Control<QListWidget>(CScheduleDlg::IDC_WINDOWS);
        list->setCurrentRow(0);
        EXPECT_FALSE(shown.IsDlgItemEnabled(CScheduleDlg::IDC_UP));
        EXPECT_TRUE(shown.IsDlgItemEnabled(CScheduleDlg::IDC_DOWN));
        list->setCurrentRow(1);
        EXPECT_TRUE(shown.IsDlgItemEnabled(CScheduleDlg::IDC_UP));
        EXPECT_FALSE(shown.IsDlgItemEnabled(CScheduleDlg::IDC_DOWN));
        shown.RouteCommand(CScheduleDlg::IDC_UP);
        EXPECT_EQ(list->currentRow(), 0);
        shown.RouteCommand(dlg::IDOK);
    });
    script.Then(Editor(0x1f, u" 7:30", u"9"));
    script.Then([](dlg::CDialog& editor) {
        editor.CheckDlgButton(CScheduleWindowDlg::IDC_ALL_DAY, 1);
        editor.RouteCommand(CScheduleWindowDlg::IDC_ALL_DAY);
        EXPECT_FALSE(editor.IsDlgItemEnabled(CScheduleWindowDlg::IDC_START));
        editor.CheckDlgButton(CScheduleWindowDlg::IDC_FIRST_DAY + 6, 1);
        editor.RouteCommand(dlg::IDOK);
    });
    dialog->RouteCommand(CMonitorDlg::ID_TOOLS_SCHEDULE);
    EXPECT_EQ(script.Pending(), 0u);
    EXPECT_TRUE(boxes.Shown().empty());
    // The all-day window (weekdays and Sunday) was moved first.
    const WeeklySchedule expected {{0x5f, 0, 0, true, activeProfile->id},
        {0x1f, 7 * 60 + 30, 9 * 60, true, activeProfile->id}};
    EXPECT_EQ(dialog->Session().Schedule(), expected);
}

// The clock button of a time edit opens the picker; its choice is written
// back, a cancel leaves the typed text.
TEST_F(ScheduleDialogs, ThePickerSetsATimeByTouch)
{
    Open();
    ScheduleWindow window {0x1f, 22 * 60, 7 * 60, true, activeProfile->id};
    CScheduleWindowDlg editor(window, nullptr);
    dlg::SetModalHandler([](dlg::CDialog& shown) {
        auto* start = shown.Control<QLineEdit>(CScheduleWindowDlg::IDC_START);
        auto* pick = start->findChild<QAction*>(QStringLiteral("PickTime"));
        EXPECT_NE(pick, nullptr);
        if (!pick)
            return dlg::IDCANCEL;
        for (const bool accept : {true, false}) {
            QTimer::singleShot(0, [accept] {
                QWidget* picker = QApplication::activeModalWidget();
                ASSERT_NE(picker, nullptr);
                // 22:00 is chosen at first; a finger takes 07 and 35.
                auto* hours = picker->findChild<QListWidget*>(QStringLiteral("Hour"));
                auto* minutes = picker->findChild<QListWidget*>(QStringLiteral("Minute"));
                EXPECT_EQ(hours->currentItem()->text(), QString::fromLatin1(accept ? "22" : "07"));
                hours->setCurrentRow(accept ? 7 : 9);
                minutes->setCurrentRow(7);
                auto* dialog = static_cast<QDialog*>(picker);
                accept ? dialog->accept() : dialog->reject();
            });
            pick->trigger();
            EXPECT_EQ(start->text(), QStringLiteral("07:35"));
        }
        return dlg::IDOK;
    });
    editor.DoModal();
    dlg::SetModalHandler(nullptr);
}

TEST_F(ScheduleDialogs, AHundredAndFirstWindowIsRefused)
{
    Open();
    ASSERT_TRUE(dialog->Session()
                    .ChangeSchedule(WeeklySchedule(kMaxScheduleWindows, {0x1f, 60, 120, false, 0}))
                    .isEmpty());
    ModalScript script;
    script.Then([](dlg::CDialog& shown) {
        shown.RouteCommand(CScheduleDlg::IDC_ADD);
        EXPECT_EQ(static_cast<CScheduleDlg&>(shown).Edited().size(), kMaxScheduleWindows);
        shown.RouteCommand(dlg::IDCANCEL);
    });
    dialog->RouteCommand(CMonitorDlg::ID_TOOLS_SCHEDULE);
    ASSERT_FALSE(boxes.Shown().empty());
    EXPECT_EQ(boxes.Shown().back().text,
        u"A schedule holds at most 100 windows. Delete or change one instead.");
}

TEST_F(ScheduleDialogs, DoneSavesAppliesAndTheMainPageTellsTheNextChange)
{
    Open();
    EXPECT_FALSE(main->IsDlgItemVisible(CMainPage::IDC_SCHEDULE_NOTE));
    for (const bool landscape : {false, true}) {
        if (landscape != dlg::IsLandscape())
            dlg::ScreenModel::Instance().Rotate();
        ModalScript script;
        script.Then([](dlg::CDialog& shown) {
            shown.RouteCommand(CScheduleDlg::IDC_ADD);
            shown.RouteCommand(CScheduleDlg::IDC_ADD);
            // The second window goes first, then the first is deleted.
            shown.RouteCommand(CScheduleDlg::IDC_UP);
            Shoot(shown, QStringLiteral("schedule"));
            shown.RouteCommand(CScheduleDlg::IDC_DOWN);
            shown.RouteCommand(CScheduleDlg::IDC_DELETE);
            shown.RouteCommand(dlg::IDOK);
        });
        script.Then(Editor(0x7f, u"23:00", u"07:00"));
        script.Then(Editor(0x60, u"10:00", u"12:00"));
        boxes.Answer(dlg::IDYES);
        dialog->RouteCommand(CMonitorDlg::ID_TOOLS_SCHEDULE);
        EXPECT_EQ(script.Pending(), 0u);
        EXPECT_EQ(
            main->GetDlgItemText(CMainPage::IDC_SCHEDULE_NOTE), u"Schedule: Default from 23:00");
        EXPECT_TRUE(main->IsDlgItemVisible(CMainPage::IDC_SCHEDULE_NOTE));
    }
    if (dlg::IsLandscape())
        dlg::ScreenModel::Instance().Rotate();
    OwnSettings saved;
    QString error;
    ASSERT_TRUE(LoadOwnSettings(dir.Path(), saved, error));
    // Each round added the night and a weekend window and deleted the latter.
    const ScheduleWindow night {0x7f, 23 * 60, 7 * 60, true, activeProfile->id};
    EXPECT_EQ(saved.schedule, (WeeklySchedule {night, night}));
    EXPECT_EQ(dialog->Session().Schedule(), saved.schedule);
}

TEST(WallClockAlarm, WakesAtItsMomentAndRearmingReplacesIt)
{
    WallClockAlarm alarm;
    int due = 0;
    QObject::connect(&alarm, &WallClockAlarm::Due, [&] { ++due; });
    alarm.ArmAt(QDateTime::currentDateTimeUtc().addSecs(3600));
    alarm.ArmAt(QDateTime::currentDateTimeUtc().addMSecs(50));
    ASSERT_TRUE(WaitUntil([&] { return due == 1; }, 3000));
    alarm.ArmAt(std::nullopt);
    QTest::qWait(100);
    EXPECT_EQ(due, 1);
}

// "While my calendar says busy" lists the profiles; a choice is saved with
// Done, and shown again the next time.
TEST_F(ScheduleDialogs, TheCalendarsChoiceIsSavedWithDone)
{
    Open();
    for (const int choice : {1, 0}) {
        ModalScript script;
        script.Then([choice, this](dlg::CDialog& shown) {
            const int previous = choice == 1 ? 0 : 1;
            EXPECT_EQ(shown.ComboGetCurSel(CScheduleDlg::IDC_CALENDAR), previous);
            EXPECT_EQ(shown.ComboGetItemText(CScheduleDlg::IDC_CALENDAR, 0), u"Nothing changes");
            EXPECT_EQ(shown.ComboGetItemText(CScheduleDlg::IDC_CALENDAR, 1),
                u"Monitoring on with " + std::u16string(activeProfile->name.Text()));
            shown.ComboSetCurSel(CScheduleDlg::IDC_CALENDAR, choice);
            shown.RouteCommand(dlg::IDOK);
        });
        dialog->RouteCommand(CMonitorDlg::ID_TOOLS_SCHEDULE);
        EXPECT_EQ(script.Pending(), 0u);
        const int32_t expected = choice == 1 ? activeProfile->id : 0;
        EXPECT_EQ(dialog->Session().Options().calendarBusyProfileId, expected);
        OwnSettings saved;
        QString error;
        ASSERT_TRUE(LoadOwnSettings(dir.Path(), saved, error));
        EXPECT_EQ(saved.calendarBusyProfileId, expected);
    }
}
