#include "platform/framework/DialogTemplate.h"
#include "platform/framework/MessageBox.h"
#include "platform/framework/PictureCtrl.h"
#include "platform/framework/ScreenModel.h"
#include "ui/OrientedPropertyPage.h"
#include "ui/PageTabCtrl.h"
#include "ui/Relayout.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTreeWidget>

#include <gtest/gtest.h>

using namespace pelmora;
using namespace pelmora::dlg;

namespace {

constexpr int kPortrait = 9201, kLandscape = 9202, kMissing = 9299;

void RegisterPair()
{
    RegisterTemplate({kPortrait, u"", {0, 0, 150, 200},
        {
            {1000, ControlClass::PushButton, u"&Start", {5, 5, 60, 14}},
            {1001, ControlClass::Edit, u"", {5, 25, 100, 12}},
            {1002, ControlClass::AutoCheckBox, u"Option", {5, 40, 100, 10}},
            {1003, ControlClass::ComboDropList, u"", {5, 55, 60, 50}},
            {1004, ControlClass::ListBox, u"", {5, 75, 60, 40}},
            {1005, ControlClass::ListView, u"", {5, 120, 140, 60}, kDefaultStyle, 0, {{u"A", 40}}},
            {1006, ControlClass::Bitmap, u"", {120, 5, 30, 30}, kDefaultStyle, 141},
            {1007, ControlClass::Static, u"Portrait only", {70, 40, 70, 8}},
            {1008, ControlClass::Static, u"Landscape only", {70, 50, 70, 8}, 0},
        }});
    RegisterTemplate({kLandscape, u"", {0, 0, 200, 150},
        {
            {1000, ControlClass::PushButton, u"&Start", {100, 5, 60, 14}},
            {1001, ControlClass::Edit, u"", {100, 25, 90, 12}},
            {1002, ControlClass::AutoCheckBox, u"Option", {100, 40, 90, 10}},
            {1003, ControlClass::ComboDropList, u"", {5, 5, 60, 50}},
            {1004, ControlClass::ListBox, u"", {5, 25, 60, 40}},
            {1005, ControlClass::ListView, u"", {5, 70, 190, 60}, kDefaultStyle, 0, {{u"A", 40}}},
            {1006, ControlClass::Bitmap, u"", {170, 110, 10, 10}, kDefaultStyle, 141},
            {1007, ControlClass::Static, u"Portrait only", {70, 40, 70, 8}, 0},
            {1008, ControlClass::Static, u"Landscape only", {5, 140, 70, 8}},
        }});
}

class OrientationTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { RegisterPair(); }
    void TearDown() override
    {
        if (IsLandscape())
            ScreenModel::Instance().Rotate();
    }
};

QRect Expected(const CDialog& page, int templateId, int controlId)
{
    const DialogItem* item = FindDialogTemplate(templateId)->FindItem(controlId);
    return ControlRect(*item, page.GetDlgItem(controlId), page.BaseUnits());
}

} // namespace

TEST_F(OrientationTest, RotationMovesControlsAndKeepsTheirState)
{
    COrientedPropertyPage page;
    ASSERT_TRUE(page.Create(kPortrait, kLandscape, nullptr));
    EXPECT_FALSE(page.IsLandscapeLayout());
    EXPECT_EQ(page.TemplateId(), kPortrait);
    const QSize pictureSize = page.GetDlgItem(1006)->size();

    page.SetDlgItemText(1000, u"&Stop"); // changed at run time
    page.SetDlgItemText(1001, u"typed");
    page.CheckDlgButton(1002, 1);
    page.ComboAddString(1003, u"x");
    page.ComboAddString(1003, u"y");
    page.ComboSetCurSel(1003, 1);
    page.ListBoxAddString(1004, u"a");
    page.ListBoxAddString(1004, u"b");
    page.ListBoxSetCurSel(1004, 1);
    new QTreeWidgetItem(page.Control<QTreeWidget>(1005), QStringList {QStringLiteral("row")});

    ScreenModel::Instance().Rotate();
    page.NotifySizeChange();
    EXPECT_TRUE(page.IsLandscapeLayout());
    for (int id : {1000, 1001, 1002, 1003, 1004, 1005})
        EXPECT_EQ(page.GetDlgItem(id)->geometry(), Expected(page, kLandscape, id)) << id;
    EXPECT_EQ(page.GetDlgItem(1006)->pos(), Expected(page, kLandscape, 1006).topLeft());
    EXPECT_EQ(page.GetDlgItem(1006)->size(), pictureSize) << "pictures keep their size";
    EXPECT_EQ(page.GetDlgItemText(1000), u"&Start") << "buttons take the template's text again";
    EXPECT_EQ(page.GetDlgItemText(1001), u"typed");
    EXPECT_EQ(page.IsDlgButtonChecked(1002), 1);
    EXPECT_EQ(page.ComboGetCurSel(1003), 1);
    EXPECT_EQ(page.ListBoxGetCurSel(1004), 1);
    EXPECT_EQ(page.Control<QTreeWidget>(1005)->topLevelItemCount(), 1);
    EXPECT_FALSE(page.IsDlgItemVisible(1007));
    EXPECT_TRUE(page.IsDlgItemVisible(1008));
    EXPECT_EQ(page.size(), page.MapDialogRect({0, 0, 200, 150}).size());

    // A second size change without rotation does nothing.
    page.SetDlgItemText(1000, u"&Stop");
    page.NotifySizeChange();
    EXPECT_EQ(page.GetDlgItemText(1000), u"&Stop");

    ScreenModel::Instance().Rotate();
    page.NotifySizeChange();
    for (int id : {1000, 1001, 1002, 1003, 1004, 1005})
        EXPECT_EQ(page.GetDlgItem(id)->geometry(), Expected(page, kPortrait, id)) << id;
    EXPECT_TRUE(page.IsDlgItemVisible(1007));
    EXPECT_FALSE(page.IsDlgItemVisible(1008));
}

TEST_F(OrientationTest, MissingTemplateChangesNothing)
{
    COrientedPropertyPage page;
    ASSERT_TRUE(page.Create(kPortrait, kLandscape, nullptr));
    const QRect before = page.GetDlgItem(1000)->geometry();
    EXPECT_FALSE(RelayoutFromTemplate(page, kMissing, true));
    EXPECT_EQ(page.GetDlgItem(1000)->geometry(), before);
}

TEST_F(OrientationTest, PageCreatedInLandscapeUsesTheLandscapeTemplate)
{
    ScreenModel::Instance().Rotate();
    COrientedPropertyPage page;
    ASSERT_TRUE(page.Create(kPortrait, kLandscape, nullptr));
    EXPECT_EQ(page.TemplateId(), kLandscape);
    EXPECT_EQ(page.GetDlgItem(1000)->geometry(), Expected(page, kLandscape, 1000));
}

TEST_F(OrientationTest, ModalDialogKeepsTheLayoutItWasOpenedWith)
{
    ScreenModel::Instance().Rotate();
    COrientedDialog dialog(kPortrait, kLandscape, nullptr);
    EXPECT_EQ(dialog.HelpId(), kPortrait);
    SetModalHandler([](CDialog& shown) {
        ScreenModel::Instance().Rotate(); // turned back while open
        shown.NotifySizeChange();
        shown.resize(500, 500);
        return IDOK;
    });
    EXPECT_EQ(dialog.DoModal(), IDOK);
    SetModalHandler(nullptr);
    EXPECT_EQ(dialog.TemplateId(), kLandscape);
    EXPECT_EQ(dialog.GetDlgItem(1000)->geometry(), Expected(dialog, kLandscape, 1000));
}

TEST_F(OrientationTest, TabsShowOnlyTheSelectedPage)
{
    CPageTabCtrl tabs;
    tabs.resize(240, 300);
    tabs.show();
    std::array<QWidget*, 5> pages {};
    const char16_t* captions[] = {u"Main", u"Profile", u"Log", u"Rules", u"About..."};
    for (int i = 0; i < 5; ++i) {
        pages[static_cast<size_t>(i)] = new QWidget(&tabs);
        EXPECT_EQ(tabs.AddPage(i, captions[i], pages[static_cast<size_t>(i)]), i);
    }
    EXPECT_TRUE(pages[0]->isVisible());
    for (int i = 1; i < 5; ++i)
        EXPECT_FALSE(pages[static_cast<size_t>(i)]->isVisible()) << i;
    const QRect area = pages[0]->geometry();
    EXPECT_EQ(area.left(), 2);
    EXPECT_EQ(area.top(), 1);
    EXPECT_LT(area.bottom(), tabs.GetItemRect(0).top());

    tabs.SelectPage(4);
    EXPECT_FALSE(pages[0]->isVisible());
    EXPECT_TRUE(pages[4]->isVisible());
    EXPECT_EQ(tabs.GetCurSel(), 4);

    // The user's own selection.
    tabs.Bar()->setCurrentIndex(2);
    EXPECT_TRUE(pages[2]->isVisible());
    EXPECT_FALSE(pages[4]->isVisible());
    EXPECT_EQ(tabs.AddPage(10, u"Eleventh", nullptr), -1);
}
