#include "ui/LogListCtrl.h"
#include "platform/framework/ScreenModel.h"
#include "resources/Resources.h"
#include "ui/CallLog.h"
#include "ui/LogPage.h"

#include <QComboBox>

#include <gtest/gtest.h>

using namespace pelmora;

namespace {

class LogListTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        list.SetClock([this] { return now; });
        list.Create(nullptr, QRect(0, 0, 232, 200));
    }
    int64_t now = 1'800'000'000;
    CLogListCtrl list;
};

} // namespace

TEST_F(LogListTest, RowsCarryTheirTextsAndStamp)
{
    const int row = list.AppendCall(u"+4912", u"Ann", u"Lee", 4, u"Yes");
    EXPECT_EQ(row, 0);
    EXPECT_EQ(list.RowText(0, CLogListCtrl::Number), u"+4912");
    EXPECT_EQ(list.RowText(0, CLogListCtrl::Caller), u"Ann Lee");
    EXPECT_EQ(list.RowText(0, CLogListCtrl::Rings), u"4");
    EXPECT_EQ(list.RowText(0, CLogListCtrl::SmsSent), u"Yes");
    EXPECT_EQ(list.RowStamp(0), uint32_t(now));
    std::tm local {};
    const std::time_t seconds = now;
    localtime_r(&seconds, &local);
    EXPECT_EQ(list.RowText(0, CLogListCtrl::Time), FormatLogTime(local));
    EXPECT_EQ(list.headerItem()->text(4), QStringLiteral("SMS Sent"));
}

TEST_F(LogListTest, AgeCleanUpAtTheBoundary)
{
    list.AppendCall(u"old", u"", u"", 1, u"No");
    now += 1;
    list.AppendCall(u"younger", u"", u"", 1, u"No");
    list.InsertRow(u"unstamped", std::nullopt);
    now += 30 * 60 - 1; // "old" is exactly 30 minutes old, "younger" 29:59
    list.DeleteOlderThan(0);
    EXPECT_EQ(list.RowCount(), 3) << "Never";
    list.DeleteOlderThan(1);
    ASSERT_EQ(list.RowCount(), 2);
    EXPECT_EQ(list.RowText(0, CLogListCtrl::Number), u"younger");
    now += 24 * 3600;
    list.DeleteOlderThan(48);
    ASSERT_EQ(list.RowCount(), 1);
    EXPECT_EQ(list.RowText(0, CLogListCtrl::Number), u"unstamped")
        << "a row without a stamp never ages";
}

TEST_F(LogListTest, PerCallerCountSeesOnlyYesRows)
{
    list.AppendCall(u"555", u"", u"", 1, u"Yes");
    list.AppendCall(u"555", u"", u"", 1, u"Interactive");
    list.AppendCall(u"555", u"", u"", 1, u"No");
    list.AppendCall(u"5555", u"", u"", 1, u"Yes");
    list.AppendCall(u"555", u"", u"", 1, u"yes");
    EXPECT_EQ(list.CountSentTo(u"555"), 1);
    list.DeleteEntry(0);
    list.RemoveRow(0);
    EXPECT_EQ(list.CountSentTo(u"555"), 0);
    list.ClearAll();
    EXPECT_EQ(list.RowCount(), 0);
}

TEST_F(LogListTest, TintsFollowThePosition)
{
    list.setHeaderHidden(true);
    for (const char16_t* number : {u"a", u"b", u"c"})
        list.AppendCall(number, u"", u"", 1, u"No");
    list.show();
    auto tintAt = [this](int row) {
        const QImage image = list.viewport()->grab().toImage();
        const QRect rect = list.visualItemRect(list.topLevelItem(row));
        return QColor(image.pixel(rect.right() - 2, rect.center().y()));
    };
    const QColor pink(255, 160, 160);
    EXPECT_EQ(tintAt(0), pink);
    EXPECT_NE(tintAt(1), pink);
    list.RemoveRow(0);
    EXPECT_EQ(tintAt(0), pink) << "the old second row is now first";
    EXPECT_NE(tintAt(1), pink);
}

TEST(LogPageTest, TemplateLayoutAndAgeChoices)
{
    CLogPage page;
    ASSERT_TRUE(page.Create(IDD_LOG, IDD_LOG_L, nullptr));
    ASSERT_NE(page.LogList(), nullptr);
    EXPECT_EQ(page.LogList()->geometry(), page.MapDialogRect({1, 35, 129, 99}));
    EXPECT_EQ(
        page.GetDlgItem(CLogPage::IDC_CLEAR_ALL)->geometry(), page.MapDialogRect({5, 3, 39, 14}));
    EXPECT_EQ(
        page.GetDlgItemText(CLogPage::IDC_CLEAR_SESSION), u"Automatically clear every session");
    auto* ages = page.Control<QComboBox>(CLogPage::IDC_AGE);
    ASSERT_NE(ages, nullptr);
    EXPECT_EQ(ages->count(), 49);
    EXPECT_EQ(ages->itemText(48), QStringLiteral("24 hours"));
    EXPECT_EQ(page.AgeIndex(), -1);
    EXPECT_EQ(page.LogList()->columnCount(), 5);
}
