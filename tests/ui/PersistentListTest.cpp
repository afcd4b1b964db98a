#include "platform/framework/Dialog.h"
#include "platform/framework/ScreenModel.h"
#include "tests/TestSupport.h"
#include "ui/PersistentListCtrl.h"

#include <QContextMenuEvent>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHeaderView>
#include <QSettings>
#include <QTest>

#include <gtest/gtest.h>

using namespace pelmora;

namespace {

// A five-column list like the log's, for the base class's behaviour.
class TestListCtrl final : public CPersistentListCtrl {
public:
    explicit TestListCtrl(std::u16string section = u"TestListCtrl")
        : section_(std::move(section))
    {
    }
    std::optional<QColor> RowTint(int row) const override
    {
        return row % 2 == 0 ? std::optional<QColor>(QColor(255, 160, 160)) : std::nullopt;
    }

protected:
    void InitColumns() override
    {
        const int widths[] = {65, 120, 80, 80, 80};
        const char16_t* titles[] = {u"Number", u"Caller", u"Time", u"Rings", u"SMS Sent"};
        for (int i = 0; i < 5; ++i)
            InsertColumn(i, titles[i], widths[i]);
    }
    std::u16string GetSectionName() const override { return section_; }
    std::vector<dlg::MenuItem> PopupMenuItems() const override
    {
        return {{0, u"Cancel"}, dlg::MenuItem::Separator(), {32786, u"Delete entry"}};
    }

private:
    std::u16string section_;
};

class Owner final : public QWidget, public dlg::CommandTarget {
public:
    bool RouteCommand(int id) override
    {
        commands.push_back(id);
        return true;
    }
    std::vector<int> commands;
};

QSettings Profile()
{
    return QSettings(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("Vantrel"),
        QStringLiteral("Pelmora"));
}

void Store(const QString& section, const QString& text)
{
    QSettings profile = Profile();
    profile.setValue(section + QStringLiteral("/ColSizes"), text);
    profile.sync();
}

QString Stored(const QString& section)
{
    return Profile().value(section + QStringLiteral("/ColSizes")).toString();
}

std::vector<int> Widths(const CPersistentListCtrl& list)
{
    std::vector<int> widths;
    for (int i = 0; i < list.columnCount(); ++i)
        widths.push_back(list.columnWidth(i));
    return widths;
}

class ListTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        Profile().clear();
        Profile().sync();
    }
    void TearDown() override
    {
        if (dlg::IsLandscape())
            dlg::ScreenModel::Instance().Rotate();
    }
    std::unique_ptr<TestListCtrl> Make(std::u16string section = u"TestListCtrl")
    {
        auto list = std::make_unique<TestListCtrl>(std::move(section));
        list->Create(nullptr, QRect(0, 0, 232, 200));
        return list;
    }
};

} // namespace

TEST_F(ListTest, FirstStartSharesTheWidthThenRemembersIt)
{
    {
        auto list = Make();
        const int share = list->ClientWidth() / 5;
        EXPECT_EQ(Widths(*list), std::vector<int>(5, share));
        list->setColumnWidth(1, 99);
    }
    const QString saved = Stored(QStringLiteral("TestListCtrl"));
    EXPECT_TRUE(saved.contains(QStringLiteral(",99,"))) << saved.toStdString();
    EXPECT_EQ(saved.count(u','), 4);
    EXPECT_FALSE(QFile::permissions(Profile().fileName())
        & (QFileDevice::ReadGroup | QFileDevice::ReadOther))
        << "private to its owner";
    auto again = Make();
    EXPECT_EQ(again->columnWidth(1), 99);
}

TEST_F(ListTest, LandscapeKeepsItsOwnWidths)
{
    Store(QStringLiteral("TestListCtrl"), QStringLiteral("65,120,80,80,80"));
    dlg::ScreenModel::Instance().Rotate();
    {
        auto list = Make();
        EXPECT_EQ(list->ProfileSection(), u"TestListCtrl_L");
        EXPECT_EQ(Widths(*list), std::vector<int>(5, list->ClientWidth() / 5)) << "_L is empty";
    }
    EXPECT_FALSE(Stored(QStringLiteral("TestListCtrl_L")).isEmpty());
    EXPECT_EQ(Stored(QStringLiteral("TestListCtrl")), QStringLiteral("65,120,80,80,80"));
}

TEST_F(ListTest, StoredTextMustHoldOneWidthPerColumn)
{
    const std::vector<int> initial = {65, 120, 80, 80, 80};
    for (const char* text : {"100,50", "10,20,30,40,50,60"}) {
        Store(QStringLiteral("TestListCtrl"), QString::fromLatin1(text));
        EXPECT_EQ(Widths(*Make()), initial) << text;
    }
    Store(QStringLiteral("TestListCtrl"), QStringLiteral("70,,70,70,70"));
    EXPECT_EQ(Widths(*Make()), (std::vector<int> {70, 0, 70, 70, 70}));
}

TEST_F(ListTest, StoredWidthsAreSignedSixteenBitWords)
{
    // The low word counts, signed: 65535 is -1 and 65636 is 100. A negative
    // word fits the column; the list is empty, so its title decides.
    Store(QStringLiteral("TestListCtrl"), QStringLiteral("-1,65535,65636,-2,-32768"));
    auto list = Make();
    const std::vector<int> widths = Widths(*list);
    EXPECT_EQ(widths[2], 100);
    for (int i : {0, 1, 3, 4}) {
        EXPECT_EQ(widths[static_cast<size_t>(i)], list->header()->sectionSizeHint(i)) << i;
        EXPECT_GT(widths[static_cast<size_t>(i)], 0) << i;
        EXPECT_LT(widths[static_cast<size_t>(i)], 200) << i;
    }
}

TEST_F(ListTest, HandWrittenUnquotedListIsRead)
{
    const QString file = Profile().fileName();
    ASSERT_TRUE(QDir().mkpath(QFileInfo(file).path()));
    {
        QFile out(file);
        ASSERT_TRUE(out.open(QIODevice::WriteOnly | QIODevice::Truncate));
        out.write("[TestListCtrl]\nColSizes=70,,71,72,73\n");
    }
    ASSERT_EQ(
        Profile().value(QStringLiteral("TestListCtrl/ColSizes")).typeId(), QMetaType::QStringList)
        << "without quotes the settings file holds a list";
    EXPECT_EQ(Widths(*Make()), (std::vector<int> {70, 0, 71, 72, 73}));
}

TEST_F(ListTest, EmptySectionNeverTouchesTheProfile)
{
    {
        auto list = Make(u"");
        EXPECT_EQ(Widths(*list), (std::vector<int> {65, 120, 80, 80, 80}));
    }
    EXPECT_TRUE(Profile().allKeys().isEmpty());
}

TEST_F(ListTest, FindAndSelectIgnoresCaseAndLeavesNoMatchAlone)
{
    auto list = Make();
    for (const char* name : {"Alpha", "Bravo", "Charlie", "Delta"})
        new QTreeWidgetItem(list.get(), QStringList {QString::fromLatin1(name)});
    list->FindAndSelect(u"br");
    EXPECT_EQ(list->GetSelectionMark(), 1);
    EXPECT_TRUE(list->topLevelItem(1)->isSelected());
    list->FindAndSelect(u"zulu");
    EXPECT_EQ(list->GetSelectionMark(), 1);
    EXPECT_TRUE(list->topLevelItem(1)->isSelected());
}

TEST_F(ListTest, TapAndHoldMarksTheRowAndOffersTheMenuToTheOwner)
{
    Owner owner;
    owner.resize(240, 240);
    auto* list = new TestListCtrl;
    list->Create(&owner, QRect(0, 0, 232, 200));
    for (int i = 0; i < 3; ++i)
        new QTreeWidgetItem(list, QStringList {QString::number(i)});
    owner.show();
    std::vector<dlg::MenuItem> offered;
    dlg::SetPopupMenuHandler([&](const std::vector<dlg::MenuItem>& items, QPoint) {
        offered = items;
        return 32786;
    });
    const QPoint point = list->visualItemRect(list->topLevelItem(2)).center();
    QContextMenuEvent event(QContextMenuEvent::Mouse, point, list->viewport()->mapToGlobal(point));
    QApplication::sendEvent(list->viewport(), &event);
    dlg::SetPopupMenuHandler(nullptr);
    ASSERT_EQ(offered.size(), 3u);
    EXPECT_EQ(offered[0].text, u"Cancel");
    EXPECT_TRUE(offered[1].separator);
    EXPECT_EQ(list->GetSelectionMark(), 2);
    EXPECT_EQ(owner.commands, std::vector<int> {32786});
}

TEST_F(ListTest, EvenRowsAreTinted)
{
    auto list = Make();
    list->setHeaderHidden(true);
    for (int i = 0; i < 3; ++i)
        new QTreeWidgetItem(list.get(), QStringList {QString()});
    list->show();
    const QImage image = list->viewport()->grab().toImage();
    const QRect first = list->visualItemRect(list->topLevelItem(0));
    const QRect second = list->visualItemRect(list->topLevelItem(1));
    EXPECT_EQ(QColor(image.pixel(first.right() - 3, first.center().y())), QColor(255, 160, 160));
    EXPECT_NE(QColor(image.pixel(second.right() - 3, second.center().y())), QColor(255, 160, 160));
}
