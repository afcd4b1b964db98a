#include "messages/MainPage.h"
#include "platform/framework/ScreenModel.h"
#include "platform/shell/ShellServices.h"
#include "resources/Resources.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

using namespace pelmora;

namespace {

constexpr int kOwnerTemplate = 9301;

// The main window as the page sees it: commands reach it first.
class Owner final : public dlg::CDialog {
public:
    Owner()
        : CDialog(kOwnerTemplate)
    {
    }
    std::vector<int> offered;

protected:
    bool OnCommand(int id) override
    {
        offered.push_back(id);
        return id == CMainPage::IDC_START_STOP;
    }
};

class MainPageTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        dlg::RegisterTemplate({kOwnerTemplate, u"", {0, 0, 160, 220}, {}});
    }
    void SetUp() override
    {
        SetProcessLauncher([this](const std::u16string&, const std::u16string& line) {
            helpLines.push_back(line);
            return true;
        });
        ASSERT_TRUE(owner.Create(nullptr));
        page = new CMainPage(&owner);
        ASSERT_TRUE(page->Create(IDD_MAIN, IDD_MAIN_L, &owner));
        owner.show();
    }
    void TearDown() override
    {
        SetProcessLauncher(nullptr);
        if (dlg::IsLandscape())
            dlg::ScreenModel::Instance().Rotate();
    }
    std::vector<std::u16string> Items(int id) const
    {
        std::vector<std::u16string> items;
        for (int i = 0; i < page->ComboGetCount(id); ++i)
            items.push_back(page->ComboGetItemText(id, i));
        return items;
    }
    static std::vector<std::u16string> Numbers(std::u16string first, int from, int to)
    {
        std::vector<std::u16string> items;
        if (!first.empty())
            items.push_back(first);
        for (int n = from; n <= to; ++n)
            items.push_back(QString::number(n).toStdU16String());
        return items;
    }

    Owner owner;
    CMainPage* page = nullptr;
    std::vector<std::u16string> helpLines;
};

} // namespace

TEST_F(MainPageTest, ControlsStartWithTheirTemplateTextsAndItems)
{
    EXPECT_EQ(Items(CMainPage::IDC_MAX_PER_CALLER), Numbers(u"", 1, 5));
    EXPECT_EQ(Items(CMainPage::IDC_RINGS_BEFORE_SEND), Numbers(u"end", 1, 20));
    EXPECT_EQ(Items(CMainPage::IDC_HANGUP_RINGS), Numbers(u"none", 0, 20));
    EXPECT_EQ(page->GetDlgItemText(CMainPage::IDC_START_STOP), u"&Start Monitor");
    EXPECT_EQ(page->GetDlgItemText(CMainPage::IDC_SENT_COUNT), u"0");
    EXPECT_EQ(page->GetDlgItemText(CMainPage::IDC_INTERACTIVE), u"Interactive mode");
    EXPECT_TRUE(page->IsDlgItemVisible(CMainPage::IDC_STOPPED_IMAGE));
    EXPECT_FALSE(page->IsDlgItemVisible(CMainPage::IDC_RUNNING_IMAGE));
    EXPECT_TRUE(page->IsDlgItemVisible(1059)) << "the banner shows in portrait";
    QTest::keyClicks(page->Control<QLineEdit>(CMainPage::IDC_MAX_TOTAL), QStringLiteral("1x5"));
    EXPECT_EQ(page->GetDlgItemText(CMainPage::IDC_MAX_TOTAL), u"15") << "digits only";
}

TEST_F(MainPageTest, TurningKeepsTheSettingsAndSwapsTheLayout)
{
    page->ComboSetCurSel(CMainPage::IDC_MAX_PER_CALLER, 4);
    page->ComboSetCurSel(CMainPage::IDC_RINGS_BEFORE_SEND, 20);
    page->ComboSetCurSel(CMainPage::IDC_HANGUP_RINGS, 1);
    page->SetDlgItemText(CMainPage::IDC_MAX_TOTAL, u"33");
    page->CheckDlgButton(CMainPage::IDC_INTERACTIVE, 1);

    dlg::ScreenModel::Instance().Rotate();
    page->NotifySizeChange();
    ASSERT_TRUE(page->IsLandscapeLayout());
    EXPECT_EQ(page->ComboGetCount(CMainPage::IDC_HANGUP_RINGS), 22) << "items are not added again";
    EXPECT_EQ(page->ComboGetCurSel(CMainPage::IDC_MAX_PER_CALLER), 4);
    EXPECT_EQ(page->ComboGetCurSel(CMainPage::IDC_RINGS_BEFORE_SEND), 20);
    EXPECT_EQ(page->ComboGetCurSel(CMainPage::IDC_HANGUP_RINGS), 1);
    EXPECT_EQ(page->GetDlgItemText(CMainPage::IDC_MAX_TOTAL), u"33");
    EXPECT_EQ(page->IsDlgButtonChecked(CMainPage::IDC_INTERACTIVE), 1);
    EXPECT_EQ(page->GetDlgItemText(CMainPage::IDC_INTERACTIVE), u"Interactive");
    EXPECT_FALSE(page->IsDlgItemVisible(1059)) << "no banner in landscape";
    EXPECT_TRUE(page->IsDlgItemVisible(CMainPage::IDC_STOPPED_IMAGE));
}

TEST_F(MainPageTest, CommandsGoToTheMainWindowFirstAndHelpStaysHere)
{
    QTest::mouseClick(page->Control<QPushButton>(CMainPage::IDC_START_STOP), Qt::LeftButton);
    EXPECT_EQ(owner.offered, std::vector<int> {CMainPage::IDC_START_STOP});
    EXPECT_TRUE(helpLines.empty());

    QTest::mouseClick(page->GetDlgItem(CMainPage::IDC_HELP), Qt::LeftButton, {}, QPoint(4, 4));
    EXPECT_EQ(owner.offered, (std::vector<int> {CMainPage::IDC_START_STOP, CMainPage::IDC_HELP}));
    ASSERT_EQ(helpLines.size(), 1u);
    EXPECT_TRUE(QString::fromStdU16String(helpLines[0]).endsWith(QStringLiteral("#mainpage")));
}
