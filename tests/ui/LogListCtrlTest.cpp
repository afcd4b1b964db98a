#include "ui/LogListCtrl.h"
#include "platform/framework/ScreenModel.h"
#include "resources/Resources.h"
#include "ui/CallLog.h"
#include "ui/LogPage.h"

#include <QApplication>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QSettings>

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

TEST_F(LogListTest, AdjacentExpiredRowsAllGo)
{
    const auto hourOld = static_cast<uint32_t>(now - 3600);
    const auto fresh = static_cast<uint32_t>(now);
    for (const auto& [number, stamp] :
        {std::pair {u"new0", fresh}, std::pair {u"old1", hourOld}, std::pair {u"old2", hourOld},
            std::pair {u"new3", fresh}, std::pair {u"old4", hourOld}, std::pair {u"old5", hourOld}})
        list.InsertRow(number, stamp);
    list.DeleteOlderThan(2); // one hour
    ASSERT_EQ(list.RowCount(), 2);
    EXPECT_EQ(list.RowText(0, CLogListCtrl::Number), u"new0");
    EXPECT_EQ(list.RowText(1, CLogListCtrl::Number), u"new3");
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

namespace {

QSettings Profile()
{
    return QSettings(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("Vantrel"),
        QStringLiteral("Pelmora"));
}

std::vector<int> Widths(const QTreeWidget& list)
{
    std::vector<int> widths;
    for (int i = 0; i < list.columnCount(); ++i)
        widths.push_back(list.columnWidth(i));
    return widths;
}

class Owner final : public QWidget, public dlg::CommandTarget {
public:
    bool RouteCommand(int id) override
    {
        commands.push_back(id);
        return true;
    }
    std::vector<int> commands;
};

class LogListOwnTest : public ::testing::Test {
protected:
    void SetUp() override { Profile().clear(); }
    void TearDown() override
    {
        if (dlg::IsLandscape())
            dlg::ScreenModel::Instance().Rotate();
        Profile().clear();
    }
};

} // namespace

TEST_F(LogListOwnTest, ColumnsWidthsAndSectionAreItsOwn)
{
    // A remembered set that does not fit leaves the widths of InitColumns.
    Profile().setValue(QStringLiteral("CLogListCtrl/ColSizes"), QStringLiteral("1,2"));
    {
        CLogListCtrl list;
        list.Create(nullptr, QRect(0, 0, 232, 200));
        EXPECT_EQ(Widths(list), (std::vector<int> {65, 120, 80, 80, 80}));
        const QStringList titles = {QStringLiteral("Number"), QStringLiteral("Caller"),
            QStringLiteral("Time"), QStringLiteral("Rings"), QStringLiteral("SMS Sent")};
        for (int i = 0; i < 5; ++i)
            EXPECT_EQ(list.headerItem()->text(i), titles[i]);
        EXPECT_EQ(list.selectionBehavior(), QAbstractItemView::SelectRows);
        EXPECT_EQ(list.selectionMode(), QAbstractItemView::SingleSelection);
        EXPECT_EQ(list.ProfileSection(), u"CLogListCtrl");
        list.setColumnWidth(1, 77);
    }
    EXPECT_EQ(Profile().value(QStringLiteral("CLogListCtrl/ColSizes")).toString(),
        QStringLiteral("65,77,80,80,80"));

    dlg::ScreenModel::Instance().Rotate();
    {
        CLogListCtrl list;
        list.Create(nullptr, QRect(0, 0, 312, 120));
        EXPECT_EQ(list.ProfileSection(), u"CLogListCtrl_L");
        EXPECT_EQ(Widths(list), std::vector<int>(5, list.ClientWidth() / 5))
            << "nothing remembered in landscape yet";
    }
    EXPECT_FALSE(Profile().value(QStringLiteral("CLogListCtrl_L/ColSizes")).isNull());
    EXPECT_EQ(Profile().value(QStringLiteral("CLogListCtrl/ColSizes")).toString(),
        QStringLiteral("65,77,80,80,80"));
}

TEST_F(LogListOwnTest, ATurnKeepsEachOrientationsWidths)
{
    Profile().setValue(QStringLiteral("CLogListCtrl_L/ColSizes"), QStringLiteral("90,80,70,60,50"));
    CLogListCtrl list;
    list.Create(nullptr, QRect(0, 0, 232, 200));
    list.show();
    list.setColumnWidth(0, 71);
    const std::vector<int> upright = Widths(list);
    dlg::ScreenModel::Instance().Rotate();
    list.resize(312, 120);
    QApplication::processEvents();
    // The upright widths stay upright; the sideways ones come back.
    EXPECT_TRUE(Profile()
                    .value(QStringLiteral("CLogListCtrl/ColSizes"))
                    .toString()
                    .startsWith(QStringLiteral("71,")));
    EXPECT_EQ(Widths(list), (std::vector<int> {90, 80, 70, 60, 50}));
    list.setColumnWidth(0, 44);
    dlg::ScreenModel::Instance().Rotate();
    list.resize(232, 200);
    QApplication::processEvents();
    EXPECT_EQ(Profile().value(QStringLiteral("CLogListCtrl_L/ColSizes")).toString(),
        QStringLiteral("44,80,70,60,50"));
    EXPECT_EQ(Widths(list), upright);
}

TEST_F(LogListOwnTest, TapAndHoldOffersTheLogMenuThroughThePage)
{
    Owner owner;
    owner.resize(240, 300);
    auto* page = new CLogPage(&owner);
    ASSERT_TRUE(page->Create(IDD_LOG, IDD_LOG_L, &owner));
    CLogListCtrl* list = page->LogList();
    ASSERT_NE(list, nullptr);
    for (const char16_t* number : {u"0111", u"0222", u"0333"})
        list->AppendCall(number, u"", u"", 1, u"No");
    owner.show();
    std::vector<dlg::MenuItem> offered;
    dlg::SetPopupMenuHandler([&](const std::vector<dlg::MenuItem>& items, QPoint) {
        offered = items;
        return CLogListCtrl::ID_CALL_NUMBER;
    });
    const QPoint point = list->visualItemRect(list->topLevelItem(1)).center();
    QContextMenuEvent event(QContextMenuEvent::Mouse, point, list->viewport()->mapToGlobal(point));
    QApplication::sendEvent(list->viewport(), &event);
    dlg::SetPopupMenuHandler(nullptr);

    ASSERT_EQ(offered.size(), 4u);
    EXPECT_EQ(offered[0].id, 32787);
    EXPECT_EQ(offered[0].text, u"Cancel");
    EXPECT_TRUE(offered[1].separator);
    EXPECT_EQ(offered[2].id, 32786);
    EXPECT_EQ(offered[2].text, u"Delete entry");
    EXPECT_EQ(offered[3].id, 32794);
    EXPECT_EQ(offered[3].text, u"Call number");
    EXPECT_EQ(list->GetSelectionMark(), 1);
    EXPECT_EQ(owner.commands, std::vector<int> {32794}) << "page, then its parent";
}

TEST_F(LogListOwnTest, LandscapePageUsesItsOwnTemplate)
{
    dlg::ScreenModel::Instance().Rotate();
    CLogPage page;
    ASSERT_TRUE(page.Create(IDD_LOG, IDD_LOG_L, nullptr));
    EXPECT_EQ(page.TemplateId(), IDD_LOG_L);
    ASSERT_NE(page.LogList(), nullptr);
    EXPECT_EQ(page.LogList()->geometry(), page.MapDialogRect({1, 31, 175, 58}));
    EXPECT_EQ(
        page.GetDlgItem(CLogPage::IDC_CLEAR_ALL)->geometry(), page.MapDialogRect({3, 3, 39, 14}));
    EXPECT_EQ(page.GetDlgItem(CLogPage::IDC_AGE)->geometry().topLeft(),
        page.MapDialogRect({81, 14, 50, 125}).topLeft());
    EXPECT_EQ(page.Control<QComboBox>(CLogPage::IDC_AGE)->count(), 49);
    EXPECT_EQ(page.LogList()->ProfileSection(), u"CLogListCtrl_L");
}
