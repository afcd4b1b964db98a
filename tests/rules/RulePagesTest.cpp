#include "platform/framework/DialogTemplate.h"
#include "platform/framework/ScreenModel.h"
#include "platform/shell/ShellServices.h"
#include "resources/Resources.h"
#include "rules/ExcludeRulesPage.h"
#include "rules/IncludeRulesPage.h"
#include "rules/RuleTest.h"
#include "ui/AutoSIPEdit.h"

#include <QApplication>
#include <QLineEdit>
#include <QScreen>
#include <QTest>

#include <gtest/gtest.h>

using namespace pelmora;

namespace {

class RulePagesTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        SetProcessLauncher([this](const std::u16string& program, const std::u16string& line) {
            started.push_back(program + u" " + line);
            return true;
        });
    }
    void TearDown() override { SetProcessLauncher(nullptr); }
    std::vector<std::u16string> started;
};

} // namespace

TEST_F(RulePagesTest, HelpPicturesOpenTheirTopics)
{
    CIncludeRulesPage include;
    ASSERT_TRUE(include.Create(IDD_INCLUDE_RULES, IDD_INCLUDE_RULES_L, nullptr));
    CExcludeRulesPage exclude;
    ASSERT_TRUE(exclude.Create(IDD_EXCLUDE_RULES, IDD_EXCLUDE_RULES_L, nullptr));
    QTest::mouseClick(include.GetDlgItem(CIncludeRulesPage::IDC_HELP), Qt::LeftButton);
    QTest::mouseClick(exclude.GetDlgItem(CExcludeRulesPage::IDC_HELP), Qt::LeftButton);
    EXPECT_EQ(started,
        (std::vector<std::u16string> {u"peghelp.exe file:pelmora.htm#includerules",
            u"peghelp.exe file:pelmora.htm#excluderules"}));
}

TEST_F(RulePagesTest, PagesReadTheirControlsAsRules)
{
    CIncludeRulesPage include;
    ASSERT_TRUE(include.Create(IDD_INCLUDE_RULES, IDD_INCLUDE_RULES_L, nullptr));
    CExcludeRulesPage exclude;
    ASSERT_TRUE(exclude.Create(IDD_EXCLUDE_RULES, IDD_EXCLUDE_RULES_L, nullptr));
    include.includeMode = CIncludeRulesPage::kOnlyStartingWith;
    include.SetDlgItemText(CIncludeRulesPage::IDC_PREFIXES, u"07");
    include.RefreshIncludeState();
    exclude.CheckDlgButton(CExcludeRulesPage::IDC_INTERNATIONAL, 0);
    exclude.CheckDlgButton(CExcludeRulesPage::IDC_UNIDENTIFIED, 1);
    exclude.CheckDlgButton(CExcludeRulesPage::IDC_STARTING_WITH, 1);
    exclude.SetDlgItemText(CExcludeRulesPage::IDC_PREFIXES, u"0800");
    exclude.RefreshExcludeState();

    RuleValues rules;
    include.ReadRules(rules);
    exclude.ReadRules(rules);
    EXPECT_TRUE(rules.includeOnlyStartingWith);
    EXPECT_EQ(rules.includePrefixes, u"07");
    EXPECT_FALSE(rules.excludeInternational);
    EXPECT_TRUE(rules.excludeUnidentified);
    EXPECT_TRUE(rules.excludeStartingWith);
    EXPECT_EQ(rules.excludePrefixes, u"0800");

    // The radio button counts, not the member the page last exchanged.
    include.CheckDlgButton(CIncludeRulesPage::IDC_ALL_NUMBERS, 1);
    include.ReadRules(rules);
    EXPECT_FALSE(rules.includeOnlyStartingWith);
    EXPECT_EQ(include.includeMode, CIncludeRulesPage::kOnlyStartingWith);
}

TEST_F(RulePagesTest, PrefixFieldsRaiseTheKeyboardAndScrollOnOneLine)
{
    CIncludeRulesPage include;
    ASSERT_TRUE(include.Create(IDD_INCLUDE_RULES, IDD_INCLUDE_RULES_L, nullptr));
    CExcludeRulesPage exclude;
    ASSERT_TRUE(exclude.Create(IDD_EXCLUDE_RULES, IDD_EXCLUDE_RULES_L, nullptr));
    QWidget* includeEdit = include.GetDlgItem(CIncludeRulesPage::IDC_PREFIXES);
    QWidget* excludeEdit = exclude.GetDlgItem(CExcludeRulesPage::IDC_PREFIXES);
    EXPECT_EQ(CAutoSIPEdit::Of(includeEdit), include.PrefixEdit());
    EXPECT_EQ(CAutoSIPEdit::Of(excludeEdit), exclude.PrefixEdit());
    ASSERT_NE(include.PrefixEdit(), nullptr);
    ASSERT_NE(exclude.PrefixEdit(), nullptr);
    // One line that scrolls sideways: a return cannot hide a line in it.
    EXPECT_NE(qobject_cast<QLineEdit*>(includeEdit), nullptr);
    EXPECT_NE(qobject_cast<QLineEdit*>(excludeEdit), nullptr);
}

TEST(RulePageTemplates, ThumbControlsAreAboutSevenMillimetresHigh)
{
    // 7 mm at the screen's logical resolution, less the pixel the dialog
    // units can round away.
    const double dpi = QApplication::primaryScreen()->logicalDotsPerInchY();
    const int minimum = static_cast<int>(7.0 / 25.4 * dpi);
    for (int id :
        {IDD_INCLUDE_RULES, IDD_INCLUDE_RULES_L, IDD_EXCLUDE_RULES, IDD_EXCLUDE_RULES_L}) {
        dlg::CDialog page(id);
        ASSERT_TRUE(page.Create(nullptr));
        for (const dlg::DialogItem& item : dlg::FindDialogTemplate(id)->items) {
            if (item.cls != dlg::ControlClass::RadioButton
                && item.cls != dlg::ControlClass::AutoCheckBox
                && item.cls != dlg::ControlClass::Edit)
                continue;
            EXPECT_GE(page.GetDlgItem(item.id)->height(), minimum)
                << "template " << id << ", control " << item.id;
        }
    }
}

TEST(RulePageTemplates, PortraitAndLandscapeHoldTheSameControls)
{
    for (auto [portrait, landscape] : {std::pair {IDD_RULES, IDD_RULES_L},
             {IDD_INCLUDE_RULES, IDD_INCLUDE_RULES_L}, {IDD_EXCLUDE_RULES, IDD_EXCLUDE_RULES_L}}) {
        const auto* p = dlg::FindDialogTemplate(portrait);
        const auto* l = dlg::FindDialogTemplate(landscape);
        ASSERT_TRUE(p && l);
        ASSERT_EQ(p->items.size(), l->items.size());
        for (size_t i = 0; i < p->items.size(); ++i) {
            EXPECT_EQ(p->items[i].id, l->items[i].id);
            EXPECT_EQ(p->items[i].cls, l->items[i].cls);
            EXPECT_EQ(p->items[i].style, l->items[i].style);
            if (p->items[i].id != CExcludeRulesPage::IDC_UNIDENTIFIED) {
                EXPECT_EQ(p->items[i].text, l->items[i].text);
            }
        }
    }
    EXPECT_EQ(dlg::FindDialogTemplate(IDD_EXCLUDE_RULES)
                  ->FindItem(CExcludeRulesPage::IDC_UNIDENTIFIED)
                  ->text,
        u"Numbers not identified");
    EXPECT_EQ(dlg::FindDialogTemplate(IDD_EXCLUDE_RULES_L)
                  ->FindItem(CExcludeRulesPage::IDC_UNIDENTIFIED)
                  ->text,
        u"Numbers unidentified");
}
