#include "rules/GroupsListCtrl.h"

#include "rules/GroupControls.h"
#include "rules/GroupStore.h"
#include "ui/TouchRowDelegate.h"

#include <QHeaderView>

namespace pelmora {

CGroupsListCtrl::CGroupsListCtrl(QWidget* parent)
    : CPersistentListCtrl(parent)
{
    setItemDelegate(new CTouchRowDelegate(this));
    header()->setSectionsClickable(false);
    // The one column spans the list; once the rows need a vertical scroll bar
    // it would otherwise be pushed into a horizontal one as well.
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    // A tap on a row (or moving to it with the keys) marks it, as the
    // platform's list does.
    connect(this, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem* current) {
        if (current)
            SetSelectionMark(indexOfTopLevelItem(current));
    });
}

void CGroupsListCtrl::InitColumns()
{
    InsertColumn(0, u"Group name", ClientWidthForColumns());
}

std::vector<dlg::MenuItem> CGroupsListCtrl::PopupMenuItems() const
{
    return {{ID_CANCEL_MENU, u"Cancel"}, dlg::MenuItem::Separator(), {ID_NEW_GROUP, u"New group"},
        {ID_EDIT_GROUP, u"Edit group"}, {ID_DELETE_GROUP, u"Delete group"}};
}

std::optional<QColor> CGroupsListCtrl::RowTint(int row) const
{
    if (row % 2 == 0)
        return QColor(160, 255, 160);
    return std::nullopt;
}

GroupRecord* CGroupsListCtrl::RowGroup(int row) const
{
    return reinterpret_cast<GroupRecord*>(RowData(this, row));
}

std::u16string CGroupsListCtrl::RowText(int row) const
{
    const QTreeWidgetItem* item = topLevelItem(row);
    return item ? item->text(0).toStdU16String() : std::u16string();
}

int CGroupsListCtrl::AppendGroup(GroupRecord* group)
{
    addTopLevelItem(new QTreeWidgetItem);
    const int row = topLevelItemCount() - 1;
    SetRowGroup(row, group);
    return row;
}

void CGroupsListCtrl::SetRowGroup(int row, GroupRecord* group)
{
    QTreeWidgetItem* item = topLevelItem(row);
    if (!item || !group)
        return;
    item->setText(0, QString::fromStdU16String(group->name.Text()));
    SetRowData(this, row, reinterpret_cast<uintptr_t>(group));
}

void CGroupsListCtrl::RemoveRow(int row)
{
    QTreeWidgetItem* item = topLevelItem(row);
    if (!item)
        return;
    // No neighbour takes the deleted row's place as the marked one: the next
    // Edit or Delete waits for the user to pick a row.
    const QSignalBlocker quiet(this);
    delete takeTopLevelItem(row);
    setCurrentItem(nullptr);
    clearSelection();
    SetSelectionMark(-1);
}

} // namespace pelmora
