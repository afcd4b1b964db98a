#include "platform/framework/Dialog.h"
#include "platform/framework/MessageBox.h"
#include "platform/framework/PictureCtrl.h"
#include "platform/framework/TabCtrl.h"
#include "tests/TestSupport.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFontMetrics>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTreeWidget>

#include <gtest/gtest.h>

using namespace pelmora;
using namespace pelmora::dlg;

namespace {

constexpr int kPageTemplate = 9001;
constexpr int kOwnerTemplate = 9002;

void RegisterTestTemplates()
{
    RegisterTemplate({kPageTemplate, u"Page", {0, 0, 160, 120},
        {
            {1000, ControlClass::PushButton, u"&Go", {5, 5, 50, 14}},
            {1001, ControlClass::AutoCheckBox, u"Check", {5, 22, 80, 10}},
            {1002, ControlClass::RadioButton, u"One", {5, 34, 40, 10}, kDefaultStyle | Group},
            {1003, ControlClass::RadioButton, u"Two", {50, 34, 40, 10}},
            {1004, ControlClass::Edit, u"", {5, 48, 100, 12}, kDefaultStyle | Number},
            {1005, ControlClass::Edit, u"", {5, 62, 100, 30}, kDefaultStyle | Multiline},
            {1006, ControlClass::ComboDropList, u"", {110, 5, 45, 40}},
            {1007, ControlClass::Static, u"Hidden", {110, 50, 45, 8}, 0},
            {1008, ControlClass::Bitmap, u"", {140, 100, 16, 16}, kDefaultStyle | Notify, 141},
            {1009, ControlClass::ListView, u"", {5, 95, 130, 20}, kDefaultStyle, 0,
                {{u"Number", 40}, {u"Name", 60}}},
            {1010, ControlClass::PushButton, u"Own", {60, 5, 40, 14}},
        }});
    RegisterTemplate({kOwnerTemplate, u"Owner", {0, 0, 200, 200}, {}});
}

class FrameworkTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { RegisterTestTemplates(); }
};

// Records the order in which commands reached which window.
std::vector<std::string> g_route;

class OwnerDialog final : public CDialog {
public:
    OwnerDialog()
        : CDialog(kOwnerTemplate)
    {
    }
    bool OnCommand(int id) override
    {
        g_route.push_back("owner:" + std::to_string(id));
        return id == 1000;
    }
};

class PageDialog final : public CDialog {
public:
    PageDialog()
        : CDialog(kPageTemplate)
    {
        SetOffersCommandsToParentFirst(true);
    }
    bool OnCommand(int id) override
    {
        g_route.push_back("page:" + std::to_string(id));
        return true;
    }
    int inits = 0;
    bool OnInitDialog() override
    {
        ++inits;
        return true;
    }
};

} // namespace

TEST_F(FrameworkTest, DialogUnitsScaleByFontBaseUnits)
{
    DialogBaseUnits units {6, 13};
    // x * 6 / 4 and y * 13 / 8, rounded; width and height from the far edges.
    EXPECT_EQ(units.Map({10, 20, 30, 14}), QRect(15, 33, 45, 22));
    EXPECT_EQ(units.Map({0, 0, 139, 103}), QRect(0, 0, 209, 167));
}

TEST_F(FrameworkTest, BaseUnitsComeFromTheDialogFont)
{
    const QFontMetrics metrics(DialogFont());
    const int letters = metrics.horizontalAdvance(
        QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    const DialogBaseUnits units = DialogBaseUnits::FromFont(DialogFont());
    EXPECT_EQ(units.baseX, (letters / 26 + 1) / 2);
    EXPECT_EQ(units.baseY, metrics.height());
}

TEST_F(FrameworkTest, TemplateBuildsControlsAtTheirPixelRectangles)
{
    PageDialog page;
    ASSERT_TRUE(page.Create(nullptr));
    EXPECT_EQ(page.inits, 1);
    const DialogBaseUnits units = DialogBaseUnits::FromFont(DialogFont());
    const DialogTemplate* tmpl = FindDialogTemplate(kPageTemplate);
    ASSERT_NE(tmpl, nullptr);
    for (const DialogItem& item : tmpl->items) {
        QWidget* control = page.GetDlgItem(item.id);
        ASSERT_NE(control, nullptr) << item.id;
        QRect expected(units.X(item.rect.x), units.Y(item.rect.y),
            units.X(item.rect.x + item.rect.cx) - units.X(item.rect.x),
            units.Y(item.rect.y + item.rect.cy) - units.Y(item.rect.y));
        // A closed drop-down list is as high as its text, not its open list.
        if (item.cls == ControlClass::ComboDropList)
            expected.setHeight(control->sizeHint().height());
        EXPECT_EQ(control->geometry(), expected) << item.id;
        EXPECT_EQ(page.IsDlgItemVisible(item.id), item.IsVisible()) << item.id;
    }
    EXPECT_EQ(page.size(), units.Map({0, 0, 160, 120}).size());
    EXPECT_NE(page.Control<QPushButton>(1000), nullptr);
    EXPECT_NE(page.Control<QCheckBox>(1001), nullptr);
    EXPECT_NE(page.Control<QRadioButton>(1003), nullptr);
    EXPECT_NE(page.Control<QLineEdit>(1004), nullptr);
    EXPECT_NE(page.Control<QPlainTextEdit>(1005), nullptr);
    EXPECT_NE(page.Control<QComboBox>(1006), nullptr);
    EXPECT_NE(page.Control<CPictureCtrl>(1008), nullptr);
    auto* list = page.Control<QTreeWidget>(1009);
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(list->columnCount(), 2);
    EXPECT_EQ(list->headerItem()->text(1), QStringLiteral("Name"));
    EXPECT_EQ(page.GetDlgItem(4242), nullptr);
}

TEST_F(FrameworkTest, ControlsAreReadAndWrittenLikeThePlatformControls)
{
    PageDialog page;
    ASSERT_TRUE(page.Create(nullptr));

    EXPECT_EQ(page.GetRadioValue(1002), -1);
    page.SetRadioValue(1002, 1);
    EXPECT_EQ(page.GetRadioValue(1002), 1);
    EXPECT_FALSE(page.IsDlgButtonChecked(1002));

    page.ComboAddString(1006, u"a");
    page.ComboAddString(1006, u"b");
    EXPECT_EQ(page.ComboGetCurSel(1006), -1) << "adding items selects nothing";
    page.ComboSetCurSel(1006, 1);
    page.ComboSetItemData(1006, 1, 0xBEEF);
    EXPECT_EQ(page.ComboGetItemData(1006, 1), 0xBEEFu);
    page.ComboSetCurSel(1006, 7);
    EXPECT_EQ(page.ComboGetCurSel(1006), -1) << "out of range leaves no selection";

    page.SetDlgItemText(1005, u"line one\r\nline two");
    EXPECT_EQ(
        page.Control<QPlainTextEdit>(1005)->toPlainText(), QStringLiteral("line one\nline two"));
    EXPECT_EQ(page.GetDlgItemText(1005), u"line one\r\nline two");

    page.SetDlgItemReadOnly(1004, true);
    page.EnableDlgItem(1004, false);
    EXPECT_TRUE(page.IsDlgItemReadOnly(1004));
    EXPECT_FALSE(page.IsDlgItemEnabled(1004));
    QTest::keyClicks(page.Control<QLineEdit>(1004), QStringLiteral("x"));
    EXPECT_EQ(page.GetDlgItemText(1004), u"");
}

TEST_F(FrameworkTest, DigitsOnlyEditRefusesLetters)
{
    PageDialog page;
    ASSERT_TRUE(page.Create(nullptr));
    QTest::keyClicks(page.Control<QLineEdit>(1004), QStringLiteral("4a2"));
    EXPECT_EQ(page.GetDlgItemText(1004), u"42");
}

TEST_F(FrameworkTest, CommandsReachTheParentBeforeThePage)
{
    OwnerDialog owner;
    ASSERT_TRUE(owner.Create(nullptr));
    auto* page = new PageDialog;
    ASSERT_TRUE(page->Create(&owner));

    g_route.clear();
    QTest::mouseClick(page->Control<QPushButton>(1000), Qt::LeftButton);
    EXPECT_EQ(g_route, (std::vector<std::string> {"owner:1000"}));

    g_route.clear();
    QTest::mouseClick(page->Control<QPushButton>(1010), Qt::LeftButton);
    EXPECT_EQ(g_route, (std::vector<std::string> {"owner:1010", "page:1010"}));

    g_route.clear();
    page->show();
    QTest::mouseClick(page->GetDlgItem(1008), Qt::LeftButton, {}, QPoint(3, 3));
    EXPECT_EQ(g_route, (std::vector<std::string> {"owner:1008", "page:1008"}));
}

TEST_F(FrameworkTest, MessageBoxSeamAnswersYesNo)
{
    test::ScriptedMessageBoxes boxes;
    boxes.Answer(IDYES);
    EXPECT_EQ(MessageBox(nullptr, u"Sure?", u"Confirm", MessageButtons::YesNo), IDYES);
    EXPECT_EQ(MessageBox(nullptr, u"Again?", u"Confirm", MessageButtons::YesNo), IDNO);
    EXPECT_EQ(MessageBox(nullptr, u"Done"), IDOK);
    ASSERT_EQ(boxes.Shown().size(), 3u);
    EXPECT_EQ(boxes.Shown()[0].text, u"Sure?");
    EXPECT_EQ(boxes.Shown()[2].title, u"Pelmora") << "no title means the application title";
    EXPECT_EQ(boxes.Shown()[2].buttons, MessageButtons::Ok);
}

TEST_F(FrameworkTest, ModalSeamRunsWithoutANestedLoop)
{
    PageDialog dialog;
    SetModalHandler([](CDialog& shown) {
        shown.SetDlgItemText(1004, u"12");
        shown.EndDialog(IDOK);
        return IDOK;
    });
    EXPECT_EQ(dialog.DoModal(), IDOK);
    SetModalHandler(nullptr);
    EXPECT_EQ(dialog.inits, 1);
    EXPECT_EQ(dialog.GetDlgItemText(1004), u"12");
}

TEST_F(FrameworkTest, OneShotTimersByIdentifier)
{
    struct TimerDialog final : CDialog {
        TimerDialog()
            : CDialog(kOwnerTemplate)
        {
        }
        std::vector<int> fired;
        void OnTimer(int id) override { fired.push_back(id); }
    } dialog;
    ASSERT_TRUE(dialog.Create(nullptr));
    dialog.SetTimer(1, 5);
    dialog.SetTimer(2, 60000);
    EXPECT_TRUE(dialog.IsTimerActive(1));
    ASSERT_TRUE(test::WaitUntil([&] { return !dialog.fired.empty(); }));
    QTest::qWait(30);
    EXPECT_EQ(dialog.fired, std::vector<int> {1}) << "fired once";
    EXPECT_FALSE(dialog.IsTimerActive(1));
    dialog.KillTimer(2);
    EXPECT_FALSE(dialog.IsTimerActive(2));
}

TEST_F(FrameworkTest, TabControlConvertsToItsDisplayArea)
{
    CTabCtrl tabs;
    tabs.resize(240, 300);
    EXPECT_EQ(tabs.InsertItem(0, u"Main"), 0);
    EXPECT_EQ(tabs.InsertItem(1, u"Log"), 1);
    EXPECT_EQ(tabs.InsertItem(-1, u"Bad"), -1);
    QRect area = tabs.rect();
    tabs.AdjustRect(false, area);
    EXPECT_LT(area.height(), 300);
    EXPECT_EQ(area.bottom() + 1, tabs.GetItemRect(0).top()) << "tabs sit at the bottom";
    tabs.AdjustRect(true, area);
    EXPECT_EQ(area, tabs.rect());
}
