#include "rules/GroupControls.h"
#include "rules/GroupStore.h"

#include <QComboBox>
#include <QLineEdit>
#include <QTreeWidget>

#include <gtest/gtest.h>

using namespace pelmora;

namespace {

class GroupControlsTest : public ::testing::Test {
protected:
    void SetUp() override { ResetGroupStore(); }
    void TearDown() override { ResetGroupStore(); }
};

QTreeWidget* ContactList(const std::vector<uint32_t>& ids)
{
    auto* list = new QTreeWidget;
    for (size_t i = 0; i < ids.size(); ++i) {
        auto* row = new QTreeWidgetItem(list);
        row->setText(0, QString::number(ids[i]));
        row->setCheckState(0, Qt::Unchecked);
        SetRowData(list, static_cast<int>(i), ids[i]);
    }
    return list;
}

std::vector<int> CheckedRows(const QTreeWidget* list)
{
    std::vector<int> rows;
    for (int i = 0; i < list->topLevelItemCount(); ++i)
        if (list->topLevelItem(i)->checkState(0) == Qt::Checked)
            rows.push_back(i);
    return rows;
}

} // namespace

TEST_F(GroupControlsTest, TypedNameIsCutAt49Characters)
{
    GroupRecord group;
    QLineEdit edit(QString(50, u'x'));
    SetNameFromEdit(group, &edit);
    EXPECT_EQ(group.name.Text(), std::u16string(49, u'x'));
    edit.setText(QStringLiteral("Work"));
    SetNameFromEdit(group, &edit);
    EXPECT_EQ(group.name.Text(), u"Work");
    EXPECT_EQ(group.name.units[5], u'\0') << "the old name's tail is cleared";
}

TEST_F(GroupControlsTest, CheckMembersMarksRowsInOnePassWhateverTheOrder)
{
    GroupRecord group;
    group.members = {30, 10, 99, 20};
    std::unique_ptr<QTreeWidget> list(ContactList({10, 20, 30, 40}));
    CheckMembers(group, list.get());
    EXPECT_EQ(CheckedRows(list.get()), (std::vector<int> {0, 1, 2}));
    EXPECT_TRUE(IsMember(group, 99));
    EXPECT_FALSE(IsMember(group, 40));

    // Confirming again keeps only the listed, checked contacts, in row order.
    list->topLevelItem(3)->setCheckState(0, Qt::Checked);
    CollectMembers(group, list.get());
    EXPECT_EQ(group.members, (std::vector<uint32_t> {10, 20, 30, 40}));

    GroupRecord stranger;
    stranger.members = {77};
    std::unique_ptr<QTreeWidget> fresh(ContactList({1, 2}));
    CheckMembers(stranger, fresh.get());
    EXPECT_TRUE(CheckedRows(fresh.get()).empty());
    CollectMembers(stranger, fresh.get());
    EXPECT_TRUE(stranger.members.empty());
}

TEST_F(GroupControlsTest, GroupsFillListsAndCombos)
{
    GroupRecord a, b;
    a.SetName(u"Alpha");
    b.SetName(u"Beta");
    GroupRecord* first = AddGroup(a);
    GroupRecord* second = AddGroup(b);
    QTreeWidget list;
    list.setColumnCount(1);
    FillGroupList(&list);
    ASSERT_EQ(list.topLevelItemCount(), 2);
    EXPECT_EQ(list.topLevelItem(1)->text(0), QStringLiteral("Beta"));
    EXPECT_EQ(RowData(&list, 0), reinterpret_cast<uintptr_t>(first));
    QComboBox box;
    dlg::CComboBox combo(&box);
    FillGroupCombo(combo);
    EXPECT_EQ(SelectedGroupId(combo), 0);
    combo.SetCurSel(1);
    EXPECT_EQ(SelectedGroupId(combo), second->id);
}
