#include "app/MonitorDlg.h"
#include "messages/TemplateStore.h"
#include "platform/framework/DialogTemplate.h"
#include "platform/framework/ScreenModel.h"
#include "resources/Resources.h"
#include "rules/ExcludeRulesPage.h"
#include "rules/GroupStore.h"
#include "rules/IncludeRulesPage.h"
#include "rules/ProfileStore.h"
#include "rules/RuleTest.h"
#include "rules/RulesHolderPage.h"
#include "tests/TestSupport.h"
#include "ui/MultiWnd.h"
#include "ui/PageTabCtrl.h"

#include <QApplication>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>

using namespace pelmora;
using Include = CIncludeRulesPage;
using Exclude = CExcludeRulesPage;

namespace {

constexpr int kRulesTab = 3;

class RulesTab : public ::testing::Test {
protected:
    void SetUp() override
    {
        ResetTemplateStore();
        ResetProfileStore();
        ResetGroupStore();
    }
    void TearDown() override
    {
        dialog.reset();
        if (dlg::IsLandscape())
            dlg::ScreenModel::Instance().Rotate();
        ResetTemplateStore();
        ResetProfileStore();
        ResetGroupStore();
    }
    // The main window on screen with the Rules tab in front.
    void Open()
    {
        dialog = std::make_unique<CMonitorDlg>(dir.Path());
        ASSERT_TRUE(dialog->Create(nullptr));
        dialog->SelectPage(kRulesTab);
        dialog->show();
        QApplication::processEvents();
        panes = dialog->RulesPanes();
        include = dialog->IncludePage();
        exclude = dialog->ExcludePage();
        ASSERT_NE(panes, nullptr);
        ASSERT_NE(include, nullptr);
        ASSERT_NE(exclude, nullptr);
    }
    void Store(const SettingsRecord& settings) { ASSERT_TRUE(SaveSettings(dir.Path(), settings)); }
    SettingsRecord Saved()
    {
        dialog->SaveAll();
        SettingsRecord saved;
        LoadSettings(dir.Path(), saved);
        return saved;
    }
    static void Click(dlg::CDialog* page, int id)
    {
        QTest::mouseClick(page->GetDlgItem(id), Qt::LeftButton);
    }
    void OpenPane(int index) { QTest::mouseClick(panes->Caption(index), Qt::LeftButton); }
    static QRect TemplateRect(const dlg::CDialog* page, int templateId, int id)
    {
        return page->MapDialogRect(dlg::FindDialogTemplate(templateId)->FindItem(id)->rect);
    }
    static QSize TemplateSize(const dlg::CDialog* page, int templateId)
    {
        return page->MapDialogRect(dlg::FindDialogTemplate(templateId)->rect).size();
    }
    RuleValues LiveRules() const
    {
        RuleValues rules;
        exclude->ReadRules(rules);
        include->ReadRules(rules);
        return rules;
    }

    test::ScratchDir dir;
    std::unique_ptr<CMonitorDlg> dialog;
    CMultiWnd* panes = nullptr;
    Include* include = nullptr;
    Exclude* exclude = nullptr;
};

void ExpectNear(QSize actual, QSize expected, int slack, const char* what)
{
    EXPECT_LE(std::abs(actual.width() - expected.width()), slack)
        << what << ": " << actual.width() << " wide, area " << expected.width();
    EXPECT_LE(std::abs(actual.height() - expected.height()), slack)
        << what << ": " << actual.height() << " high, area " << expected.height();
}

} // namespace

TEST_F(RulesTab, ContainerReplacesThePlaceholderWithIncludeOpen)
{
    Open();
    auto* holder = qobject_cast<CRulesHolderPage*>(dialog->Page(kRulesTab));
    ASSERT_NE(holder, nullptr);
    EXPECT_EQ(holder->GetDlgItem(CRulesHolderPage::IDC_PANES), panes) << "identifier 1059 kept";
    EXPECT_EQ(panes->parentWidget(), holder);
    EXPECT_EQ(panes->Background(), QColor(Qt::white));
    EXPECT_EQ(panes->geometry(), holder->rect().adjusted(1, 1, -1, -1));
    ASSERT_EQ(panes->PaneCount(), 2);
    EXPECT_EQ(panes->Caption(0)->Text(), QStringLiteral("Exclude Rules"));
    EXPECT_EQ(panes->Caption(1)->Text(), QStringLiteral("Include Rules"));
    EXPECT_EQ(panes->Caption(0)->content, exclude);
    EXPECT_EQ(panes->Caption(1)->content, include);
    EXPECT_EQ(panes->Caption(1)->y(), 0);
    EXPECT_EQ(panes->Caption(0)->geometry().bottom(), panes->height() - 1) << "at the bottom edge";
    EXPECT_TRUE(include->isVisible());
    EXPECT_FALSE(exclude->isVisible());
    EXPECT_EQ(include->geometry(), panes->ContentArea());
    EXPECT_EQ(include->parentWidget(), panes);
    EXPECT_EQ(exclude->parentWidget(), panes);

    // Tapping tries collapsing the only open pane: it stays open.
    OpenPane(1);
    EXPECT_TRUE(include->isVisible());
    OpenPane(0);
    EXPECT_TRUE(exclude->isVisible());
    EXPECT_FALSE(include->isVisible());
}

TEST_F(RulesTab, DefaultStates)
{
    Open();
    EXPECT_EQ(include->IsDlgButtonChecked(Include::IDC_ALL_NUMBERS), 1);
    EXPECT_EQ(include->IsDlgButtonChecked(Include::IDC_ONLY_STARTING_WITH), 0);
    EXPECT_EQ(include->GetDlgItemText(Include::IDC_PREFIXES), u"");
    EXPECT_FALSE(include->IsDlgItemEnabled(Include::IDC_PREFIXES));
    EXPECT_TRUE(include->IsDlgItemReadOnly(Include::IDC_PREFIXES));
    EXPECT_EQ(exclude->IsDlgButtonChecked(Exclude::IDC_INTERNATIONAL), 1);
    EXPECT_EQ(exclude->IsDlgButtonChecked(Exclude::IDC_UNIDENTIFIED), 0);
    EXPECT_EQ(exclude->IsDlgButtonChecked(Exclude::IDC_STARTING_WITH), 0);
    EXPECT_EQ(exclude->GetDlgItemText(Exclude::IDC_PREFIXES), u"");
    EXPECT_FALSE(exclude->IsDlgItemEnabled(Exclude::IDC_PREFIXES));
    EXPECT_TRUE(exclude->IsDlgItemReadOnly(Exclude::IDC_PREFIXES));
    EXPECT_EQ(include->GetDlgItemText(Include::IDC_INCLUDE_GROUP), u"Include");
    EXPECT_EQ(exclude->GetDlgItemText(Exclude::IDC_EXCLUDE_GROUP), u"Exclude");
    EXPECT_EQ(exclude->GetDlgItemText(Exclude::IDC_UNIDENTIFIED), u"Numbers not identified");
}

TEST_F(RulesTab, StoredRulesReachThePagesAndComeBack)
{
    SettingsRecord stored;
    stored.includeMode = 1;
    stored.includePrefixes.Assign(u"+44;0044,,07");
    stored.excludeInternational = 0;
    stored.excludeUnidentified = 1;
    stored.excludeStartingWith = 1;
    stored.excludePrefixes.Assign(u"+44, 07");
    Store(stored);
    Open();
    EXPECT_EQ(include->includeMode, 1);
    EXPECT_EQ(include->IsDlgButtonChecked(Include::IDC_ONLY_STARTING_WITH), 1);
    EXPECT_EQ(include->GetDlgItemText(Include::IDC_PREFIXES), u"+44;0044,,07");
    EXPECT_TRUE(include->IsDlgItemEnabled(Include::IDC_PREFIXES));
    EXPECT_FALSE(include->IsDlgItemReadOnly(Include::IDC_PREFIXES));
    EXPECT_EQ(exclude->IsDlgButtonChecked(Exclude::IDC_INTERNATIONAL), 0);
    EXPECT_EQ(exclude->IsDlgButtonChecked(Exclude::IDC_UNIDENTIFIED), 1);
    EXPECT_EQ(exclude->IsDlgButtonChecked(Exclude::IDC_STARTING_WITH), 1);
    EXPECT_EQ(exclude->GetDlgItemText(Exclude::IDC_PREFIXES), u"+44, 07");
    EXPECT_TRUE(exclude->IsDlgItemEnabled(Exclude::IDC_PREFIXES));
    EXPECT_FALSE(exclude->IsDlgItemReadOnly(Exclude::IDC_PREFIXES));

    // Turning the prefix tests off disables the edits but keeps their text,
    // and the text is saved as typed.
    Click(include, Include::IDC_ALL_NUMBERS);
    EXPECT_FALSE(include->IsDlgItemEnabled(Include::IDC_PREFIXES));
    EXPECT_TRUE(include->IsDlgItemReadOnly(Include::IDC_PREFIXES));
    EXPECT_EQ(include->GetDlgItemText(Include::IDC_PREFIXES), u"+44;0044,,07");
    OpenPane(0);
    Click(exclude, Exclude::IDC_STARTING_WITH);
    Click(exclude, Exclude::IDC_INTERNATIONAL);
    EXPECT_FALSE(exclude->IsDlgItemEnabled(Exclude::IDC_PREFIXES));
    EXPECT_EQ(exclude->GetDlgItemText(Exclude::IDC_PREFIXES), u"+44, 07");
    const SettingsRecord saved = Saved();
    EXPECT_EQ(saved.includeMode, 0);
    EXPECT_EQ(saved.includePrefixes.Text(), u"+44;0044,,07");
    EXPECT_EQ(saved.excludeInternational, 1);
    EXPECT_EQ(saved.excludeUnidentified, 1);
    EXPECT_EQ(saved.excludeStartingWith, 0);
    EXPECT_EQ(saved.excludePrefixes.Text(), u"+44, 07");

    // And on again: the kept text is there to edit.
    Click(exclude, Exclude::IDC_STARTING_WITH);
    EXPECT_TRUE(exclude->IsDlgItemEnabled(Exclude::IDC_PREFIXES));
    EXPECT_FALSE(exclude->IsDlgItemReadOnly(Exclude::IDC_PREFIXES));
}

TEST_F(RulesTab, NoRadioButtonCheckedIsModeMinusOne)
{
    SettingsRecord stored;
    stored.includeMode = 7; // a damaged file
    stored.includePrefixes.Assign(u"07");
    Store(stored);
    Open();
    EXPECT_EQ(include->IsDlgButtonChecked(Include::IDC_ALL_NUMBERS), 0);
    EXPECT_EQ(include->IsDlgButtonChecked(Include::IDC_ONLY_STARTING_WITH), 0);
    EXPECT_FALSE(include->IsDlgItemEnabled(Include::IDC_PREFIXES));
    EXPECT_EQ(Saved().includeMode, -1);
    EXPECT_FALSE(LiveRules().includeOnlyStartingWith) << "all numbers";
}

TEST_F(RulesTab, PrefixListsAreSavedAsAtMost299Characters)
{
    Open();
    std::u16string longList;
    for (int i = 0; i < 30; ++i)
        longList += u"0123456,7;";
    ASSERT_EQ(longList.size(), 300u);
    std::u16string otherList = longList;
    otherList[0] = u'9';
    include->SetDlgItemText(Include::IDC_PREFIXES, longList);
    exclude->SetDlgItemText(Exclude::IDC_PREFIXES, otherList);
    const SettingsRecord saved = Saved();
    EXPECT_EQ(saved.includePrefixes.Text(), longList.substr(0, 299));
    EXPECT_EQ(saved.excludePrefixes.Text(), otherList.substr(0, 299));

    const std::u16string shortList(299, u'5');
    include->SetDlgItemText(Include::IDC_PREFIXES, shortList);
    EXPECT_EQ(Saved().includePrefixes.Text(), shortList);
}

TEST_F(RulesTab, ChangesCountAtOnceWithoutSaving)
{
    Open();
    EXPECT_FALSE(PassesRules(u"+4412345", true, LiveRules()));
    OpenPane(0);
    Click(exclude, Exclude::IDC_INTERNATIONAL);
    EXPECT_TRUE(PassesRules(u"+4412345", true, LiveRules()));
    Click(exclude, Exclude::IDC_UNIDENTIFIED);
    EXPECT_FALSE(PassesRules(u"+4412345", false, LiveRules()));

    OpenPane(1);
    Click(include, Include::IDC_ONLY_STARTING_WITH);
    EXPECT_FALSE(PassesRules(u"0712345", true, LiveRules())) << "an empty list admits nothing";
    QTest::keyClicks(include->GetDlgItem(Include::IDC_PREFIXES), QStringLiteral("+44, 07"));
    EXPECT_EQ(include->GetDlgItemText(Include::IDC_PREFIXES), u"+44, 07");
    EXPECT_FALSE(PassesRules(u"0712345", true, LiveRules()));
    EXPECT_TRUE(PassesRules(u" 0712345", true, LiveRules()));
    SettingsRecord unsaved;
    LoadSettings(dir.Path(), unsaved);
    EXPECT_EQ(unsaved.includeMode, 0) << "nothing was saved meanwhile";
}

TEST_F(RulesTab, RotatingKeepsEveryStateAndSwapsTheUnidentifiedText)
{
    Open();
    Click(include, Include::IDC_ONLY_STARTING_WITH);
    include->SetDlgItemText(Include::IDC_PREFIXES, u"07");
    OpenPane(0);
    Click(exclude, Exclude::IDC_INTERNATIONAL);
    Click(exclude, Exclude::IDC_UNIDENTIFIED);
    Click(exclude, Exclude::IDC_STARTING_WITH);
    exclude->SetDlgItemText(Exclude::IDC_PREFIXES, u"0800");

    dlg::ScreenModel::Instance().Rotate();
    QApplication::processEvents();
    auto* holder = qobject_cast<CRulesHolderPage*>(dialog->Page(kRulesTab));
    EXPECT_EQ(holder->size(), TemplateSize(holder, IDD_RULES_L));
    EXPECT_EQ(panes->geometry(), holder->rect().adjusted(1, 1, -1, -1));
    EXPECT_EQ(panes->Caption(1)->y(), 0);
    EXPECT_EQ(panes->Caption(0)->y(), 20) << "the open bar stays under the top one";
    EXPECT_EQ(panes->Caption(0)->width(), panes->width());
    EXPECT_TRUE(exclude->IsLandscapeLayout());
    EXPECT_EQ(exclude->GetDlgItemText(Exclude::IDC_UNIDENTIFIED), u"Numbers unidentified");
    EXPECT_EQ(exclude->GetDlgItem(Exclude::IDC_UNIDENTIFIED)->geometry(),
        TemplateRect(exclude, IDD_EXCLUDE_RULES_L, Exclude::IDC_UNIDENTIFIED));
    EXPECT_EQ(exclude->IsDlgButtonChecked(Exclude::IDC_INTERNATIONAL), 0);
    EXPECT_EQ(exclude->IsDlgButtonChecked(Exclude::IDC_UNIDENTIFIED), 1);
    EXPECT_EQ(exclude->IsDlgButtonChecked(Exclude::IDC_STARTING_WITH), 1);
    EXPECT_EQ(exclude->GetDlgItemText(Exclude::IDC_PREFIXES), u"0800");
    EXPECT_TRUE(exclude->IsDlgItemEnabled(Exclude::IDC_PREFIXES));

    // The include page turns when it is shown again.
    OpenPane(1);
    EXPECT_TRUE(include->IsLandscapeLayout());
    EXPECT_EQ(include->GetDlgItem(Include::IDC_PREFIXES)->geometry(),
        TemplateRect(include, IDD_INCLUDE_RULES_L, Include::IDC_PREFIXES));
    EXPECT_EQ(include->IsDlgButtonChecked(Include::IDC_ONLY_STARTING_WITH), 1);
    EXPECT_EQ(include->GetDlgItemText(Include::IDC_PREFIXES), u"07");
    EXPECT_TRUE(include->IsDlgItemEnabled(Include::IDC_PREFIXES));

    dlg::ScreenModel::Instance().Rotate();
    QApplication::processEvents();
    OpenPane(0);
    EXPECT_FALSE(exclude->IsLandscapeLayout());
    EXPECT_EQ(exclude->GetDlgItemText(Exclude::IDC_UNIDENTIFIED), u"Numbers not identified");
    EXPECT_EQ(exclude->IsDlgButtonChecked(Exclude::IDC_UNIDENTIFIED), 1);
    EXPECT_EQ(panes->geometry(), holder->rect().adjusted(1, 1, -1, -1));
}

TEST_F(RulesTab, HolderPassesItsSizeChangesToTheContainer)
{
    Open();
    auto* holder = qobject_cast<CRulesHolderPage*>(dialog->Page(kRulesTab));
    holder->resize(200, 150);
    EXPECT_EQ(panes->geometry(), QRect(1, 1, 198, 148));
    EXPECT_EQ(panes->Caption(0)->y(), 148 - 20);
    EXPECT_EQ(include->geometry(), QRect(0, 20, 198, 148 - 40));
}

TEST_F(RulesTab, PagesFillTheirAreasInBothOrientations)
{
    // A page takes its template's size when it turns, so each template is
    // as large as its area, within the pixel that dialog units can miss by.
    Open();
    for (int turn = 0; turn < 2; ++turn) {
        SCOPED_TRACE(turn ? "landscape" : "portrait");
        auto* holder = qobject_cast<CRulesHolderPage*>(dialog->Page(kRulesTab));
        // The page area the tab control gives its pages.
        const QSize tabs = dialog->Tabs()->size();
        const int tabRow = dialog->Tabs()->GetItemRect(0).height();
        const QSize pageArea(tabs.width() - 3, tabs.height() - tabRow - 4);
        ExpectNear(TemplateSize(holder, turn ? IDD_RULES_L : IDD_RULES), pageArea, 1, "holder");
        const QSize content = pageArea - QSize(2, 2 + 2 * CMultiWnd::CaptionHeight());
        ExpectNear(TemplateSize(include, turn ? IDD_INCLUDE_RULES_L : IDD_INCLUDE_RULES), content,
            1, "include page");
        ExpectNear(TemplateSize(exclude, turn ? IDD_EXCLUDE_RULES_L : IDD_EXCLUDE_RULES), content,
            1, "exclude page");
        dlg::ScreenModel::Instance().Rotate();
        QApplication::processEvents();
    }
}

TEST_F(RulesTab, TurningWhileAnotherTabIsShownLaysTheRulesOutWhenTheyShow)
{
    Open();
    dialog->SelectPage(2);
    dlg::ScreenModel::Instance().Rotate();
    QApplication::processEvents();
    dialog->SelectPage(kRulesTab);
    QApplication::processEvents();
    auto* holder = qobject_cast<CRulesHolderPage*>(dialog->Page(kRulesTab));
    EXPECT_EQ(holder->size(), TemplateSize(holder, IDD_RULES_L));
    EXPECT_EQ(panes->geometry(), holder->rect().adjusted(1, 1, -1, -1));
    EXPECT_EQ(panes->Caption(0)->geometry().bottom(), panes->height() - 1);
    EXPECT_TRUE(include->isVisible());
    EXPECT_TRUE(include->IsLandscapeLayout());
    EXPECT_EQ(include->GetDlgItem(Include::IDC_PREFIXES)->geometry(),
        TemplateRect(include, IDD_INCLUDE_RULES_L, Include::IDC_PREFIXES));
}
