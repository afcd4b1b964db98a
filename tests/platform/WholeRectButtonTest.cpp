#include "platform/framework/Dialog.h"

#include <QTest>

#include <gtest/gtest.h>

using namespace pelmora::dlg;

namespace {

constexpr int kRowsTemplate = 9051;

// Short texts in wide rows: the empty right end of each row is still part of
// its touch target.
void RegisterRows()
{
    RegisterTemplate({kRowsTemplate, u"", {0, 0, 160, 80},
        {
            {1001, ControlClass::AutoCheckBox, u"On", {5, 5, 150, 20}},
            {1002, ControlClass::RadioButton, u"A", {5, 30, 150, 20}, kDefaultStyle | Group},
            {1003, ControlClass::RadioButton, u"B", {5, 55, 150, 20}},
        }});
}

void TapRightEnd(QWidget* row)
{
    QTest::mouseClick(row, Qt::LeftButton, {}, QPoint(row->width() - 3, row->height() / 2));
}

} // namespace

TEST(WholeRectButtons, ATapAnywhereInTheRowCounts)
{
    RegisterRows();
    CDialog page(kRowsTemplate);
    ASSERT_TRUE(page.Create(nullptr));
    TapRightEnd(page.GetDlgItem(1001));
    EXPECT_EQ(page.IsDlgButtonChecked(1001), 1);
    TapRightEnd(page.GetDlgItem(1001));
    EXPECT_EQ(page.IsDlgButtonChecked(1001), 0);
    TapRightEnd(page.GetDlgItem(1003));
    EXPECT_EQ(page.GetRadioValue(1002), 1);
    TapRightEnd(page.GetDlgItem(1002));
    EXPECT_EQ(page.GetRadioValue(1002), 0);
}
