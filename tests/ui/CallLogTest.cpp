#include "ui/CallLog.h"
#include "platform/framework/ScreenModel.h"
#include "resources/Resources.h"
#include "tests/TestSupport.h"
#include "ui/LogListCtrl.h"
#include "ui/LogPage.h"

#include <QCheckBox>
#include <QComboBox>

#include <gtest/gtest.h>

using namespace pelmora;

TEST(CallLogTexts, FortyNineAgeChoices)
{
    EXPECT_EQ(LogAgeChoiceText(0), u"Never");
    EXPECT_EQ(LogAgeChoiceText(1), u"0.5 hours");
    EXPECT_EQ(LogAgeChoiceText(2), u"1.0 hour");
    EXPECT_EQ(LogAgeChoiceText(3), u"1.5 hours");
    EXPECT_EQ(LogAgeChoiceText(4), u"2.0 hours");
    EXPECT_EQ(LogAgeChoiceText(19), u"9.5 hours");
    EXPECT_EQ(LogAgeChoiceText(20), u"10 hours");
    EXPECT_EQ(LogAgeChoiceText(21), u"10.5 hours");
    EXPECT_EQ(LogAgeChoiceText(47), u"23.5 hours");
    EXPECT_EQ(LogAgeChoiceText(48), u"24 hours");
    // Every text names its own half-hours.
    for (int i = 1; i < kLogAgeChoices; ++i) {
        const QString text = QString::fromStdU16String(LogAgeChoiceText(i));
        EXPECT_DOUBLE_EQ(text.section(u' ', 0, 0).toDouble(), i / 2.0) << i;
        EXPECT_EQ(text.endsWith(QStringLiteral(" hour")), i == 2) << i;
    }
}

TEST(CallLogTexts, TimeAndCaller)
{
    std::tm local {};
    local.tm_hour = 9;
    local.tm_min = 5;
    local.tm_sec = 3;
    local.tm_mday = 7;
    local.tm_mon = 11;
    local.tm_year = 2026 - 1900;
    EXPECT_EQ(FormatLogTime(local), u"9:5:3 7/12/2026");
    EXPECT_EQ(LogCallerText(u"", u""), u"Unknown");
    EXPECT_EQ(LogCallerText(u"Ann", u""), u"Ann ");
    EXPECT_EQ(LogCallerText(u"", u"Lee"), u" Lee");
    EXPECT_EQ(LogCallerText(u"Ann", u"Lee"), u"Ann Lee");
}

TEST(CallLogTexts, HalfHourBoundary)
{
    const uint32_t stamp = 1'000'000;
    EXPECT_FALSE(IsLogRowExpired(stamp + 29 * 60 + 59, stamp, 1));
    EXPECT_TRUE(IsLogRowExpired(stamp + 30 * 60, stamp, 1));
    EXPECT_FALSE(IsLogRowExpired(stamp + 100000, stamp, 0)) << "Never";
    EXPECT_FALSE(IsLogRowExpired(stamp + 100000, stamp, -1)) << "no choice removes nothing";
}

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
    EXPECT_EQ(page.LogList()->geometry(), page.MapDialogRect({1, 37, 129, 97}));
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
