#include "app/MonitorDlg.h"
#include "messages/MainPage.h"
#include "messages/TemplateStore.h"
#include "platform/framework/ComboBox.h"
#include "rules/ExcludeRulesPage.h"
#include "rules/GroupStore.h"
#include "rules/IncludeRulesPage.h"
#include "rules/ProfilePage.h"
#include "rules/ProfileStore.h"
#include "settings/SettingsRecord.h"
#include "tests/TestSupport.h"
#include "ui/LogPage.h"

#include <QApplication>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>

using namespace pelmora;

namespace {

int FindItem(const dlg::CDialog* page, int id, std::u16string_view text)
{
    for (int i = 0; i < page->ComboGetCount(id); ++i)
        if (page->ComboGetItemText(id, i) == text)
            return i;
    return -1;
}

std::u16string Shown(const dlg::CDialog* page, int id)
{
    const int selection = page->ComboGetCurSel(id);
    return selection < 0 ? u"" : page->ComboGetItemText(id, selection);
}

void Click(dlg::CDialog* page, int id)
{
    QTest::mouseClick(page->GetDlgItem(id), Qt::LeftButton);
}

class MonitorDlgRestart : public ::testing::Test {
protected:
    void SetUp() override
    {
        // Two templates and two profiles on disk, the first profile active.
        ResetGroupStore();
        ResetTemplateStore();
        ResetProfileStore();
        const int32_t greeting = AppendTemplate(u"Greeting", u"Hi [FIRSTNAME]")->id;
        AppendTemplate(u"Back soon", u"Back in an hour");
        SettingsRecord settings;
        LoadSettings(dir.Path(), settings);
        settings.activeProfileId = AddProfile(u"Home", greeting)->id;
        AddProfile(u"Work", greeting);
        ASSERT_TRUE(SaveTemplates(dir.Path()) && SaveProfiles(dir.Path())
            && SaveSettings(dir.Path(), settings));
        ResetTemplateStore();
        ResetProfileStore();
    }
    void TearDown() override
    {
        dialog.reset();
        ResetGroupStore();
        ResetTemplateStore();
        ResetProfileStore();
    }
    // Builds the window from the files, as a start of the program does.
    void Start()
    {
        dialog = std::make_unique<CMonitorDlg>(dir.Path());
        ASSERT_TRUE(dialog->Create(nullptr));
        dialog->show();
        QApplication::processEvents();
    }
    // Destroys the window, which saves everything, and frees the stores as
    // the end of the program does.
    void End()
    {
        dialog.reset();
        ResetTemplateStore();
        ResetProfileStore();
        ResetGroupStore();
    }

    test::ScratchDir dir;
    test::ScriptedMessageBoxes boxes;
    std::unique_ptr<CMonitorDlg> dialog;
};

TEST_F(MonitorDlgRestart, EveryPageKeepsItsOptionsAcrossARestart)
{
    Start();
    CMainPage* main = dialog->MainPage();
    main->ComboSetCurSel(CMainPage::IDC_MAX_PER_CALLER, 2);
    main->SetDlgItemText(CMainPage::IDC_MAX_TOTAL, u"35");
    main->ComboSetCurSel(CMainPage::IDC_RINGS_BEFORE_SEND, 4);
    main->ComboSetCurSel(CMainPage::IDC_HANGUP_RINGS, 7);
    Click(main, CMainPage::IDC_INTERACTIVE);

    // The user picks the Work profile and gives it the other message.
    CProfilePage* profile = dialog->ProfilePage();
    profile->ComboSetCurSel(
        CProfilePage::IDC_PROFILES, FindItem(profile, CProfilePage::IDC_PROFILES, u"Work"));
    profile->ShowDefaultMessage();
    profile->ComboSetCurSel(
        CProfilePage::IDC_TEMPLATES, FindItem(profile, CProfilePage::IDC_TEMPLATES, u"Back soon"));

    CLogPage* log = dialog->LogPage();
    Click(log, CLogPage::IDC_CLEAR_SESSION);
    log->ComboSetCurSel(CLogPage::IDC_AGE, 3);

    CIncludeRulesPage* include = dialog->IncludePage();
    Click(include, CIncludeRulesPage::IDC_ONLY_STARTING_WITH);
    include->SetDlgItemText(CIncludeRulesPage::IDC_PREFIXES, u"07;08");
    CExcludeRulesPage* exclude = dialog->ExcludePage();
    Click(exclude, CExcludeRulesPage::IDC_INTERNATIONAL);
    Click(exclude, CExcludeRulesPage::IDC_UNIDENTIFIED);
    Click(exclude, CExcludeRulesPage::IDC_STARTING_WITH);
    exclude->SetDlgItemText(CExcludeRulesPage::IDC_PREFIXES, u"0900");

    const bool clearedEverySession = log->IsDlgButtonChecked(CLogPage::IDC_CLEAR_SESSION) != 0;
    const int interactive = main->IsDlgButtonChecked(CMainPage::IDC_INTERACTIVE);
    End();
    Start();

    main = dialog->MainPage();
    EXPECT_EQ(main->ComboGetCurSel(CMainPage::IDC_MAX_PER_CALLER), 2);
    EXPECT_EQ(main->GetDlgItemText(CMainPage::IDC_MAX_TOTAL), u"35");
    EXPECT_EQ(main->ComboGetCurSel(CMainPage::IDC_RINGS_BEFORE_SEND), 4);
    EXPECT_EQ(main->ComboGetCurSel(CMainPage::IDC_HANGUP_RINGS), 7);
    EXPECT_EQ(main->IsDlgButtonChecked(CMainPage::IDC_INTERACTIVE), interactive);

    profile = dialog->ProfilePage();
    EXPECT_EQ(Shown(profile, CProfilePage::IDC_PROFILES), u"Work");
    EXPECT_EQ(Shown(profile, CProfilePage::IDC_TEMPLATES), u"Back soon");
    ASSERT_NE(profile->ActiveProfile(), nullptr);
    ASSERT_NE(FindTemplateByName(u"back soon"), nullptr);
    EXPECT_EQ(profile->ActiveProfile()->defaultMessageId, FindTemplateByName(u"back soon")->id);
    // The profile that was left keeps its own message.
    for (const auto& record : Profiles()) {
        if (record->name.Text() == u"Home") {
            ASSERT_NE(FindTemplate(record->defaultMessageId), nullptr);
            EXPECT_EQ(FindTemplate(record->defaultMessageId)->name.Text(), u"Greeting");
        }
    }

    log = dialog->LogPage();
    EXPECT_EQ(log->IsDlgButtonChecked(CLogPage::IDC_CLEAR_SESSION) != 0, clearedEverySession);
    EXPECT_EQ(log->ComboGetCurSel(CLogPage::IDC_AGE), 3);

    include = dialog->IncludePage();
    EXPECT_EQ(include->IsDlgButtonChecked(CIncludeRulesPage::IDC_ONLY_STARTING_WITH), 1);
    EXPECT_EQ(include->IsDlgButtonChecked(CIncludeRulesPage::IDC_ALL_NUMBERS), 0);
    EXPECT_EQ(include->GetDlgItemText(CIncludeRulesPage::IDC_PREFIXES), u"07;08");
    exclude = dialog->ExcludePage();
    EXPECT_EQ(exclude->IsDlgButtonChecked(CExcludeRulesPage::IDC_INTERNATIONAL), 0);
    EXPECT_EQ(exclude->IsDlgButtonChecked(CExcludeRulesPage::IDC_UNIDENTIFIED), 1);
    EXPECT_EQ(exclude->IsDlgButtonChecked(CExcludeRulesPage::IDC_STARTING_WITH), 1);
    EXPECT_EQ(exclude->GetDlgItemText(CExcludeRulesPage::IDC_PREFIXES), u"0900");
}

} // namespace
